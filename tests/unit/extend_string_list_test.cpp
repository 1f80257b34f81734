#include "support/extend_string_list.h"

#include <gtest/gtest.h>

#include "tests/unit/temp_folder.h"

namespace kestrival {
namespace {

ExtendStringList StoreOf(std::initializer_list<const char16_t*> lines) {
    ExtendStringList store;
    for (const auto* line : lines) store.Add(line);
    return store;
}

TEST(ExtendStringListTest, KeyLookupRules) {
    const ExtendStringList store = StoreOf({u"//HB=0", u" hb = 3", u"HB=4", u"TR=50 ", u"TITLE", u"NAME=a=b"});
    EXPECT_EQ(store.FindKey(u"HB"), 1);
    EXPECT_EQ(store.GetInteger(u"HB", 2), 3);       // key trimmed, leading blank skipped by the integer rule
    EXPECT_EQ(store.GetInteger(u"TR", 100), 100);   // trailing blank breaks the integer rule
    EXPECT_EQ(store.GetValue(u"TITLE", u"x"), u"");  // a key without "=" has an empty value
    EXPECT_EQ(store.GetValue(u"name"), u"a=b");
    EXPECT_EQ(store.GetValue(u"MISSING", u"fb"), u"fb");
    EXPECT_EQ(store.GetInteger(u"MISSING", 9), 9);
    EXPECT_EQ(StoreOf({u"//HB=0"}).FindKey(u"HB"), -1);
}

TEST(ExtendStringListTest, SetValueReplacesTheFirstOrAppends) {
    ExtendStringList store = StoreOf({u"HB=1", u"TITLE=old", u"HB=4"});
    store.SetValue(u"HB", u"5");
    store.SetValue(u"Title", u"new");
    store.SetInteger(u"DX", -12);
    const std::vector<std::u16string> expected = {u"HB=5", u"Title=new", u"HB=4", u"DX=-12"};
    EXPECT_EQ(store.Lines, expected);
}

TEST(ExtendStringListTest, LineAccess) {
    const ExtendStringList store = StoreOf({u"a", u"LOCAL"});
    EXPECT_EQ(store.LineAt(-1), u"");
    EXPECT_EQ(store.LineAt(2, u"fb"), u"fb");
    EXPECT_EQ(store.LineAt(1), u"LOCAL");
    EXPECT_EQ(store.IndexOf(u"local"), 1);
    EXPECT_EQ(store.IndexOf(u" local"), -1);
}

std::string Utf16Bytes(std::u16string_view text, bool bom) {
    std::string bytes = bom ? std::string("\xFF\xFE") : std::string();
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

TEST(ExtendStringListTest, DecodingLineEndsAndOddBytes) {
    struct Case {
        std::string bytes;
        std::vector<std::u16string> lines;
    };
    const Case cases[] = {
        {Utf16Bytes(u"A\rB\nC\r\n", true), {u"A", u"B", u"C"}},
        {Utf16Bytes(u"A\r\n\r\nB", false), {u"A", u"", u"B"}},
        {Utf16Bytes(u"AB\0CD", true), {u"AB"}},
        {Utf16Bytes(u"AB", true) + "C", {u"AB"}},        // odd last byte ignored
        {Utf16Bytes(u"\xD800X", true), {u"\xD800X"}},     // lone surrogate kept as it is
        {"\xFF\xFE", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        ExtendStringList store;
        store.LoadFromBytes(c.bytes);
        EXPECT_EQ(store.Lines, c.lines);
    }
}

TEST(ExtendStringListTest, FileRoundTrip) {
    TempFolder folder;
    const std::u16string path = folder.Path(u"list.txt");
    ExtendStringList store;
    EXPECT_FALSE(store.Load(path));
    EXPECT_EQ(store.Count(), 0);
    EXPECT_EQ(store.FileName, path);

    ASSERT_TRUE(store.Save(path));
    EXPECT_EQ(folder.Read(u"list.txt"), std::string("\xFF\xFE", 2));
    EXPECT_TRUE(store.Load(path));
    EXPECT_EQ(store.Count(), 0);

    folder.Write(u"list.txt", Utf16Bytes(u"A\rB\nC\r\n", true));
    ASSERT_TRUE(store.Load(path));
    ASSERT_TRUE(store.Save(path));
    EXPECT_EQ(folder.Read(u"list.txt"), Utf16Bytes(u"A\r\nB\r\nC\r\n", true));
}

TEST(ExtendStringListTest, FailedSaveLeavesTheOldFile) {
    TempFolder folder;
    folder.Write(u"list.txt", "old");
    folder.MakeFolder(u"list.txt.tmp");  // the temporary cannot be created
    ExtendStringList store;
    store.Add(u"new");
    EXPECT_FALSE(store.Save(folder.Path(u"list.txt")));
    EXPECT_EQ(folder.Read(u"list.txt"), "old");
}

}  // namespace
}  // namespace kestrival
