// Any bytes as a settings file: reading, filling the record and writing it back, and computing
// every goal's figures with any counting choices and days off, must never crash, hang or grow
// without bound.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/reminders.h"
#include "render/goal_panel.h"
#include "settings/execute_setting.h"
#include "support/civil_date.h"

namespace {

constexpr kestrival::CivilDate kToday{2026, 12, 10};

// Counted days are never negative, working days never more than the calendar days they are
// among, and the bar's fill stays inside the bar.
void CheckFigures(const kestrival::GoalPanelFigures& days, const kestrival::GoalPanelFigures& work) {
    using namespace kestrival;
    if (!days.datesRead) return;
    if (days.ElapsedDays < 0 || days.RemainingDays < 0) __builtin_trap();
    if (work.ElapsedDays < 0 || work.ElapsedDays > days.ElapsedDays) __builtin_trap();
    if (work.RemainingDays < 0 || work.RemainingDays > days.RemainingDays) __builtin_trap();
    const std::int32_t right = ProgressRight(days.ProgressDays, days.SpanDays, 0);
    if (right < 0 || right > kBarWidth) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrival;
    ExecuteSetting setting;
    GoalList goals;
    setting.FileLines.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    setting.ReadValues(kToday, goals);
    setting.BuildFileLines(goals);
    const std::string written = setting.FileLines.ToBytes();
    // What the save writes reads back as the same goals.
    ExecuteSetting again;
    GoalList goalsAgain;
    again.FileLines.LoadFromBytes(written);
    again.ReadValues(kToday, goalsAgain);
    if (goalsAgain.ToVector() != goals.ToVector()) __builtin_trap();
    // And so do the choices.
    if (again.CNT != setting.CNT || again.OFFDAYS != setting.OFFDAYS) __builtin_trap();
    if (again.RMD != setting.RMD) __builtin_trap();
    // The reminders due on any day, to the last one there is, and what they say.
    for (const CivilDate today : {kToday, CivilDate{1, 1, 1}, CivilDate{9999, 12, 31}}) {
        for (const DueReminder& due : DueReminders(setting, goals, today))
            ReminderMessageOf(setting, goals, due, today);
    }
    // Every goal's figures, by its own choices and by each other set of choices, on the goal's own
    // days and at the ends of the calendar: far dates must count as soundly as near ones.
    const WorkCalendar calendar{DaysOff(setting.OFFDAYS)};
    for (std::int32_t i = 0; i < goals.Count() && i < kMaxPanels; ++i) {
        const GoalPanelFigures own =
            GoalFigures(setting, goals, i, calendar, DaysOf({kToday, 12, 0, 0, 0}), u"2026/12/10");
        std::vector<CivilDate> todays{kToday, {1, 1, 1}, {9999, 12, 31}};
        for (const std::u16string& text : {own.ShownStart, own.ShownEnd}) {
            if (const auto date = ParseDateText(text)) todays.push_back(*date);
        }
        for (const CivilDate& today : todays) {
            const double now = DaysOf({today, 12, 0, 0, 0});
            for (const char16_t* letters : {u"", u"T", u"Y", u"TY"}) {
                const std::u16string line = goals.LineAt(i);
                const std::u16string withWorkingDays = std::u16string(letters) + u"W";
                const GoalPanelFigures days =
                    ComputeGoalPanel(line, now, DateText(today), ParseCountChoices(letters), &calendar);
                const GoalPanelFigures work =
                    ComputeGoalPanel(line, now, DateText(today), ParseCountChoices(withWorkingDays), &calendar);
                CheckFigures(days, work);
            }
        }
    }
    return 0;
}
