#include "support/japanese_holidays.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>

namespace kestrival {
namespace {

constexpr std::int32_t kLastYear = 9999;

enum class DayRule { kFixed, kNthMonday, kSpringEquinox, kAutumnEquinox };

// One holiday of the law over the years it held. For kNthMonday `day` is which Monday of the month.
struct HolidayRule {
    std::int32_t month;
    std::int32_t day;
    DayRule rule;
    std::int32_t firstYear;
    std::int32_t lastYear;
};

// The law came into force on 20 July 1948: only the holidays after that day count in 1948.
constexpr HolidayRule kHolidayRules[] = {
    {1, 1, DayRule::kFixed, 1949, kLastYear},          // New Year's Day
    {1, 15, DayRule::kFixed, 1949, 1999},              // Coming of Age Day
    {1, 2, DayRule::kNthMonday, 2000, kLastYear},      //   on a Monday from 2000
    {2, 11, DayRule::kFixed, 1967, kLastYear},         // National Foundation Day
    {2, 23, DayRule::kFixed, 2020, kLastYear},         // the Emperor's Birthday (Reiwa)
    {3, 0, DayRule::kSpringEquinox, 1949, kLastYear},  // Vernal Equinox Day
    {4, 29, DayRule::kFixed, 1949, kLastYear},         // the Emperor's Birthday, Greenery Day, Showa Day
    {5, 3, DayRule::kFixed, 1949, kLastYear},          // Constitution Day
    {5, 4, DayRule::kFixed, 2007, kLastYear},          // Greenery Day
    {5, 5, DayRule::kFixed, 1949, kLastYear},          // Children's Day
    {7, 20, DayRule::kFixed, 1996, 2002},              // Marine Day
    {7, 3, DayRule::kNthMonday, 2003, 2019},           //   on a Monday from 2003
    {7, 3, DayRule::kNthMonday, 2022, kLastYear},      //   (moved for the Games in 2020 and 2021)
    {8, 11, DayRule::kFixed, 2016, 2019},              // Mountain Day
    {8, 11, DayRule::kFixed, 2022, kLastYear},         //   (moved in 2020 and 2021)
    {9, 15, DayRule::kFixed, 1966, 2002},              // Respect for the Aged Day
    {9, 3, DayRule::kNthMonday, 2003, kLastYear},      //   on a Monday from 2003
    {9, 0, DayRule::kAutumnEquinox, 1948, kLastYear},  // Autumnal Equinox Day
    {10, 10, DayRule::kFixed, 1966, 1999},             // Sports Day
    {10, 2, DayRule::kNthMonday, 2000, 2019},          //   on a Monday from 2000
    {10, 2, DayRule::kNthMonday, 2022, kLastYear},     //   (moved in 2020 and 2021)
    {11, 3, DayRule::kFixed, 1948, kLastYear},         // Culture Day
    {11, 23, DayRule::kFixed, 1948, kLastYear},        // Labour Thanksgiving Day
    {12, 23, DayRule::kFixed, 1989, 2018},             // the Emperor's Birthday (Heisei)
};

// Days that special laws made holidays once, and the holidays moved for the Games.
constexpr CivilDate kSingleDays[] = {
    {1959, 4, 10}, {1989, 2, 24}, {1990, 11, 12}, {1993, 6, 9},  {2019, 5, 1},  {2019, 10, 22},
    {2020, 7, 23}, {2020, 7, 24}, {2020, 8, 10},  {2021, 7, 22}, {2021, 7, 23}, {2021, 8, 8},
};

constexpr CivilDate kSubstituteHolidaysFrom{1973, 4, 12};
constexpr CivilDate kCitizensHolidaysFrom{1985, 12, 27};
// From 2007 a Sunday holiday moves to the next day that is no holiday, and a day between two
// holidays is a holiday whatever weekday it is.
constexpr std::int32_t kRevisedRulesYear = 2007;

bool IsSunday(std::int32_t dayNumber) {
    return std::chrono::weekday{std::chrono::sys_days{std::chrono::days{dayNumber}}} == std::chrono::Sunday;
}

std::int32_t NthMonday(std::int32_t year, std::int32_t month, std::int32_t n) {
    using namespace std::chrono;
    const year_month_weekday date{std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} /
                                  Monday[static_cast<unsigned>(n)]};
    return static_cast<std::int32_t>(sys_days{date}.time_since_epoch().count());
}

std::int32_t DayOfRule(const HolidayRule& rule, std::int32_t year) {
    switch (rule.rule) {
        case DayRule::kFixed:
            return DayNumber({year, rule.month, rule.day});
        case DayRule::kNthMonday:
            return NthMonday(year, rule.month, rule.day);
        case DayRule::kSpringEquinox:
            return DayNumber({year, 3, SpringEquinoxDay(year)});
        case DayRule::kAutumnEquinox:
            return DayNumber({year, 9, AutumnEquinoxDay(year)});
    }
    return 0;
}

// The formula's constants are published up to 2150. Left running past it, the formula drifts a
// day earlier about every 130 years (it leaves out that 2200, 2300 ... have no 29 February) until
// it names days that do not exist, such as 0 September. Nobody can know on which days later
// centuries will keep the equinox holidays, so past 2150 the days of the last four published
// years come round again in step with the leap years: 20 or 21 March, 22 or 23 September. A year
// past 2150 then has the holidays of the year 400 years before it, as it has its weekdays.
constexpr std::int32_t kLastEquinoxYear = 2150;

std::int32_t EquinoxYear(std::int32_t year) {
    if (year <= kLastEquinoxYear) return year;
    return year - 4 * ((year - kLastEquinoxYear + 3) / 4);
}

// The day of the month of an equinox: base + drift × (year − 1980) − leap-year corrections. The
// constants change with the century.
std::int32_t EquinoxDay(std::int32_t year, double before1980, double from1980, double from2100) {
    year = EquinoxYear(year);
    const double drift = 0.242194 * (year - 1980);
    if (year < 1980) {
        // This era's formula truncates the leap-year term toward zero.
        return static_cast<std::int32_t>(std::floor(before1980 + drift)) - (year - 1983) / 4;
    }
    const double base = year < 2100 ? from1980 : from2100;
    return static_cast<std::int32_t>(std::floor(base + drift - (year - 1980) / 4));
}

bool Contains(const std::vector<std::int32_t>& days, std::int32_t day) {
    return std::binary_search(days.begin(), days.end(), day);
}

}  // namespace

