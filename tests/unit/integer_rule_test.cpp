#include "support/integer_rule.h"

#include <gtest/gtest.h>

#include <optional>

namespace kestrival {
namespace {

struct IntegerCase {
    const char16_t* text;
    std::optional<std::int32_t> expected;
};

TEST(IntegerRuleTest, TableOfCases) {
    const IntegerCase cases[] = {
        {u"0", 0},
        {u"12", 12},
        {u"012", 12},
        {u"  3", 3},
        {u"+7", 7},
        {u"-7", -7},
        {u"2147483647", 2147483647},
        {u"-2147483648", -2147483647 - 1},
        {u"2147483648", std::nullopt},
        {u"-2147483649", std::nullopt},
        {u"99999999999999999999", std::nullopt},
        {u"$FF", 255},
        {u"x1f", 31},
        {u"X1F", 31},
        {u"0xEEEEEE", 0xEEEEEE},
        {u"0Xeeeeee", 0xEEEEEE},
        {u"0xFFFFFFFF", -1},
        {u"0x00000000FF", 255},
        {u"-$10", -16},
        {u"0x100000000", std::nullopt},
        {u"", std::nullopt},
        {u"   ", std::nullopt},
        {u"-", std::nullopt},
        {u"0x", std::nullopt},
        {u"$", std::nullopt},
        {u"3 ", std::nullopt},
        {u"\t3", std::nullopt},
        {u"3a", std::nullopt},
        {u"0x#EEEEEE", std::nullopt},
        {u"0x EEEEEE", std::nullopt},
        {u"１２", std::nullopt},
        {u"--1", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseInteger(c.text), c.expected) << "text: " << std::u16string(c.text).size();
    }
}

TEST(IntegerRuleTest, FallbackOnlyWhenTheRuleFails) {
    EXPECT_EQ(StrToIntDef(u"x", 42), 42);
    EXPECT_EQ(StrToIntDef(u"0", 42), 0);
}

}  // namespace
}  // namespace kestrival
