#pragma once
// Calendar dates as civil day numbers, and the local wall clock behind a small interface.
// Day counts are calendar-day differences: no time zones, so a DST change cannot shift them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrival {

struct CivilDate {
    std::int32_t year = 1970;
    std::int32_t month = 1;
    std::int32_t day = 1;
};

// The local wall-clock time as the system reports it.
struct LocalDateTime {
    CivilDate date;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    std::int32_t second = 0;
    std::int32_t millisecond = 0;
};

class LocalClock {
public:
    virtual ~LocalClock() = default;
    virtual LocalDateTime Now() const = 0;
};

bool IsValidDate(std::int32_t year, std::int32_t month, std::int32_t day);
// Days since 1970-01-01 of a valid date (negative before it).
std::int32_t DayNumber(const CivilDate& date);
// The date of a day number (the inverse of DayNumber).
CivilDate DateOfDayNumber(std::int32_t dayNumber);
// The same day `years` later; 29 February becomes 28 February in a common year. Nothing past
// the year 9999.
std::optional<CivilDate> YearsLater(const CivilDate& date, std::int32_t years);
// A date-time as a real number of days: the day number plus the elapsed fraction of the day.
double DaysOf(const LocalDateTime& moment);

// "yyyy/mm/dd" of a date.
std::u16string DateText(const CivilDate& date);
// "hh:nn" of a time of day.
std::u16string TimeText(const LocalDateTime& moment);

// Reads "y/m/d" (digits only, 1 to 4 digit year, 1 or 2 digit month and day) as a valid date.
// Blanks around the text are allowed; anything else does not read as a date.
std::optional<CivilDate> ParseDateText(std::u16string_view text);

}  // namespace kestrival
