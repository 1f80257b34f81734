#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "support/days_off.h"
#include "support/japanese_holidays.h"
#include "support/work_calendar.h"

namespace kestrival {
namespace {

struct HolidayCase {
    CivilDate date;
    bool holiday;
    const char* why;
};

// The first and last days of each rule, and the days each special rule adds or leaves out.
TEST(JapaneseHolidaysTest, BoundaryDaysOfEachRule) {
    const HolidayCase cases[] = {
        {{1948, 5, 3}, false, "before the law came into force"},
        {{1948, 9, 23}, true, "first autumn equinox under the law"},
        {{1949, 1, 1}, true, "first New Year's Day"},
        {{1949, 3, 21}, true, "first spring equinox"},
        {{1959, 4, 10}, true, "one-off: a wedding in 1959"},
        {{1966, 9, 15}, true, "Respect for the Aged Day begins"},
        {{1966, 10, 10}, true, "Sports Day begins"},
        {{1966, 2, 11}, false, "before Foundation Day"},
        {{1967, 2, 11}, true, "Foundation Day begins"},
        {{1973, 2, 12}, false, "a Sunday holiday before substitutes began"},
        {{1973, 4, 30}, true, "the first substitute holiday"},
        {{1985, 5, 4}, false, "citizens' holidays began at the end of 1985"},
        {{1986, 5, 4}, false, "a Sunday between two holidays before 2007"},
        {{1988, 5, 4}, true, "the first citizens' holiday"},
        {{1988, 4, 29}, true, "the Showa Emperor's Birthday"},
        {{1989, 2, 24}, true, "one-off: the state funeral"},
        {{1989, 12, 23}, true, "the Heisei Emperor's Birthday begins"},
        {{1990, 11, 12}, true, "one-off: the enthronement ceremony"},
        {{1993, 6, 9}, true, "one-off: a wedding in 1993"},
        {{1995, 7, 20}, false, "before Marine Day"},
        {{1996, 7, 20}, true, "Marine Day begins"},
        {{1997, 5, 4}, false, "a Sunday between two holidays stays a Sunday before 2007"},
        {{1999, 1, 15}, true, "last fixed Coming of Age Day"},
        {{1999, 10, 11}, true, "a substitute for Sports Day"},
        {{2000, 1, 10}, true, "the first Monday Coming of Age Day"},
        {{2000, 1, 15}, false, "no longer on the 15th"},
        {{2000, 10, 9}, true, "the first Monday Sports Day"},
        {{2002, 7, 20}, true, "last fixed Marine Day"},
        {{2003, 7, 21}, true, "the first Monday Marine Day"},
        {{2003, 9, 15}, true, "the first Monday Respect for the Aged Day"},
        {{2006, 5, 4}, true, "a citizens' holiday in the last year of the old rule"},
        {{2007, 4, 29}, true, "Showa Day"},
        {{2008, 5, 6}, true, "a substitute two days after its Sunday (2007 rule)"},
        {{2009, 9, 22}, true, "a citizens' holiday in September"},
        {{2016, 8, 11}, true, "Mountain Day begins"},
        {{2018, 12, 24}, true, "the last Heisei birthday's substitute"},
        {{2019, 12, 23}, false, "no Emperor's Birthday in 2019"},
        {{2019, 4, 30}, true, "between Showa Day and the accession"},
        {{2019, 5, 1}, true, "one-off: the accession"},
        {{2019, 5, 2}, true, "between the accession and Constitution Day"},
        {{2019, 5, 6}, true, "substitute for a Sunday Children's Day"},
        {{2019, 10, 22}, true, "one-off: the enthronement ceremony"},
        {{2020, 2, 23}, true, "the Reiwa Emperor's Birthday"},
        {{2020, 2, 24}, true, "its substitute"},
        {{2020, 7, 20}, false, "Marine Day moved in 2020"},
        {{2020, 7, 23}, true, "Marine Day 2020"},
        {{2020, 7, 24}, true, "Sports Day 2020"},
        {{2020, 8, 10}, true, "Mountain Day 2020"},
        {{2020, 8, 11}, false, "Mountain Day moved"},
        {{2020, 10, 12}, false, "Sports Day moved"},
        {{2021, 7, 19}, false, "Marine Day moved in 2021"},
        {{2021, 7, 22}, true, "Marine Day 2021"},
        {{2021, 7, 23}, true, "Sports Day 2021"},
        {{2021, 8, 8}, true, "Mountain Day 2021"},
        {{2021, 8, 9}, true, "its substitute"},
        {{2021, 10, 11}, false, "Sports Day moved"},
        {{2022, 7, 18}, true, "Marine Day back on a Monday"},
        {{2022, 10, 10}, true, "Sports Day back on a Monday"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsJapanesePublicHoliday(c.date), c.holiday)
            << c.why << " " << c.date.year << "/" << c.date.month << "/" << c.date.day;
    }
}

TEST(JapaneseHolidaysTest, EquinoxesOfEachEraOfTheFormula) {
    const struct {
        std::int32_t year, spring, autumn;
    } cases[] = {
        {1948, 21, 23}, {1960, 20, 23}, {1976, 20, 23}, {1979, 21, 24}, {1980, 20, 23},
        {2012, 20, 22}, {2023, 21, 23}, {2044, 20, 22}, {2092, 19, 22}, {2100, 20, 23},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SpringEquinoxDay(c.year), c.spring) << c.year;
        EXPECT_EQ(AutumnEquinoxDay(c.year), c.autumn) << c.year;
    }
}

// Past 2150 the formula's constants end: the days of 2147 to 2150 come round again, so every
// year to the last one the file can hold has its equinoxes on real days in their own month.
TEST(JapaneseHolidaysTest, EquinoxesPastTheFormulasYearsRepeatItsLastFour) {
    const struct {
        std::int32_t year, spring, autumn;
    } cases[] = {
        {2147, 21, 23}, {2148, 20, 22}, {2149, 20, 23}, {2150, 21, 23},
        {2151, 21, 23}, {5088, 20, 22}, {9996, 20, 22}, {9999, 21, 23},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SpringEquinoxDay(c.year), c.spring) << c.year;
        EXPECT_EQ(AutumnEquinoxDay(c.year), c.autumn) << c.year;
    }
    for (std::int32_t year = 1948; year <= 9999; ++year) {
        ASSERT_TRUE(SpringEquinoxDay(year) >= 19 && SpringEquinoxDay(year) <= 22) << year;
        ASSERT_TRUE(AutumnEquinoxDay(year) >= 21 && AutumnEquinoxDay(year) <= 24) << year;
    }
}