std::int32_t SpringEquinoxDay(std::int32_t year) { return EquinoxDay(year, 20.8357, 20.8431, 21.8510); }

std::int32_t AutumnEquinoxDay(std::int32_t year) { return EquinoxDay(year, 23.2588, 23.2488, 24.2488); }

std::vector<std::int32_t> JapanesePublicHolidays(std::int32_t year) {
    if (year < 1948 || year > kLastYear) return {};
    // The holidays the law names, then the days it adds because of them.
    std::vector<std::int32_t> named;
    for (const HolidayRule& rule : kHolidayRules) {
        if (year >= rule.firstYear && year <= rule.lastYear) named.push_back(DayOfRule(rule, year));
    }
    for (const CivilDate& date : kSingleDays) {
        if (date.year == year) named.push_back(DayNumber(date));
    }
    std::sort(named.begin(), named.end());

    const std::int32_t revisedFrom = DayNumber({kRevisedRulesYear, 1, 1});
    std::vector<std::int32_t> substitutes;
    for (const std::int32_t day : named) {
        if (!IsSunday(day) || day < DayNumber(kSubstituteHolidaysFrom)) continue;
        std::int32_t next = day + 1;
        if (day >= revisedFrom) {
            while (Contains(named, next)) ++next;
        } else if (Contains(named, next)) {
            continue;  // before 2007 only the Monday after could take the holiday's place
        }
        substitutes.push_back(next);
    }
    std::sort(substitutes.begin(), substitutes.end());

    std::vector<std::int32_t> holidays = named;
    holidays.insert(holidays.end(), substitutes.begin(), substitutes.end());
    const std::int32_t citizensFrom = DayNumber(kCitizensHolidaysFrom);
    for (std::size_t i = 0; i + 1 < named.size(); ++i) {
        const std::int32_t between = named[i] + 1;
        if (named[i + 1] != between + 1 || between < citizensFrom) continue;
        // Before 2007 a Sunday or a substitute holiday stayed what it was.
        if (between < revisedFrom && (IsSunday(between) || Contains(substitutes, between))) continue;
        holidays.push_back(between);
    }
    std::sort(holidays.begin(), holidays.end());
    holidays.erase(std::unique(holidays.begin(), holidays.end()), holidays.end());
    return holidays;
}

bool IsJapanesePublicHoliday(const CivilDate& date) {
    return Contains(JapanesePublicHolidays(date.year), DayNumber(date));
}

}  // namespace kestrival
