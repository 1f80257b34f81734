#include "support/work_calendar.h"

#include <algorithm>
#include <chrono>

#include "support/japanese_holidays.h"

namespace kestrival {
namespace {

// Weekdays and leap years repeat every 400 years (146097 days are 20871 weeks).
constexpr std::int32_t kCycleYears = 400;
// Before the law there are no holidays; from 2151 they follow rules that depend only on the
// weekdays and the leap years (see the equinox days). In between, each year is its own.
constexpr std::int32_t kFirstHolidayYear = 1948;
constexpr std::int32_t kFirstRepeatingYear = 2151;

// The year whose working days, dated days off aside, are those of `year`.
std::int32_t TwinYear(std::int32_t year) {
    if (year >= kFirstRepeatingYear) return kFirstRepeatingYear + (year - kFirstRepeatingYear) % kCycleYears;
    if (year < kFirstHolidayYear) {
        const std::int32_t before = (kFirstHolidayYear - 1 - year) % kCycleYears;
        return kFirstHolidayYear - 1 - before;
    }
    return year;
}

bool IsWeekend(std::int32_t dayNumber) {
    const std::chrono::weekday weekday{std::chrono::sys_days{std::chrono::days{dayNumber}}};
    return weekday == std::chrono::Saturday || weekday == std::chrono::Sunday;
}

}  // namespace

WorkCalendar::WorkCalendar(DaysOff daysOff) : daysOff_(std::move(daysOff)) {}

WorkCalendar::Year WorkCalendar::MakeYear(std::int32_t year, bool withDatedDaysOff) const {
    Year entry;
    entry.firstDay = DayNumber({year, 1, 1});
    entry.length = DayNumber({year + 1, 1, 1}) - entry.firstDay;
    for (std::int32_t i = 0; i < entry.length; ++i) {
        const std::int32_t day = entry.firstDay + i;
        const CivilDate date = DateOfDayNumber(day);
        const bool dayOff = withDatedDaysOff ? daysOff_.Contains(date) : daysOff_.ContainsEveryYear(date);
        if (IsWeekend(day) || dayOff) entry.off.set(static_cast<std::size_t>(i));
    }
    for (const std::int32_t holiday : JapanesePublicHolidays(year)) {
        // Every holiday falls in its own year; the check keeps a rule's fault from reaching memory.
        if (holiday >= entry.firstDay && holiday < entry.firstDay + entry.length) {
            entry.off.set(static_cast<std::size_t>(holiday - entry.firstDay));
        }
    }
    entry.workingDays = entry.length - static_cast<std::int32_t>(entry.off.count());
    return entry;
}

const WorkCalendar::Year& WorkCalendar::YearOf(std::int32_t year) const {
    const auto found = years_.find(year);
    if (found != years_.end()) return found->second;
    return years_.emplace(year, MakeYear(year, true)).first->second;
}

std::int32_t WorkCalendar::WorkingDaysOfYear(std::int32_t year, std::int32_t firstDay, std::int32_t endDay) const {
    switch (daysOff_.DatedCoverage(firstDay, endDay - 1)) {
        case DaysOff::Coverage::kAll:
            return 0;
        case DaysOff::Coverage::kSome:
            return YearOf(year).workingDays;
        case DaysOff::Coverage::kNone:
            break;
    }
    const std::int32_t twin = TwinYear(year);
    const auto found = undatedYears_.find(twin);
    if (found != undatedYears_.end()) return found->second;
    return undatedYears_.emplace(twin, MakeYear(twin, false).workingDays).first->second;
}

bool WorkCalendar::IsWorkingDay(std::int32_t dayNumber) const {
    const Year& year = YearOf(DateOfDayNumber(dayNumber).year);
    return !year.off.test(static_cast<std::size_t>(dayNumber - year.firstDay));
}

std::int32_t WorkCalendar::CountWorkingDays(std::int32_t first, std::int32_t last) const {
    std::int32_t count = 0;
    std::int32_t day = first;
    while (day < last) {
        const std::int32_t year = DateOfDayNumber(day).year;
        const std::int32_t yearStart = DayNumber({year, 1, 1});
        const std::int32_t yearEnd = DayNumber({year + 1, 1, 1});
        const std::int32_t stop = std::min(last, yearEnd);
        if (day == yearStart && stop == yearEnd) {
            count += WorkingDaysOfYear(year, yearStart, yearEnd);
        } else {
            const Year& entry = YearOf(year);
            for (std::int32_t d = day; d < stop; ++d)
                count += entry.off.test(static_cast<std::size_t>(d - entry.firstDay)) ? 0 : 1;
        }
        day = stop;
    }
    return count;
}

}  // namespace kestrival
