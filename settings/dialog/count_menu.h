#pragma once
// The goal grid's context menu for a row's counting choices and reminders, as a table both
// platforms build their menu from, and what each item does to the row.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "settings/count_choices.h"
#include "settings/reminder_choices.h"

namespace kestrival {

enum class CountMenuItem {
    kHeading,
    kCalendar,
    kTodayIncluded,
    kWorkingDays,
    kYearly,
    kDaysOff,
    kRemindHeading,
    kRemindOnDay,
    kRemindDayBefore,
    kRemindWeekBefore,
    kRemindMonthBefore,
    kRemindNever,
};
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
// The same for every item, reminders included: a reminder item turns its day over, "知らせない"
// clears them all; both headings are never chosen.
bool RowMenuChecked(CountMenuItem item, const CountChoices& choices, const ReminderChoices& reminders);
void ApplyRowMenuItem(CountMenuItem item, CountChoices& choices, ReminderChoices& reminders);
// What the days-off dialog's OK keeps of the typed text: it without blanks around it.
std::u16string DaysOffText(std::u16string_view typed);

}  // namespace kestrival
