#include "support/extend_string_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "tests/unit/temp_folder.h"
#include "tests/common/utf16_bytes.h"

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
    EXPECT_EQ(store.GetInteger(u"HB", 2), 3);        // key trimmed, leading blank skipped by the integer rule
    EXPECT_EQ(store.GetInteger(u"TR", 100), 100);    // trailing blank breaks the integer rule
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
    EXPECT_EQ(store.ToVector(), expected);
}

TEST(ExtendStringListTest, LineAccess) {
    const ExtendStringList store = StoreOf({u"a", u"LOCAL"});
    EXPECT_EQ(store.LineAt(-1), u"");
    EXPECT_EQ(store.LineAt(2, u"fb"), u"fb");
    EXPECT_EQ(store.LineAt(1), u"LOCAL");
    EXPECT_EQ(store.IndexOf(u"local"), 1);
    EXPECT_EQ(store.IndexOf(u" local"), -1);
}

std::string Utf16Bytes(std::u16string_view text, bool bom) { return bom ? Utf16File(text) : ToUtf16Le(text); }

TEST(ExtendStringListTest, DecodingLineEndsAndOddBytes) {
    struct Case {
        std::string bytes;
        std::vector<std::u16string> lines;
    };
    const Case cases[] = {
        {Utf16Bytes(u"A\rB\nC\r\n", true), {u"A", u"B", u"C"}},
        {Utf16Bytes(u"A\r\n\r\nB", false), {u"A", u"", u"B"}},
        {Utf16Bytes(u"AB\0CD", true), {u"AB"}},
        {Utf16Bytes(u"AB", true) + "C", {u"AB"}},      // odd last byte ignored
        {Utf16Bytes(u"\xD800X", true), {u"\xD800X"}},  // lone surrogate kept as it is
        {"\xFF\xFE", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        ExtendStringList store;
        store.LoadFromBytes(c.bytes);
        EXPECT_EQ(store.ToVector(), c.lines);
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

TEST(ExtendStringListTest, FailedSaveLeavesTheOldFileAndNoTemporary) {
    TempFolder folder;
    folder.Write(u"list.txt/old", "old");  // a folder in the file's place: the replace fails
    ExtendStringList store;
    store.Add(u"new");
    EXPECT_FALSE(store.Save(folder.Path(u"list.txt")));
    EXPECT_EQ(folder.Read(u"list.txt/old"), "old");
    for (const auto& entry : std::filesystem::directory_iterator(folder.Native(u""))) {
        EXPECT_EQ(entry.path().filename(), "list.txt");
    }
}

TEST(ExtendStringListTest, SaveRemovesTemporariesOfInterruptedSaves) {
    TempFolder folder;
    folder.Write(u"list.txt.12.tmp", "left by a killed save");
    folder.Write(u"list.txt.tmp", "not ours");
    folder.Write(u"list.txt.9x.tmp", "not ours");
    folder.Write(u"other.txt.12.tmp", "not ours");
    ExtendStringList store;
    store.Add(u"a");
    ASSERT_TRUE(store.Save(folder.Path(u"list.txt")));
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Native(u""))) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, (std::set<std::string>{"list.txt", "list.txt.tmp", "list.txt.9x.tmp", "other.txt.12.tmp"}));
}

TEST(ExtendStringListTest, EncodingDetection) {
    struct Case {
        std::string bytes;
        TextEncoding encoding;
    };
    const Case cases[] = {
        {"", TextEncoding::kUtf8},
        {"HB=1\r\n", TextEncoding::kUtf8},
        {"\xEF\xBB\xBF", TextEncoding::kUtf8},
        {std::string("\xEF\xBB\xBF\0\xFF", 5), TextEncoding::kUtf8},  // the mark decides
        {std::string("\xFF\xFE", 2), TextEncoding::kUtf16},
        {std::string("\xFF\xFEH\0", 4), TextEncoding::kUtf16},
        {std::string("H\0B\0", 4), TextEncoding::kUtf16},  // UTF-16 without a mark holds NULs
        {"\xEE\x76\x19\x6A", TextEncoding::kUtf16},        // "目標" in UTF-16: not UTF-8
        {"\xE7\x9B\xAE", TextEncoding::kUtf8},
        {"\xE7\x9B", TextEncoding::kUtf16},          // cut short
        {"\xED\xA0\x80", TextEncoding::kUtf16},      // an encoded surrogate
        {"\xF4\x90\x80\x80", TextEncoding::kUtf16},  // past U+10FFFF
    };
    for (const auto& c : cases) EXPECT_EQ(DetectTextEncoding(c.bytes), c.encoding) << c.bytes;
}

}  // namespace
}  // namespace kestrival
