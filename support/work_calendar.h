#pragma once
// Working days: not a Saturday or Sunday, not a Japanese public holiday, not one of the user's
// days off. Counting runs a year at a time over remembered years, so a span of decades stays
// cheap on every repaint; and as the weekdays, the holidays and the yearly days off of a year come
// round again 400 years later outside the years of the holiday law's special days, a whole year
// that no dated day off touches counts like its twin in one such cycle, and 400 such years in a
// row count as a whole cycle: a span of thousands of years costs no more than a few hundred.
#include <bitset>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "support/days_off.h"

namespace kestrival {

class WorkCalendar {
public:
    explicit WorkCalendar(DaysOff daysOff = {});

    bool IsWorkingDay(std::int32_t dayNumber) const;
    // The working days D with first <= D < last; 0 for an empty span.
    std::int32_t CountWorkingDays(std::int32_t first, std::int32_t last) const;

private:
    struct Year {
        std::int32_t firstDay = 0;  // the day number of 1 January
        std::int32_t length = 0;
        std::bitset<366> off;
        std::int32_t workingDays = 0;
    };
    DaysOff daysOff_;
    std::vector<std::int32_t> everyYearDays_;  // month × 32 + day
    mutable std::map<std::int32_t, Year> years_;
    // Working days of whole years without dated days off, by the year that stands for them, and
    // of 400 such years in a row, by the first year of their cycle.
    mutable std::map<std::int32_t, std::int32_t> undatedYears_;
    mutable std::map<std::int32_t, std::int32_t> cycles_;

    const Year& YearOf(std::int32_t year) const;
    Year MakeYear(std::int32_t year) const;
    std::int32_t CountUndatedYear(std::int32_t year) const;
    std::int32_t UndatedWorkingDays(std::int32_t year) const;
    std::int32_t WorkingDaysOfYear(std::int32_t year, std::int32_t firstDay, std::int32_t endDay) const;
    // The working days of the 400 years from `year` (starting on day `firstDay`) when they repeat
    // a cycle, end by `last` and hold no dated day off; nothing otherwise.
    std::optional<std::int32_t> WorkingDaysOfCycle(std::int32_t year, std::int32_t firstDay, std::int32_t last) const;
};

}  // namespace kestrival
