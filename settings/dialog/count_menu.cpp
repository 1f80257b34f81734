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
    {CountMenuItem::kDaysOff, texts::kDaysOffMenu, CountMenuMark::kNone, true},
};

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
        case CountMenuItem::kHeading:
        case CountMenuItem::kDaysOff:
            return false;
    }
    return false;
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
        case CountMenuItem::kHeading:
        case CountMenuItem::kDaysOff:
            break;
    }
}

std::u16string DaysOffText(std::u16string_view typed) { return TrimSpaces(typed); }

}  // namespace kestrival
