#include "support/text.h"

#include <gtest/gtest.h>

namespace kestrival {
namespace {

TEST(FormatTextTest, FormatsTheProgramsOwnPatterns) {
    EXPECT_EQ(FormatText(u"%04d/%02d/%02d", {24, 5, 1}), u"0024/05/01");
    EXPECT_EQ(FormatText(u"ITEM%d", {12}), u"ITEM12");
    EXPECT_EQ(FormatText(u"%d%d%d%d", {1, 0, 1, 2}), u"1012");
    EXPECT_EQ(FormatText(u"%d年まで,%04d/01/01,%04d/01/01", {2027, 2026, 2027}), u"2027年まで,2026/01/01,2027/01/01");
    EXPECT_EQ(FormatText(u""), u"");
}

TEST(FormatTextTest, WidthsSignsAndOddFormats) {
    EXPECT_EQ(FormatText(u"%02d", {123}), u"123");  // wider than the width: written in full
    EXPECT_EQ(FormatText(u"%04d", {-5}), u"-005");  // sign inside the width
    EXPECT_EQ(FormatText(u"%d", {-2147483647 - 1}), u"-2147483648");
    EXPECT_EQ(FormatText(u"%4d", {7}), u"   7");
    EXPECT_EQ(FormatText(u"100%%", {}), u"100%");
    EXPECT_EQ(FormatText(u"%d/%d", {1}), u"1/");   // no value left: nothing written
    EXPECT_EQ(FormatText(u"%s %", {1}), u"%s %");  // unknown conversions stay literal
}

TEST(FormatTextTest, NeverProducesMoreThanTheLimit) {
    std::u16string format(kFormatTextLimit + 100, u'x');
    EXPECT_EQ(FormatText(format).size(), kFormatTextLimit);
    std::u16string manyConversions;
    for (int i = 0; i < 20000; ++i) manyConversions += u"%099d";
    std::initializer_list<std::int32_t> values = {1, 2, 3};
    EXPECT_LE(FormatText(manyConversions, values).size(), kFormatTextLimit);
}

TEST(SplitTest, FieldsKeysAndValues) {
    std::u16string line = u"a,,b";
    EXPECT_EQ(TakeField(line, &line), u"a");
    EXPECT_EQ(TakeField(line, &line), u"");
    EXPECT_EQ(TakeField(line, &line), u"b");
    EXPECT_EQ(line, u"");
    EXPECT_EQ(TakeField(line, &line), u"");

    line = u"x,y,";
    TakeField(line, &line);
    EXPECT_EQ(TakeField(line, &line), u"y");
    EXPECT_EQ(TakeField(line, &line), u"");

    std::u16string rest;
    EXPECT_EQ(KeyPart(u"TITLE=a=b", &rest), u"TITLE");
    EXPECT_EQ(rest, u"a=b");
    EXPECT_EQ(ValuePart(u"TITLE=a=b"), u"a=b");
    EXPECT_EQ(KeyPart(u"plain"), u"plain");
    EXPECT_EQ(ValuePart(u"plain"), u"");
    EXPECT_EQ(KeyPart(u"=x"), u"");
    EXPECT_EQ(ValuePart(u"=x"), u"x");
    EXPECT_EQ(MakeKeyValue(u"K", u""), u"K=");

    EXPECT_EQ(SplitAt(u"a--b--c", u"--", &rest), u"a");
    EXPECT_EQ(rest, u"b--c");
    rest = u"stale";
    EXPECT_EQ(SplitAt(u"abc", u"", &rest), u"abc");
    EXPECT_EQ(rest, u"");
}

TEST(TextTest, ReplaceLeftRightDelete) {
    EXPECT_EQ(ReplaceAll(u"aabb", u"ab"), u"");
    EXPECT_EQ(ReplaceAll(u"abc", u""), u"abc");
    EXPECT_EQ(ReplaceAll(u"ab", u"abc"), u"ab");
    EXPECT_EQ(ReplaceAll(u"a b c", u" "), u"abc");
    EXPECT_EQ(ReplaceAll(u"xaaabbby", u"ab"), u"xy");
    EXPECT_EQ(LeftText(u"abc", 5), u"abc");
    EXPECT_EQ(LeftText(u"abc", 0), u"");
    EXPECT_EQ(LeftText(u"abc", -1), u"");
    EXPECT_EQ(RightText(u"abc", 5), u"abc");
    EXPECT_EQ(RightText(u"abcdef", 2), u"ef");
    EXPECT_EQ(RightText(u"abc", -3), u"");
    EXPECT_EQ(DeleteSpan(u"abcdef", 2, 3), u"aef");
    EXPECT_EQ(DeleteSpan(u"abc", 3, 10), u"ab");
}

TEST(TextTest, TrimSpacesRemovesMixedRunsOnly) {
    EXPECT_EQ(TrimSpaces(u" \u3000 \u3000"), u"");
    EXPECT_EQ(TrimSpaces(u" \u3000\tword a\u3000 "), u"word a");
    EXPECT_EQ(TrimSpaces(u"a \u3000b"), u"a \u3000b");
    EXPECT_EQ(TrimControlAndSpace(u" \t k \r"), u"k");
    EXPECT_EQ(TrimControlAndSpace(u"\u3000k"), u"\u3000k");
}

TEST(TextTest, AsciiFoldingLeavesOtherLettersAlone) {
    EXPECT_TRUE(EqualsIgnoreAsciiCase(u"local", u"LOCAL"));
    EXPECT_FALSE(EqualsIgnoreAsciiCase(u"ＬＯＣＡＬ", u"LOCAL"));
    EXPECT_EQ(AsciiUpper(u"hb=é"), u"HB=é");
}

TEST(TextTest, Utf8ConversionsRejectMalformedBytes) {
    const struct {
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {"\xE6\x97\xA5\xE6\x9C\xAC", u"日本"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},                // one surrogate pair
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong '/'
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // an encoded surrogate is not a character
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
        {"a\xE3\x81", u"a\uFFFD\uFFFD"},                    // cut short at the end
        {"\xE3\x41\x42", u"\uFFFDAB"},                      // a lead byte without its continuation
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FromUtf8(c.bytes), c.text) << c.bytes;
        if (c.text.find(u'\uFFFD') == std::u16string::npos) {
            EXPECT_EQ(ToUtf8(c.text), c.bytes);
        }
    }
}

TEST(TextTest, PathBytesComeBackAsTheyWere) {
    // A folder made on a system with another encoding: its bytes are not UTF-8, yet the path must
    // reach the same folder again.
    const struct {
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {"/opt/\xE6\x97\xA5/kestrival", u"/opt/日/kestrival"},
        {"/tmp/\x83\x5E\x83\x43/kestrival",
         u"/tmp/\xDC83^\xDC83"
         u"C/kestrival"},                                             // Shift-JIS
        {"\xE9t\xE9", u"\xDCE9t\xDCE9"},                              // Latin-1
        {"\xED\xA0\x80\xC0\xAF", u"\xDCED\xDCA0\xDC80\xDCC0\xDCAF"},  // no surrogate, no overlong form
        {"a\xE3\x81", u"a\xDCE3\xDC81"},                              // cut short at the end
        {"\xF0\x9F\x98\x80\xFF", u"\U0001F600\xDCFF"},                // a pair, then a byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FromPathBytes(c.bytes), c.text) << c.bytes;
        EXPECT_EQ(ToUtf8(FromPathBytes(c.bytes)), c.bytes);
    }
    // Every byte string comes back whole.
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    all += "\xE3\x81\x82\xE3\x81";
    EXPECT_EQ(ToUtf8(FromPathBytes(all)), all);
}

}  // namespace
}  // namespace kestrival