TEST(JapaneseHolidaysTest, EveryYearsHolidaysAreDaysOfThatYearInOrder) {
    for (std::int32_t year = 1948; year <= 9999; ++year) {
        const std::vector<std::int32_t> days = JapanesePublicHolidays(year);
        ASSERT_FALSE(days.empty()) << year;
        ASSERT_GE(days.front(), DayNumber({year, 1, 1})) << year;
        ASSERT_LE(days.back(), DayNumber({year, 12, 31})) << year;
        ASSERT_TRUE(std::adjacent_find(days.begin(), days.end(), std::greater_equal<>()) == days.end()) << year;
    }
}

TEST(JapaneseHolidaysTest, NoneOutsideTheLawsYears) {
    EXPECT_TRUE(JapanesePublicHolidays(1947).empty());
    EXPECT_TRUE(JapanesePublicHolidays(10000).empty());
    EXPECT_EQ(JapanesePublicHolidays(1948).size(), 3u);  // the autumn equinox, 3 and 23 November
}

TEST(DaysOffTest, ItemsAndRanges) {
    const DaysOff off(u"12/29-01/03  08/13\t2027/05/06 2026/07/01-2026/07/03 02/29 3/5");
    const struct {
        CivilDate date;
        bool off;
    } cases[] = {
        {{2026, 12, 28}, false}, {{2026, 12, 29}, true}, {{2026, 12, 31}, true}, {{2027, 1, 1}, true},
        {{2027, 1, 3}, true},    {{2027, 1, 4}, false},  {{2031, 8, 13}, true},  {{2027, 5, 6}, true},
        {{2028, 5, 6}, false},   {{2026, 6, 30}, false}, {{2026, 7, 1}, true},   {{2026, 7, 3}, true},
        {{2026, 7, 4}, false},   {{2028, 2, 29}, true},  {{2027, 2, 28}, false}, {{2027, 3, 1}, false},
        {{2027, 3, 5}, true},
    };
    for (const auto& c : cases) EXPECT_EQ(off.Contains(c.date), c.off) << c.date.year << "/" << c.date.month;
}

TEST(DaysOffTest, OverlappingDatedRangesJoin) {
    const DaysOff off(u"2026/07/05-2026/07/20 2026/07/01-2026/07/10 2026/07/21 2026/08/01 2026/07/02");
    for (int day = 1; day <= 21; ++day) EXPECT_TRUE(off.Contains({2026, 7, day})) << day;
    EXPECT_FALSE(off.Contains({2026, 6, 30}));
    EXPECT_FALSE(off.Contains({2026, 7, 22}));
    EXPECT_TRUE(off.Contains({2026, 8, 1}));
    EXPECT_FALSE(off.Contains({2026, 8, 2}));
}

