#include "support/normalize_date.h"

#include <gtest/gtest.h>

#include "support/civil_date.h"
#include "support/text.h"

namespace kestrival {
namespace {

constexpr CivilDate kToday{2026, 7, 9};

struct DateCase {
    const char16_t* input;
    const char16_t* expected;
};

TEST(NormalizeDateTest, TableOfTypedDates) {
    const DateCase cases[] = {
        {u"2024/5/1", u"2024/05/01"},
        {u"2024 / 05 / 01", u"2024/05/01"},
        {u"2024\u3000/05/01", u"2024/05/01"},
        {u"2024/005/001", u"2024/05/01"},
        {u"5/1", u"2026/05/01"},
        {u"5/1/", u"2026/05/01"},
        {u"15", u"2026/07/15"},
        {u"15/", u"2026/07/15"},
        {u"24/5/1", u"0024/05/01"},
        {u"240501", u"2024/05/01"},
        {u"990101", u"2099/01/01"},   // the last two-digit year of the shortcut
        {u"1000101", u"0100/01/01"},  // three digits are a year as written
        {u"20240501", u"2024/05/01"},
        {u"0501", u"2026/05/01"},
        {u"501", u"2026/05/01"},
        {u"1", u"2026/07/01"},
        {u"20240015", u"2026/07/15"},
        {u"000501", u"2026/05/01"},
        {u"2024/02/29", u"2024/02/29"},
        {u"2000/02/29", u"2000/02/29"},
        {u"1900/02/29", u""},
        {u"2023/02/29", u""},
        {u"2024/13/01", u""},
        {u"2024/0/5", u""},
        {u"2024//5", u""},
        {u"7/32", u""},
        {u"9999/12/31", u"9999/12/31"},
        {u"1/1/1", u"0001/01/01"},
        {u"0/1/1", u""},
        {u"12345/1/1", u""},
        {u"123450101", u""},
        {u"-5/5/1", u""},
        {u"2024/5/1/9", u""},
        {u"2024/5/1 10:00", u""},
        {u"2024-05-01", u"2026/07/01"},
        {u"2024.05.01", u"2026/07/01"},
        {u"平成20年5月1日", u""},
        {u"H20/5/1", u""},
        {u"２０２４/０５/０１", u""},
        {u"", u""},
        {u"2/30", u""},
        {u"12/31", u"2026/12/31"},
        {u"$7E8/x5/1", u"2024/05/01"},
        {u"99999999999/1/1", u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NormalizeDate(c.input, kToday), std::u16string(c.expected)) << ToUtf8(c.input);
    }
}

TEST(NormalizeDateTest, IsIdempotentOnItsResults) {
    for (const char16_t* input : {u"5/1", u"240501", u"9999/12/31", u"1/1/1", u"29"}) {
        const std::u16string once = NormalizeDate(input, kToday);
        EXPECT_EQ(NormalizeDate(once, kToday), once);
    }
}

TEST(CivilDateTest, ParsesOnlyRealSlashDates) {
    EXPECT_TRUE(ParseDateText(u"2024/02/29"));
    EXPECT_TRUE(ParseDateText(u"0001/1/1"));
    EXPECT_FALSE(ParseDateText(u"2023/02/29"));
    EXPECT_FALSE(ParseDateText(u"abcd/ef/gh"));
    EXPECT_FALSE(ParseDateText(u"2024/01/01x"));
    EXPECT_FALSE(ParseDateText(u""));
    EXPECT_EQ(DayNumber({1970, 1, 2}), 1);
    EXPECT_EQ(DayNumber({2010, 1, 11}) - DayNumber({2010, 1, 1}), 10);
    EXPECT_DOUBLE_EQ(DaysOf({{1970, 1, 1}, 12, 0, 0, 0}), 0.5);
}

}  // namespace
}  // namespace kestrival
