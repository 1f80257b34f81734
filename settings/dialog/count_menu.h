#pragma once
// The goal grid's context menu for a row's counting choices, as a table both platforms build
// their menu from, and what each item does to the row.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "settings/count_choices.h"

namespace kestrival {

enum class CountMenuItem { kHeading, kCalendar, kTodayIncluded, kWorkingDays, kYearly, kDaysOff };
enum class CountMenuMark { kNone, kRadio, kCheck };

struct CountMenuRow {
    CountMenuItem item;
    const char16_t* text;
    CountMenuMark mark;
    bool separatorBefore;
};

std::span<const CountMenuRow> CountMenuRows();
// Whether the item shows its mark for a row with these choices; the heading is never chosen.
bool CountMenuChecked(CountMenuItem item, const CountChoices& choices);
// "暦日どおり" clears both ways of counting, the others turn their own choice over; the heading
// and the days-off item leave the row as it is.
void ApplyCountMenuItem(CountMenuItem item, CountChoices& choices);
// What the days-off dialog's OK keeps of the typed text: it without blanks around it.
std::u16string DaysOffText(std::u16string_view typed);

}  // namespace kestrival