TEST(DaysOffTest, OddItemsArePassedOver) {
    for (const char16_t* text :
         {u"", u"   ", u"13/01", u"02/30", u"2026/02/29", u"12/29-2027/01/03", u"2026/07/03-2026/07/01", u"abc",
          u"1/2/3/4", u"12/29-", u"-01/03", u"123/1", u"１２/２９", u"12/29--01/03"}) {
        const DaysOff off(text);
        EXPECT_TRUE(off.Empty()) << std::string(text, text + std::char_traits<char16_t>::length(text)).size();
    }
    // A good item after odd ones still counts.
    EXPECT_TRUE(DaysOff(u"xx 99/99 05/01").Contains({2030, 5, 1}));
    EXPECT_TRUE(DaysOff(u"05/01\u300005/02").Contains({2030, 5, 2}));  // an ideographic space separates too
}

TEST(WorkCalendarTest, WeekendsHolidaysAndDaysOffAreNotWorkingDays) {
    const WorkCalendar calendar{DaysOff(u"12/29-01/03")};
    const auto day = [](CivilDate date) { return DayNumber(date); };
    EXPECT_TRUE(calendar.IsWorkingDay(day({2026, 12, 11})));   // a Friday
    EXPECT_FALSE(calendar.IsWorkingDay(day({2026, 12, 12})));  // Saturday
    EXPECT_FALSE(calendar.IsWorkingDay(day({2026, 11, 23})));  // Labour Thanksgiving Day
    EXPECT_FALSE(calendar.IsWorkingDay(day({2026, 12, 29})));  // a day off
    // Over the new year: 28 Dec (Mon) works; 29 Dec to 3 Jan off; 4 to 8 Jan work; 11 Jan is
    // Coming of Age Day; 12 Jan works.
    EXPECT_EQ(calendar.CountWorkingDays(day({2026, 12, 28}), day({2027, 1, 13})), 1 + 5 + 1);
    EXPECT_EQ(calendar.CountWorkingDays(day({2027, 1, 13}), day({2027, 1, 13})), 0);
    EXPECT_EQ(calendar.CountWorkingDays(day({2027, 1, 14}), day({2027, 1, 13})), 0);
}

TEST(WorkCalendarTest, WholeYearsCountLikeDayByDay) {
    const WorkCalendar calendar;
    const std::int32_t first = DayNumber({1990, 3, 15}), last = DayNumber({2031, 8, 2});
    std::int32_t dayByDay = 0;
    for (std::int32_t d = first; d < last; ++d) dayByDay += calendar.IsWorkingDay(d) ? 1 : 0;
    EXPECT_EQ(calendar.CountWorkingDays(first, last), dayByDay);
    // 2026 has 365 days, 104 weekend days and 17 holidays on weekdays (a substitute and a
    // citizens' holiday among them).
    EXPECT_EQ(calendar.CountWorkingDays(DayNumber({2026, 1, 1}), DayNumber({2027, 1, 1})), 365 - 104 - 17);
}

// Spans of centuries count as day by day: before the law, across 2150, over 29 February of
// years that have one and years that do not, with days off every year and dated days off that
// cover whole years, parts of years or none, up to the last day.
TEST(WorkCalendarTest, SpansOfCenturiesCountLikeDayByDay) {
    const struct {
        const char16_t* daysOff;
        CivilDate first, last;
    } cases[] = {
        {u"", {1, 1, 1}, {620, 7, 4}},
        {u"", {1700, 2, 28}, {2160, 1, 1}},
        {u"12/29-01/03 02/29 8/13", {2140, 6, 15}, {2700, 3, 1}},
        {u"2300/01/01-2450/06/30 2460/12/31 03/20", {2290, 1, 1}, {2761, 1, 1}},
        {u"9998/12/25 05/05-05/09", {9600, 1, 1}, {9999, 12, 31}},
    };
    for (const auto& c : cases) {
        const WorkCalendar calendar{DaysOff(c.daysOff)};
        const WorkCalendar dayByDay{DaysOff(c.daysOff)};
        // The last day too: the span ends the day after it.
        const std::int32_t first = DayNumber(c.first), end = DayNumber(c.last) + 1;
        std::int32_t expected = 0;
        for (std::int32_t d = first; d < end; ++d) expected += dayByDay.IsWorkingDay(d) ? 1 : 0;
        EXPECT_EQ(calendar.CountWorkingDays(first, end), expected) << c.first.year;
    }
}

}  // namespace
}  // namespace kestrival
