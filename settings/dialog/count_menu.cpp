#include "settings/dialog/count_menu.h"

#include "support/text.h"
#include "support/ui_texts.h"

namespace kestrival {
namespace {

constexpr CountMenuRow kRows[] = {
    {CountMenuItem::kHeading, texts::kCountHeading, CountMenuMark::kNone, false},
    {CountMenuItem::kCalendar, texts::kCountCalendar, CountMenuMark::kRadio, false},
    {CountMenuItem::kTodayIncluded, texts::kCountTodayIncluded, CountMenuMark::kCheck, false},
    {CountMenuItem::kWorkingDays, texts::kCountWorkingDays, CountMenuMark::kCheck, false},
    {CountMenuItem::kYearly, texts::kCountYearly, CountMenuMark::kCheck, true},
    // Reminders, then the days off last, where the keyboard finds them from the menu's end.
    {CountMenuItem::kRemindHeading, texts::kRemindHeading, CountMenuMark::kNone, true},
    {CountMenuItem::kRemindOnDay, texts::kRemindOnDay, CountMenuMark::kCheck, false},
    {CountMenuItem::kRemindDayBefore, texts::kRemindDayBefore, CountMenuMark::kCheck, false},
    {CountMenuItem::kRemindWeekBefore, texts::kRemindWeekBefore, CountMenuMark::kCheck, false},
    {CountMenuItem::kRemindMonthBefore, texts::kRemindMonthBefore, CountMenuMark::kCheck, false},
    {CountMenuItem::kRemindNever, texts::kRemindNever, CountMenuMark::kRadio, false},
    {CountMenuItem::kDaysOff, texts::kDaysOffMenu, CountMenuMark::kNone, true},
};

// The days before the end date a reminder item stands for; -1 for the other items.
std::int32_t ReminderDaysOf(CountMenuItem item) {
    switch (item) {
        case CountMenuItem::kRemindOnDay:
            return 0;
        case CountMenuItem::kRemindDayBefore:
            return 1;
        case CountMenuItem::kRemindWeekBefore:
            return 7;
        case CountMenuItem::kRemindMonthBefore:
            return 30;
        default:
            return -1;
    }
}

}  // namespace

std::span<const CountMenuRow> CountMenuRows() { return kRows; }

bool CountMenuChecked(CountMenuItem item, const CountChoices& choices) {
    switch (item) {
        case CountMenuItem::kCalendar:
            return !choices.TodayIncluded && !choices.WorkingDays;
        case CountMenuItem::kTodayIncluded:
            return choices.TodayIncluded;
        case CountMenuItem::kWorkingDays:
            return choices.WorkingDays;
        case CountMenuItem::kYearly:
            return choices.Yearly;
        default:
            return false;
    }
}

void ApplyCountMenuItem(CountMenuItem item, CountChoices& choices) {
    switch (item) {
        case CountMenuItem::kCalendar:
            choices.TodayIncluded = choices.WorkingDays = false;
            break;
        case CountMenuItem::kTodayIncluded:
            choices.TodayIncluded = !choices.TodayIncluded;
            break;
        case CountMenuItem::kWorkingDays:
            choices.WorkingDays = !choices.WorkingDays;
            break;
        case CountMenuItem::kYearly:
            choices.Yearly = !choices.Yearly;
            break;
        default:
            break;
    }
}

bool RowMenuChecked(CountMenuItem item, const CountChoices& choices, const ReminderChoices& reminders) {
    if (item == CountMenuItem::kRemindNever) return !reminders.Any();
    const std::int32_t days = ReminderDaysOf(item);
    return days >= 0 ? reminders.Has(days) : CountMenuChecked(item, choices);
}

void ApplyRowMenuItem(CountMenuItem item, CountChoices& choices, ReminderChoices& reminders) {
    if (item == CountMenuItem::kRemindNever) {
        reminders = {};
        return;
    }
    const std::int32_t days = ReminderDaysOf(item);
    if (days >= 0) {
        reminders.Set(days, !reminders.Has(days));
    } else {
        ApplyCountMenuItem(item, choices);
    }
}

std::u16string DaysOffText(std::u16string_view typed) { return TrimSpaces(typed); }

}  // namespace kestrival
