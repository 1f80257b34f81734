#include "support/work_calendar.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "support/japanese_holidays.h"

namespace kestrival {
namespace {

// Weekdays and leap years repeat every 400 years (146097 days are 20871 weeks).
constexpr std::int32_t kCycleYears = 400;
constexpr std::int32_t kCycleDays = 146097;
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

// The first of the 400 twin years that stand for `year`, in a part of time whose years repeat;
// 0 for the years of the law's own days, which do not.
std::int32_t CycleOf(std::int32_t year) {
    if (year >= kFirstRepeatingYear) return kFirstRepeatingYear;
    if (year + kCycleYears <= kFirstHolidayYear) return kFirstHolidayYear - kCycleYears;
    return 0;
}

// Sunday 0 to Saturday 6; day 0, 1 January 1970, was a Thursday.
std::int32_t WeekdayOf(std::int32_t dayNumber) { return ((dayNumber + 4) % 7 + 7) % 7; }

bool IsWeekend(std::int32_t weekday) { return weekday == 0 || weekday == 6; }

std::int32_t DaysInMonth(std::int32_t year, std::int32_t month) {
    using namespace std::chrono;
    const year_month_day_last last{std::chrono::year{year},
                                   month_day_last{std::chrono::month{static_cast<unsigned>(month)}}};
    return static_cast<std::int32_t>(static_cast<unsigned>(last.day()));
}

}  // namespace

WorkCalendar::WorkCalendar(DaysOff daysOff) : daysOff_(std::move(daysOff)), everyYearDays_(daysOff_.EveryYearDays()) {}

// Walks the year by month and day, with the weekday kept by counting.
WorkCalendar::Year WorkCalendar::MakeYear(std::int32_t year) const {
    Year entry;
    entry.firstDay = DayNumber({year, 1, 1});
    entry.length = DayNumber({year + 1, 1, 1}) - entry.firstDay;
    std::int32_t weekday = WeekdayOf(entry.firstDay);
    std::size_t index = 0;
    for (std::int32_t month = 1; month <= 12; ++month) {
        const std::int32_t days = DaysInMonth(year, month);
        for (std::int32_t day = 1; day <= days; ++day, ++index, weekday = (weekday + 1) % 7) {
            if (IsWeekend(weekday) || daysOff_.Contains({year, month, day})) entry.off.set(index);
        }
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

// The same count for a year without dated days off, from the few days that are not weekends by
// rule: a long span makes one for each of hundreds of twin years, so it takes no walk of the days.
std::int32_t WorkCalendar::CountUndatedYear(std::int32_t year) const {
    const std::int32_t firstDay = DayNumber({year, 1, 1});
    const std::int32_t length = DayNumber({year + 1, 1, 1}) - firstDay;
    const std::int32_t firstWeekday = WeekdayOf(firstDay);
    const auto weekendAt = [firstWeekday](std::int32_t index) { return IsWeekend((firstWeekday + index) % 7); };
    std::int32_t off = 104;  // the weekends of the first 52 weeks
    for (std::int32_t index = 364; index < length; ++index) off += weekendAt(index) ? 1 : 0;
    for (const std::int32_t monthDay : everyYearDays_) {
        const std::int32_t month = monthDay / 32, day = monthDay % 32;
        if (day > DaysInMonth(year, month)) continue;  // 29 February of a common year
        off += weekendAt(DayNumber({year, month, day}) - firstDay) ? 0 : 1;
    }
    for (const std::int32_t holiday : JapanesePublicHolidays(year)) {
        const std::int32_t index = holiday - firstDay;
        if (index < 0 || index >= length || weekendAt(index)) continue;
        off += daysOff_.ContainsEveryYear(DateOfDayNumber(holiday)) ? 0 : 1;
    }
    return length - off;
}

const WorkCalendar::Year& WorkCalendar::YearOf(std::int32_t year) const {
    const auto found = years_.find(year);
    if (found != years_.end()) return found->second;
    return years_.emplace(year, MakeYear(year)).first->second;
}

std::int32_t WorkCalendar::UndatedWorkingDays(std::int32_t year) const {
    const std::int32_t twin = TwinYear(year);
    const auto found = undatedYears_.find(twin);
    if (found != undatedYears_.end()) return found->second;
    return undatedYears_.emplace(twin, CountUndatedYear(twin)).first->second;
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
    return UndatedWorkingDays(year);
}

std::optional<std::int32_t> WorkCalendar::WorkingDaysOfCycle(std::int32_t year, std::int32_t firstDay,
                                                             std::int32_t last) const {
    const std::int32_t cycle = CycleOf(year);
    // The whole cycle must lie in its part of time, end by `last` and have no dated day off.
    if (cycle == 0 || CycleOf(year + kCycleYears - 1) != cycle || last - firstDay < kCycleDays) return std::nullopt;
    if (daysOff_.DatedCoverage(firstDay, firstDay + kCycleDays - 1) != DaysOff::Coverage::kNone) return std::nullopt;
    // Any 400 years in a row hold each twin year once.
    const auto found = cycles_.find(cycle);
    if (found != cycles_.end()) return found->second;
    std::int32_t sum = 0;
    for (std::int32_t twin = cycle; twin < cycle + kCycleYears; ++twin) sum += UndatedWorkingDays(twin);
    return cycles_.emplace(cycle, sum).first->second;
}

bool WorkCalendar::IsWorkingDay(std::int32_t dayNumber) const {
    const Year& year = YearOf(DateOfDayNumber(dayNumber).year);
    return !year.off.test(static_cast<std::size_t>(dayNumber - year.firstDay));
}

std::int32_t WorkCalendar::CountWorkingDays(std::int32_t first, std::int32_t last) const {
    if (first >= last) return 0;
    std::int32_t count = 0;
    std::int32_t year = DateOfDayNumber(first).year;
    std::int32_t yearStart = DayNumber({year, 1, 1});
    for (std::int32_t day = first; day < last;) {
        if (day == yearStart) {
            if (const auto cycle = WorkingDaysOfCycle(year, yearStart, last)) {
                count += *cycle;
                day = yearStart += kCycleDays;
                year += kCycleYears;
                continue;
            }
        }
        const std::int32_t yearEnd = DayNumber({year + 1, 1, 1});
        const std::int32_t stop = std::min(last, yearEnd);
        if (day == yearStart && stop == yearEnd) {
            count += WorkingDaysOfYear(year, yearStart, yearEnd);
        } else {
            const Year& entry = YearOf(year);
            for (std::int32_t d = day; d < stop; ++d)
                count += entry.off.test(static_cast<std::size_t>(d - entry.firstDay)) ? 0 : 1;
        }
        day = yearStart = yearEnd;
        ++year;
    }
    return count;
}

}  // namespace kestrival
