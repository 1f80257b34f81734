#pragma once
// When the gadget reminds of a goal, as its RMD key: the days before the end date ("0,1,7,30",
// 0 the end date itself), and the day a reminder of the goal was last shown.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/count_choices.h"

namespace kestrival {

// The days before the end date a goal can be reminded of, in the order the file writes them.
inline constexpr std::array<std::int32_t, 4> kReminderDays{0, 1, 7, 30};

struct ReminderChoices {
    // One flag for each entry of kReminderDays.
    std::array<bool, kReminderDays.size()> chosen{};

    bool Any() const;
    bool Has(std::int32_t daysBefore) const;
    void Set(std::int32_t daysBefore, bool on);
    bool operator==(const ReminderChoices&) const = default;
};

// What a goal carries for its reminders: the choices, and the day (a day number) a reminder of it
// was last shown. Reminders due on or before that day are not shown again.
struct GoalReminders {
    ReminderChoices choices;
    std::optional<std::int32_t> shownDay;
    bool operator==(const GoalReminders&) const = default;
};

// Reads numbers separated by commas, blanks around them allowed; a number that is not one of
// kReminderDays, and anything that is no number, is passed over.
ReminderChoices ParseReminderChoices(std::u16string_view text);
// "0,1,7,30" with the chosen days in this order; empty without choices.
std::u16string ReminderChoicesText(const ReminderChoices& choices);
// The mark a goal with reminders shows on its panel and in the dialog's grid, after its counting
// marks; empty without reminders.
std::u16string ReminderMark(const ReminderChoices& choices);
// All marks of a goal, its counting choices' and then its reminders'.
std::u16string GoalMarks(const CountChoices& counting, const ReminderChoices& reminders);

}  // namespace kestrival
