#include "app/reminders.h"

#include <algorithm>

#include "support/text.h"
#include "support/ui_texts.h"
#include "support/work_calendar.h"

namespace kestrival {
namespace {

std::u16string GoalField(std::u16string& line) { return std::u16string(TrimControlAndSpace(TakeField(line, &line))); }

// The end date a goal's reminders count back from on `today`: its end date, or for a yearly goal
// whose end has passed the first time it comes round again on or after today. Nothing when the
// end does not read as a date or has passed for good.
std::optional<std::int32_t> ComingEnd(std::u16string_view goalLine, bool yearly, const CivilDate& today) {
    std::u16string line(goalLine);
    GoalField(line);  // the title
    GoalField(line);  // the start
    const auto end = ParseDateText(GoalField(line));
    if (!end) return std::nullopt;
    const std::int32_t todayDay = DayNumber(today);
    if (DayNumber(*end) >= todayDay) return DayNumber(*end);
    if (!yearly) return std::nullopt;
    for (std::int32_t years = std::max(today.year - end->year, 0); years <= today.year - end->year + 1; ++years) {
        const auto moved = YearsLater(*end, years);
        if (moved && DayNumber(*moved) >= todayDay) return DayNumber(*moved);
    }
    return std::nullopt;
}

}  // namespace

std::optional<DueReminder> DueReminderOf(std::u16string_view goalLine, const CountChoices& counting,
                                         const GoalReminders& reminders, const CivilDate& today) {
    if (!reminders.choices.Any()) return std::nullopt;
    const auto end = ComingEnd(goalLine, counting.Yearly, today);
    if (!end) return std::nullopt;
    const std::int32_t todayDay = DayNumber(today);
    // The fewest days before the end whose day has come is the latest reminder due.
    for (const std::int32_t daysBefore : kReminderDays) {
        if (!reminders.choices.Has(daysBefore)) continue;
        const std::int32_t day = *end - daysBefore;
        if (day > todayDay) continue;
        if (reminders.shownDay && day <= *reminders.shownDay) return std::nullopt;
        return DueReminder{0, *end, daysBefore};
    }
    return std::nullopt;
}

std::vector<DueReminder> DueReminders(const ExecuteSetting& setting, const GoalList& goals, const CivilDate& today) {
    std::vector<DueReminder> due;
    const auto count = std::min(setting.RMD.size(), static_cast<std::size_t>(goals.Count()));
    for (std::size_t i = 0; i < count; ++i) {
        if (!setting.RMD[i].choices.Any()) continue;
        const auto index = static_cast<std::int32_t>(i);
        if (auto reminder = DueReminderOf(goals.LineView(i), ChoicesOfGoal(setting, index), setting.RMD[i], today)) {
            reminder->goal = index;
            due.push_back(*reminder);
        }
    }
    return due;
}

bool AnyReminders(const ExecuteSetting& setting) {
    return std::any_of(setting.RMD.begin(), setting.RMD.end(),
                       [](const GoalReminders& reminders) { return reminders.choices.Any(); });
}

void MarkReminderShown(ExecuteSetting& setting, std::int32_t index, const CivilDate& today) {
    if (index < 0) return;
    const auto slot = static_cast<std::size_t>(index);
    if (slot >= setting.RMD.size()) setting.RMD.resize(slot + 1);
    const std::int32_t day = DayNumber(today);
    std::optional<std::int32_t>& shown = setting.RMD[slot].shownDay;
    // A clock set back does not bring back the reminders already shown.
    if (!shown || *shown < day) shown = day;
}

ReminderMessage ReminderMessageOf(const ExecuteSetting& setting, const GoalList& goals, const DueReminder& reminder,
                                  const CivilDate& today) {
    std::u16string line = goals.LineAt(reminder.goal);
    ReminderMessage message;
    message.title = TrimSpaces(GoalField(line));
    if (message.title.empty()) message.title = texts::kProductCaption;
    const std::u16string endText = DateText(DateOfDayNumber(reminder.endDay));
    const std::int32_t todayDay = DayNumber(today);
    if (reminder.endDay <= todayDay) {
        message.text = texts::kReminderTodayBefore + endText + texts::kReminderTodayAfter;
        return message;
    }
    std::int32_t daysLeft = reminder.endDay - todayDay;
    if (ChoicesOfGoal(setting, reminder.goal).WorkingDays) {
        daysLeft = WorkCalendar{DaysOff(setting.OFFDAYS)}.CountWorkingDays(todayDay, reminder.endDay);
    }
    message.text = FormatText(texts::kReminderDaysLeft, {daysLeft}) + endText + texts::kReminderDaysLeftAfter;
    return message;
}

bool ShowDueReminders(ExecuteSetting& setting, const GoalList& goals, const CivilDate& today,
                      const ShowReminder& show) {
    if (!show || !AnyReminders(setting)) return false;
    bool recorded = false;
    for (const DueReminder& due : DueReminders(setting, goals, today)) {
        if (!show(ReminderMessageOf(setting, goals, due, today))) continue;
        MarkReminderShown(setting, due.goal, today);
        recorded = true;
    }
    return recorded;
}

}  // namespace kestrival
