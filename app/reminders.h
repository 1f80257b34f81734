#pragma once
// Reminders of goals: which are due on a given day, what they say, and the record that keeps a
// reminder from being shown twice. The platforms show them (a balloon, a desktop notification)
// and record one only once it was shown.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/count_choices.h"
#include "settings/execute_setting.h"
#include "settings/reminder_choices.h"
#include "support/civil_date.h"

namespace kestrival {

struct DueReminder {
    std::int32_t goal = 0;        // the goal's place in the goal list, from 0
    std::int32_t endDay = 0;      // the end date it reminds of (a yearly goal's this time round)
    std::int32_t daysBefore = 0;  // the chosen reminder it is: one of kReminderDays
    bool operator==(const DueReminder&) const = default;
};

// The reminder of one goal due on `today`, if any. A reminder is due from its day (the end date,
// or that many calendar days before it) while the end is today or ahead; of several due, only the
// latest counts, so a machine that was off for some of them shows one. A yearly goal's end comes
// round every year (29 February on 28 February in other years). Nothing is due on or before the
// day a reminder of the goal was last shown.
std::optional<DueReminder> DueReminderOf(std::u16string_view goalLine, const CountChoices& counting,
                                         const GoalReminders& reminders, const CivilDate& today);
// The due reminders of every goal, in the goal list's order.
std::vector<DueReminder> DueReminders(const ExecuteSetting& setting, const GoalList& goals, const CivilDate& today);
// Whether any goal has a reminder at all: without one the gadget does no reminder work.
bool AnyReminders(const ExecuteSetting& setting);

// Records that a reminder of goal `index` was shown on `today`.
void MarkReminderShown(ExecuteSetting& setting, std::int32_t index, const CivilDate& today);

// What a reminder says: the goal's title, and the days left with the end date (on the day
// itself, that it is today). Days are counted as the goal counts them on its panel at the start
// of the day: working days only when it counts those.
struct ReminderMessage {
    std::u16string title;
    std::u16string text;
    bool operator==(const ReminderMessage&) const = default;
};
ReminderMessage ReminderMessageOf(const ExecuteSetting& setting, const GoalList& goals, const DueReminder& reminder,
                                  const CivilDate& today);

// One pass where the platform shows a reminder at once and tells whether it was shown (a balloon):
// each due reminder goes to `show`, and those shown are recorded. Returns whether any was, so the
// caller saves the record.
using ShowReminder = std::function<bool(const ReminderMessage& message)>;
bool ShowDueReminders(ExecuteSetting& setting, const GoalList& goals, const CivilDate& today, const ShowReminder& show);

}  // namespace kestrival
