#include "support/work_calendar.h"

#include <algorithm>
#include <chrono>

#include "support/japanese_holidays.h"

namespace kestrival {

WorkCalendar::WorkCalendar(DaysOff daysOff) : daysOff_(std::move(daysOff)) {}

const WorkCalendar::Year& WorkCalendar::YearOf(std::int32_t year) const {
    const auto found = years_.find(year);
    if (found != years_.end()) return found->second;
    Year& entry = years_[year];
    entry.firstDay = DayNumber({year, 1, 1});
    entry.length = DayNumber({year, 12, 31}) - entry.firstDay + 1;
    for (std::int32_t i = 0; i < entry.length; ++i) {
        const std::int32_t day = entry.firstDay + i;
        const std::chrono::weekday weekday{std::chrono::sys_days{std::chrono::days{day}}};
        const bool weekend = weekday == std::chrono::Saturday || weekday == std::chrono::Sunday;
        if (weekend || daysOff_.Contains(DateOfDayNumber(day))) entry.off.set(static_cast<std::size_t>(i));
    }
    for (const std::int32_t holiday : JapanesePublicHolidays(year))
        entry.off.set(static_cast<std::size_t>(holiday - entry.firstDay));
    entry.workingDays = entry.length - static_cast<std::int32_t>(entry.off.count());
    return entry;
}

bool WorkCalendar::IsWorkingDay(std::int32_t dayNumber) const {
    const Year& year = YearOf(DateOfDayNumber(dayNumber).year);
    return !year.off.test(static_cast<std::size_t>(dayNumber - year.firstDay));
}

std::int32_t WorkCalendar::CountWorkingDays(std::int32_t first, std::int32_t last) const {
    std::int32_t count = 0;
    std::int32_t day = first;
    while (day < last) {
        const Year& year = YearOf(DateOfDayNumber(day).year);
        const std::int32_t yearEnd = year.firstDay + year.length;
        const std::int32_t stop = std::min(last, yearEnd);
        if (day == year.firstDay && stop == yearEnd) {
            count += year.workingDays;
        } else {
            for (std::int32_t d = day; d < stop; ++d)
                count += year.off.test(static_cast<std::size_t>(d - year.firstDay)) ? 0 : 1;
        }
        day = stop;
    }
    return count;
}

}  // namespace kestrival
