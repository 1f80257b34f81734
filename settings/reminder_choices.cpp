#include "settings/reminder_choices.h"

#include "support/integer_rule.h"
#include "support/text.h"

namespace kestrival {
namespace {

// A bell, in the script of the other marks.
constexpr const char16_t* kReminderMark = u"鈴";

std::optional<std::size_t> SlotOf(std::int32_t daysBefore) {
    for (std::size_t i = 0; i < kReminderDays.size(); ++i) {
        if (kReminderDays[i] == daysBefore) return i;
    }
    return std::nullopt;
}

}  // namespace

bool ReminderChoices::Any() const {
    for (bool on : chosen) {
        if (on) return true;
    }
    return false;
}

bool ReminderChoices::Has(std::int32_t daysBefore) const {
    const auto slot = SlotOf(daysBefore);
    return slot && chosen[*slot];
}

void ReminderChoices::Set(std::int32_t daysBefore, bool on) {
    if (const auto slot = SlotOf(daysBefore)) chosen[*slot] = on;
}

ReminderChoices ParseReminderChoices(std::u16string_view text) {
    ReminderChoices choices;
    std::u16string rest(text);
    while (!rest.empty()) {
        const std::u16string field = TrimSpaces(TakeField(rest, &rest));
        if (const auto days = ParseInteger(field)) choices.Set(*days, true);
    }
    return choices;
}

std::u16string ReminderChoicesText(const ReminderChoices& choices) {
    std::u16string text;
    for (std::size_t i = 0; i < kReminderDays.size(); ++i) {
        if (!choices.chosen[i]) continue;
        if (!text.empty()) text += u',';
        text += FormatText(u"%d", {kReminderDays[i]});
    }
    return text;
}

std::u16string ReminderMark(const ReminderChoices& choices) { return choices.Any() ? kReminderMark : u""; }

std::u16string GoalMarks(const CountChoices& counting, const ReminderChoices& reminders) {
    return CountChoicesMark(counting) + ReminderMark(reminders);
}

}  // namespace kestrival
