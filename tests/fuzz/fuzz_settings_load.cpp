// Any bytes as a settings file: reading, filling the record and writing it back must never
// crash, hang or grow without bound.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/reminders.h"
#include "render/goal_panel.h"
#include "settings/execute_setting.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrival;
    ExecuteSetting setting;
    GoalList goals;
    setting.FileLines.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    setting.ReadValues({2026, 12, 10}, goals);
    setting.BuildFileLines(goals);
    const std::string written = setting.FileLines.ToBytes();
    // What the save writes reads back as the same goals.
    ExecuteSetting again;
    GoalList goalsAgain;
    again.FileLines.LoadFromBytes(written);
    again.ReadValues({2026, 12, 10}, goalsAgain);
    if (goalsAgain.ToVector() != goals.ToVector()) __builtin_trap();
    // And so do the choices, and the figures every goal shows by them.
    if (again.CNT != setting.CNT || again.OFFDAYS != setting.OFFDAYS) __builtin_trap();
    if (again.RMD != setting.RMD) __builtin_trap();
    // The reminders due on any day, to the last one there is, and what they say.
    for (const CivilDate today : {CivilDate{2026, 12, 10}, CivilDate{1, 1, 1}, CivilDate{9999, 12, 31}}) {
        for (const DueReminder& due : DueReminders(setting, goals, today))
            ReminderMessageOf(setting, goals, due, today);
    }
    const WorkCalendar calendar{DaysOff(setting.OFFDAYS)};
    for (std::int32_t i = 0; i < goals.Count() && i < kMaxPanels; ++i) {
        GoalFigures(setting, goals, i, calendar, DaysOf({{2026, 12, 10}, 12, 0, 0, 0}), u"2026/12/10");
    }
    return 0;
}
