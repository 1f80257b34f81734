#pragma once
// Working days: not a Saturday or Sunday, not a Japanese public holiday, not one of the user's
// days off. Counting runs a year at a time over remembered years, so a span of decades stays
// cheap on every repaint.
#include <bitset>
#include <cstdint>
#include <map>

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
    mutable std::map<std::int32_t, Year> years_;

    const Year& YearOf(std::int32_t year) const;
};

}  // namespace kestrival
