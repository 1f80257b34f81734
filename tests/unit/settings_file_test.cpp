#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "app/gadget_rules.h"
#include "settings/execute_setting.h"
#include "support/file_io.h"
#include "support/message_dialogs.h"
#include "support/text.h"
#include "tests/common/fakes.h"
#include "tests/unit/temp_folder.h"
#include "tests/common/utf16_bytes.h"

namespace kestrival {
namespace {

const char16_t kDefaultsFile[] =
    u"Kestrival Setup File\r\nVERSION=110\r\n\r\nTITLE=Kestrival\r\nBIRTH=\r\nDVIEW=2\r\n\r\n"
    u"HB=2\r\nDX=0\r\nVB=2\r\nDY=0\r\nCL=1\r\nRW=1\r\nSR=0\r\nTR=100\r\nTB=0\r\nFM=1111\r\n\r\n"
    u"BFCOLOR=EEEEEE\r\nBBCOLOR=000000\r\nTBCOLOR=EE9999\r\nTTCOLOR=111111\r\nPFCOLOR=EEEEEE\r\n"
    u"CBCOLOR=EEEEEE\r\nCTCOLOR=111111\r\nSDCOLOR=00DD00\r\nEDCOLOR=00DDDD\r\nPNCOLOR=00DD00\r\n"
    u"RNCOLOR=00DDDD\r\nGFCOLOR=EEEEEE\r\nGBCOLOR=775577\r\n\r\n"
    u"ITEM1=2027年まで,2026/01/01,2027/01/01\r\n";

class SettingsFileTest : public ::testing::Test {
protected:
    SettingsFileTest() : clock_({{2026, 12, 10}, 9, 30, 0, 0}) {
        environment_.separator = u'/';
        environment_.documents = folder_.Path(u"Documents");
        environment_.programPath = folder_.Path(u"bin/Kestrival.exe");
    }

    static constexpr const char16_t* kSettingPath = u"Documents/ZKFILES/Kestrival/ZKQV_set.txt";

    void Load() { setting_.Load(environment_, clock_, goals_); }
    void LoadText(std::u16string_view text) {
        folder_.Write(kSettingPath, Utf16File(text));
        Load();
    }
    std::u16string SavedText() {
        setting_.Save(goals_);
        ExtendStringList saved;
        saved.Load(folder_.Path(kSettingPath));
        std::u16string text;
        for (const auto& line : saved.ToVector()) text += line + u"\n";
        return text;
    }

    TempFolder folder_;
    FakeEnvironment environment_;
    FixedClock clock_;
    ExecuteSetting setting_;
    GoalList goals_;
};

TEST_F(SettingsFileTest, FirstRunCreatesAnEmptyFileThenSavesTheDefaults) {
    Load();
    EXPECT_EQ(setting_.SettingFile, folder_.Path(kSettingPath));
    EXPECT_EQ(folder_.Read(kSettingPath), std::string("\xFF\xFE", 2));
    EXPECT_EQ(setting_.DataFolder, folder_.Path(u"Documents/ZKFILES/"));
    EXPECT_EQ(setting_.ProgramFolder, folder_.Path(u"bin/"));
    ASSERT_EQ(goals_.Count(), 1);

    setting_.Save(goals_);
    EXPECT_EQ(folder_.Read(kSettingPath), Utf16File(kDefaultsFile));
    EXPECT_FALSE(folder_.Exists(u"Documents/ZKFILES/Kestrival/ZKQV_set.txt.tmp"));
}

TEST_F(SettingsFileTest, LocalSwitchPutsTheFileBesideTheProgram) {
    for (const char16_t* argument : {u"local", u"Local", u"LOCAL"}) {
        TempFolder other;
        environment_.documents = other.Path(u"Documents");
        environment_.programPath = other.Path(u"bin/Kestrival.exe");
        environment_.arguments = {u"x", argument};
        setting_.Load(environment_, clock_, goals_);
        EXPECT_EQ(setting_.SettingFile, other.Path(u"bin/Kestrival_set.txt"));
        EXPECT_EQ(other.Read(u"bin/Kestrival_set.txt"), std::string("\xFF\xFE", 2));
        EXPECT_FALSE(other.Exists(u"Documents"));
    }
    environment_.documents = folder_.Path(u"Documents");
    environment_.programPath = folder_.Path(u"bin/Kestrival.exe");
    for (const char16_t* argument : {u"/LOCAL", u"-local", u"LOCAL "}) {
        environment_.arguments = {argument};
        Load();
        EXPECT_EQ(setting_.SettingFile, folder_.Path(kSettingPath)) << ToUtf8(argument);
    }
}

TEST(SettingsPathsTest, EachSystemSplitsFoldersAsItsFileSystemDoes) {
    // Windows takes either slash between folders. On Linux a backslash is part of a name, so a
    // program in "a\\b" keeps its file in that folder, not in "a/b"; a program file without ".exe"
    // keeps its whole name.
    const struct {
        char16_t separator;
        const char16_t* program;
        std::optional<std::u16string> documents;
        bool local;
        const char16_t* programFolder;
        const char16_t* settingFile;
    } cases[] = {
        {u'\\', u"C:\\Tools\\Kestrival.exe", u"C:\\Users\\me\\Documents", false, u"C:\\Tools\\",
         u"C:\\Users\\me\\Documents\\ZKFILES\\Kestrival\\ZKQV_set.txt"},
        {u'\\', u"C:\\Tools\\Kestrival.exe", u"C:\\Users\\me\\Documents", true, u"C:\\Tools\\",
         u"C:\\Tools\\Kestrival_set.txt"},
        {u'\\', u"C:/Tools/Kestrival.EXE", std::nullopt, false, u"C:/Tools/",
         u"C:/Tools\\ZKFILES\\Kestrival\\ZKQV_set.txt"},
        {u'\\', u"\\\\server\\share\\Kestrival.exe", u"", true, u"\\\\server\\share\\",
         u"\\\\server\\share\\Kestrival_set.txt"},
        {u'/', u"/opt/kestrival/kestrival", u"/home/me/Documents", false, u"/opt/kestrival/",
         u"/home/me/Documents/ZKFILES/Kestrival/ZKQV_set.txt"},
        {u'/', u"/home/me/a\\b/kestrival", u"/home/me/Documents", true, u"/home/me/a\\b/",
         u"/home/me/a\\b/kestrival_set.txt"},
        {u'/', u"/home/me/a\\b/kestrival", std::nullopt, false, u"/home/me/a\\b/",
         u"/home/me/a\\b/ZKFILES/Kestrival/ZKQV_set.txt"},
        {u'/', u"/home/me/old\\kestrival", u"/home/me/Documents", true, u"/home/me/",
         u"/home/me/old\\kestrival_set.txt"},
        {u'/', u"/opt/k/kestrival", u"/home/me/My\\Documents", false, u"/opt/k/",
         u"/home/me/My\\Documents/ZKFILES/Kestrival/ZKQV_set.txt"},
    };
    for (const auto& c : cases) {
        FakeEnvironment environment;
        environment.separator = c.separator;
        environment.programPath = c.program;
        environment.documents = c.documents;
        if (c.local) environment.arguments = {u"local"};
        ExecuteSetting setting;
        setting.LocatePaths(environment);
        EXPECT_EQ(setting.ProgramFolder, c.programFolder) << ToUtf8(c.program);
        EXPECT_EQ(setting.SettingFile, c.settingFile) << ToUtf8(c.program);
    }
}

TEST_F(SettingsFileTest, ABackslashInAFolderNameIsPartOfTheName) {
    // Beside "a\\b" stands "a/b" with a file of its own: the gadget in "a\\b" reads, saves and
    // recovers its own file and never makes or touches the other.
    environment_.programPath = folder_.Path(u"a\\b/kestrival");
    environment_.documents = folder_.Path(u"My\\Documents");
    environment_.arguments = {u"LOCAL"};
    folder_.Write(u"a/b/kestrival_set.txt", Utf16File(u"TITLE=neighbour\r\n"));
    folder_.Write(u"a/b/kestrival_set.txt.5.tmp", Utf16File(u"TITLE=neighbour's\r\n"));
    folder_.Write(u"a\\b/kestrival_set.txt.7.tmp", Utf16File(u"TITLE=interrupted\r\n"));

    Load();
    EXPECT_EQ(setting_.SettingFile, folder_.Path(u"a\\b/kestrival_set.txt"));
    EXPECT_EQ(setting_.TITLE, u"interrupted");
    setting_.TITLE = u"saved";
    EXPECT_EQ(setting_.Save(goals_), SaveOutcome::kSaved);
    ExecuteSetting again;
    GoalList goals;
    again.Load(environment_, clock_, goals);
    EXPECT_EQ(again.TITLE, u"saved");
    EXPECT_FALSE(folder_.Exists(u"a\\b/kestrival_set.txt.7.tmp"));
    EXPECT_EQ(folder_.Read(u"a/b/kestrival_set.txt"), Utf16File(u"TITLE=neighbour\r\n"));
    EXPECT_TRUE(folder_.Exists(u"a/b/kestrival_set.txt.5.tmp"));

    // The shared file goes to the documents folder as its name is spelled, backslash and all.
    environment_.arguments.clear();
    Load();
    EXPECT_EQ(setting_.SettingFile, folder_.Path(u"My\\Documents/ZKFILES/Kestrival/ZKQV_set.txt"));
    EXPECT_TRUE(folder_.Exists(u"My\\Documents/ZKFILES/Kestrival/ZKQV_set.txt"));
    EXPECT_FALSE(folder_.Exists(u"My"));
}

TEST_F(SettingsFileTest, MissingDocumentsFolderFallsBackToTheProgramFolder) {
    environment_.documents.reset();
    Load();
    EXPECT_EQ(setting_.SettingFile, folder_.Path(u"bin/ZKFILES/Kestrival/ZKQV_set.txt"));
    EXPECT_TRUE(folder_.Exists(u"bin/ZKFILES/Kestrival/ZKQV_set.txt"));
}

TEST_F(SettingsFileTest, ValuesAndDefaults) {
    LoadText(
        u"hb=0\r\n DX = -40\r\nVB=1 \r\n//TR=50\r\nCL=$3\r\nRW=99999999999\r\nFM=x0\r\nTITLE=\r\n"
        u"BFCOLOR=#EEEEEE\r\nBBCOLOR=0000ff\r\nTBCOLOR=\r\nTTCOLOR= 111111\r\nGBCOLOR=eeeeee\r\nDVIEW=7\r\n");
    EXPECT_EQ(setting_.HB, 0);
    EXPECT_EQ(setting_.DX, -40);
    EXPECT_EQ(setting_.VB, 2);    // trailing blank: default
    EXPECT_EQ(setting_.TR, 100);  // commented out
    EXPECT_EQ(setting_.CL, 3);
    EXPECT_EQ(setting_.RW, 1);  // beyond 32 bits
    EXPECT_EQ(setting_.FM, (std::array<std::int32_t, 4>{1, 0, 1, 1}));
    EXPECT_EQ(setting_.TITLE, u"");
    EXPECT_EQ(setting_.BFCOLOR, 0xEEEEEE);
    EXPECT_EQ(setting_.BBCOLOR, 0x0000FF);
    EXPECT_EQ(setting_.TBCOLOR, 0xEE9999);
    EXPECT_EQ(setting_.TTCOLOR, 0x111111);
    EXPECT_EQ(setting_.GBCOLOR, 0xEEEEEE);
    EXPECT_EQ(setting_.DVIEW, 7);
}

TEST_F(SettingsFileTest, FrameFlagsAndColoursRoundTrip) {
    struct Case {
        const char16_t* frame;
        std::array<std::int32_t, 4> flags;
        const char16_t* written;
    };
    const Case cases[] = {
        {u"0110", {0, 1, 1, 0}, u"FM=0110"},
        {u"1", {1, 1, 1, 1}, u"FM=1111"},
        {u"2", {2, 1, 1, 1}, u"FM=2111"},
        {u"-9-9", {1, 9, 1, 9}, u"FM=1919"},
    };
    for (const auto& c : cases) {
        LoadText(std::u16string(u"FM=") + c.frame + u"\r\nRNCOLOR=ff\r\nGBCOLOR=FFFFFFFF\r\nTITLE=  x\r\n");
        EXPECT_EQ(setting_.FM, c.flags);
        const std::u16string saved = SavedText();
        EXPECT_NE(saved.find(std::u16string(c.written) + u"\n"), std::u16string::npos);
        EXPECT_NE(saved.find(u"RNCOLOR=0000FF\n"), std::u16string::npos);
        EXPECT_NE(saved.find(u"GBCOLOR=FFFFFFFF\n"), std::u16string::npos);
        EXPECT_NE(saved.find(u"TITLE=  x\n"), std::u16string::npos);
    }
}

TEST_F(SettingsFileTest, GoalNumberingRules) {
    struct Case {
        const char16_t* file;
        std::vector<std::u16string> goals;
    };
    const Case cases[] = {
        {u"ITEM1=a\r\nITEM2=b\r\nITEM4=d\r\n", {u"a", u"b"}},
        {u"ITEM1=a\r\nITEM2=\r\nITEM3=c\r\n", {u"a"}},
        {u"ITEM3=c\r\nITEM1=a\r\nITEM2=b\r\n", {u"a", u"b", u"c"}},
        {u"item1=a\r\n ITEM2 =b\r\nITEM02=x\r\n//ITEM3=y\r\nITEM1=z\r\n", {u"a", u"b"}},
        {u"ITEM1\r\nITEM2=b\r\n", {u"2027年まで,2026/01/01,2027/01/01"}},
        {u"ITEM0=x\r\nITEM1=a=b,c\r\n", {u"a=b,c"}},
        {u"ITEM1=a\r\nITEM02=x\r\n", {u"a"}},  // ITEM02 is no goal number, not goal 2
    };
    for (const auto& c : cases) {
        LoadText(c.file);
        EXPECT_EQ(goals_.ToVector(), c.goals) << ToUtf8(c.file);
    }
    LoadText(u"ITEM1=a\r\nITEM2=b\r\nITEM4=d\r\nOTHER=1\r\n");
    const std::u16string saved = SavedText();
    EXPECT_NE(saved.find(u"ITEM2=b\n"), std::u16string::npos);
    EXPECT_EQ(saved.find(u"ITEM4"), std::u16string::npos);
    EXPECT_EQ(saved.find(u"OTHER"), std::u16string::npos);
}

TEST_F(SettingsFileTest, CountingChoicesAndDaysOffBesideTheirGoals) {
    // Letters in any order and case; a goal's first key counts; keys of goals the list does not
    // hold are not kept.
    std::u16string file(kDefaultsFile);
    file = file.substr(0, file.find(u"ITEM1="));
    file +=
        u"OFFDAYS=12/29-01/03 08/13 odd\r\nITEM1=a,2026/01/01,\r\ncnt1=wt\r\nCNT1=Y\r\nITEM2=b,,\r\n"
        u"ITEM3=c,,\r\nCNT3=y\r\nCNT7=T\r\n";
    LoadText(file);
    ASSERT_EQ(setting_.CNT.size(), 3u);
    EXPECT_EQ(CountChoicesText(setting_.CNT[0]), u"TW");
    EXPECT_FALSE(setting_.CNT[1].Any());
    EXPECT_EQ(CountChoicesText(setting_.CNT[2]), u"Y");
    EXPECT_EQ(setting_.OFFDAYS, u"12/29-01/03 08/13 odd");
    const std::u16string saved = SavedText();
    EXPECT_NE(
        saved.find(u"OFFDAYS=12/29-01/03 08/13 odd\nITEM1=a,2026/01/01,\nCNT1=TW\nITEM2=b,,\nITEM3=c,,\nCNT3=Y\n"),
        std::u16string::npos);
    EXPECT_EQ(saved.find(u"CNT7"), std::u16string::npos);

    // Without choices and days off the file is what it always was.
    setting_.CNT.assign(3, CountChoices{});
    setting_.OFFDAYS.clear();
    const std::u16string plain = SavedText();
    EXPECT_EQ(plain.find(u"CNT"), std::u16string::npos);
    EXPECT_EQ(plain.find(u"OFFDAYS"), std::u16string::npos);
}

TEST_F(SettingsFileTest, RemindersAndTheirRecordBesideTheirGoals) {
    // Numbers in any order, odd ones passed over; a shown day that is no date is no record; a
    // goal's first key counts; keys of goals the list does not hold are not kept.
    std::u16string file(kDefaultsFile);
    file = file.substr(0, file.find(u"ITEM1="));
    file +=
        u"ITEM1=a,,2026/12/24\r\nrmd1= 30, 7 ,x,99\r\nRMD1=0\r\nRMDSHOWN1=2026/11/24\r\nITEM2=b,,\r\n"
        u"RMDSHOWN2=yesterday\r\nITEM3=c,,\r\nCNT3=y\r\nrmdshown3=2026/2/3\r\n//RMD3=0\r\nRMD7=1\r\n";
    LoadText(file);
    ASSERT_EQ(setting_.RMD.size(), 3u);
    EXPECT_EQ(ReminderChoicesText(setting_.RMD[0].choices), u"7,30");
    EXPECT_EQ(setting_.RMD[0].shownDay, DayNumber({2026, 11, 24}));
    EXPECT_EQ(setting_.RMD[1], GoalReminders{});
    EXPECT_FALSE(setting_.RMD[2].choices.Any());
    EXPECT_EQ(setting_.RMD[2].shownDay, DayNumber({2026, 2, 3}));
    const std::u16string saved = SavedText();
    EXPECT_NE(saved.find(u"\nITEM1=a,,2026/12/24\nRMD1=7,30\nRMDSHOWN1=2026/11/24\nITEM2=b,,\nITEM3=c,,\nCNT3=Y\n"
                         u"RMDSHOWN3=2026/02/03\n"),
              std::u16string::npos);
    EXPECT_EQ(saved.find(u"RMD7"), std::u16string::npos);

    // What a save writes, the next load reads back the same.
    setting_.RMD[1].choices.Set(0, true);
    setting_.RMD[1].shownDay = DayNumber({2026, 12, 11});
    const std::vector<GoalReminders> before = setting_.RMD;
    setting_.Save(goals_);
    Load();
    EXPECT_EQ(setting_.RMD, before);
}

TEST_F(SettingsFileTest, AFileWithoutChoicesKeepsItsBytes) {
    LoadText(kDefaultsFile);
    EXPECT_TRUE(setting_.OFFDAYS.empty());
    ASSERT_EQ(setting_.CNT.size(), 1u);
    setting_.Save(goals_);
    EXPECT_EQ(folder_.Read(kSettingPath), Utf16File(kDefaultsFile));
}

TEST_F(SettingsFileTest, ManyGoalsLoadAndSaveInOrder) {
    std::u16string file;
    for (int i = 1; i <= 400; ++i) file += FormatText(u"ITEM%d=g%d,,\r\n", {i, i});
    LoadText(file);
    ASSERT_EQ(goals_.Count(), 400);
    EXPECT_EQ(goals_.LineAt(399), u"g400,,");
    const std::u16string saved = SavedText();
    EXPECT_NE(saved.find(u"\nITEM400=g400,,\n"), std::u16string::npos);
}

TEST_F(SettingsFileTest, LoadRewritesTheFileAsReadKeepingUnknownLines) {
    folder_.Write(kSettingPath, std::string("T\0I\0=\0a\0\n\0/\0/\0c\0", 16));
    Load();
    EXPECT_EQ(setting_.TITLE, u"Kestrival");  // "TI" is not TITLE
    EXPECT_EQ(folder_.Read(kSettingPath), Utf16File(u"TI=a\r\n//c\r\n"));
}

TEST_F(SettingsFileTest, FileAlreadyInShapeIsNotWrittenAgain) {
    auto inode = [this] {
        struct stat info {};
        ::stat(folder_.Native(kSettingPath).c_str(), &info);
        return info.st_ino;
    };
    folder_.Write(kSettingPath, Utf16File(u"TITLE=a\r\n"));
    const auto before = inode();
    Load();
    EXPECT_EQ(inode(), before);  // the same file, not a replacement
    folder_.Write(kSettingPath, Utf16File(u"TITLE=a\n"));
    const auto lfOnly = inode();
    Load();
    EXPECT_NE(inode(), lfOnly);
    EXPECT_EQ(folder_.Read(kSettingPath), Utf16File(u"TITLE=a\r\n"));
}

TEST_F(SettingsFileTest, UnreadableFileIsNeverOverwritten) {
    // A folder where the file should be: it exists but cannot be read as a file.
    folder_.Write(u"Documents/ZKFILES/Kestrival/ZKQV_set.txt/keep", "x");
    Load();
    EXPECT_EQ(folder_.Read(u"Documents/ZKFILES/Kestrival/ZKQV_set.txt/keep"), "x");
    EXPECT_EQ(setting_.TITLE, u"Kestrival");
    EXPECT_TRUE(setting_.FileUnreadable);
    EXPECT_EQ(setting_.Save(goals_), SaveOutcome::kHeldBack);
    EXPECT_EQ(folder_.Read(u"Documents/ZKFILES/Kestrival/ZKQV_set.txt/keep"), "x");
}

TEST_F(SettingsFileTest, AFileThatCannotBeReadButCouldBeWrittenIsHeldBack) {
    // Too large to be a settings file, yet writable: the save that follows a failed read must
    // not put defaults over it.
    folder_.Write(kSettingPath, Utf16File(u"TITLE=mine\r\n"));
    std::filesystem::resize_file(folder_.Native(kSettingPath), kMaxReadableFileBytes + 2);
    const auto before = std::filesystem::last_write_time(folder_.Native(kSettingPath));
    Load();
    EXPECT_TRUE(setting_.FileUnreadable);
    EXPECT_EQ(setting_.TITLE, u"Kestrival");
    setting_.TITLE = u"changed";
    EXPECT_EQ(setting_.Save(goals_), SaveOutcome::kHeldBack);
    EXPECT_EQ(std::filesystem::file_size(folder_.Native(kSettingPath)), kMaxReadableFileBytes + 2);
    EXPECT_EQ(std::filesystem::last_write_time(folder_.Native(kSettingPath)), before);
    EXPECT_EQ(folder_.Read(kSettingPath).substr(0, 8), Utf16File(u"TIT"));
}

TEST_F(SettingsFileTest, EncodingsOtherEditorsWrite) {
    struct Case {
        std::string bytes;
        std::int32_t hb;  // 2 is the default: the file did not read
        const char16_t* title;
    };
    const Case cases[] = {
        {"TITLE=abc\r\nHB=0\r\n", 0, u"abc"},                                // ASCII is UTF-8
        {"\xEF\xBB\xBFHB=0\nTITLE=\xE7\x9B\xAE\xE6\xA8\x99\n", 0, u"目標"},  // Notepad's UTF-8 with BOM
        {"TITLE=\xE7\x9B\xAE\xF0\x9F\x98\x80\r\nHB=5", 5, u"目😀"},           // without BOM, a pair of surrogates
        {"\xEF\xBB\xBFTITLE=a\xFF"
         "b\r\n",
         2, u"a\uFFFDb"},                                             // a broken byte after a BOM shows
        {"\x83\x5E\x83\x43\x83\x67\x83\x8B=1\r\n", 2, u"Kestrival"},  // Shift-JIS is neither
        {"TITLE=a\xC0\xAF\r\n", 2, u"Kestrival"},                     // an overlong form is not UTF-8
    };
    for (const auto& c : cases) {
        folder_.Write(kSettingPath, c.bytes);
        Load();
        EXPECT_EQ(setting_.HB, c.hb) << c.bytes;
        EXPECT_EQ(setting_.TITLE, c.title) << c.bytes;
        // Whatever came in, the file is UTF-16 with its mark afterwards.
        EXPECT_EQ(folder_.Read(kSettingPath).substr(0, 2), "\xFF\xFE");
    }
}

TEST_F(SettingsFileTest, UnchangedSettingsAreNotWrittenAgain) {
    Load();
    setting_.Save(goals_);
    struct stat first {};
    ::stat(folder_.Native(kSettingPath).c_str(), &first);
    Load();
    EXPECT_EQ(setting_.Save(goals_), SaveOutcome::kSaved);
    struct stat second {};
    ::stat(folder_.Native(kSettingPath).c_str(), &second);
    EXPECT_EQ(first.st_ino, second.st_ino);
    setting_.HB = 1;
    EXPECT_EQ(setting_.Save(goals_), SaveOutcome::kSaved);
    EXPECT_NE(folder_.Read(kSettingPath).find(ToUtf16Le(u"HB=1")), std::string::npos);
}

TEST_F(SettingsFileTest, ReadOnlyFileIsNotReplacedAndSaysSo) {
    LoadText(u"TITLE=kept\r\n");
    ::chmod(folder_.Native(kSettingPath).c_str(), 0444);
    const std::string before = folder_.Read(kSettingPath);
    setting_.TITLE = u"new";
    EXPECT_EQ(setting_.Save(goals_), SaveOutcome::kFailed);
    EXPECT_EQ(folder_.Read(kSettingPath), before);
    struct stat info {};
    ::stat(folder_.Native(kSettingPath).c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0444u);
    EXPECT_NE(UnsavedFileNotice(setting_.SettingFile).find(setting_.SettingFile), std::u16string::npos);
}

TEST_F(SettingsFileTest, InterruptedSavesAreRecoveredNeverDeleted) {
    const std::u16string kFolder = u"Documents/ZKFILES/Kestrival/";
    struct Leftover {
        const char16_t* name;
        const char16_t* text;  // null: created but never written
        int age;               // seconds before now
    };
    struct Case {
        const char* what;
        const char16_t* file;  // null: no settings file
        std::vector<Leftover> leftovers;
        const char16_t* title;  // what the load shows
        bool leftoversKept;
    };
    const Case cases[] = {
        {"only a temporary", nullptr, {{u"ZKQV_set.txt.4711.tmp", u"TITLE=mine\r\n", 5}}, u"mine", false},
        {"the newest of two",
         nullptr,
         {{u"ZKQV_set.txt.3.tmp", u"TITLE=newer\r\n", 5}, {u"ZKQV_set.txt.19.tmp", u"TITLE=older\r\n", 60}},
         u"newer",
         false},
        // Cut short by an earlier version: never put in place, and kept while it may hold the
        // only copy of something (the file holds nothing newer than the defaults).
        {"a cut-short one is never taken", nullptr, {{u"ZKQV_set.txt.7.tmp", u"TITLE=cut", 5}}, u"Kestrival", true},
        {"an empty one holds nothing",
         nullptr,
         {{u"ZKQV_set.txt.8.tmp", nullptr, 5}, {u"ZKQV_set.txt.7.tmp", u"TITLE=older\r\n", 60}},
         u"older",
         false},
        {"the file itself wins", u"TITLE=file\r\n", {{u"ZKQV_set.txt.9.tmp", u"TITLE=temp\r\n", 5}}, u"file", false},
        {"other names are not ours",
         nullptr,
         {{u"ZKQV_set.txt.x.tmp", u"TITLE=a\r\n", 5}, {u"ZKQV_set.txt.tmp", u"TITLE=b\r\n", 5}},
         u"Kestrival",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        environment_.documents = folder.Path(u"Documents");
        folder.MakeFolder(kFolder);
        if (c.file) folder.Write(kSettingPath, Utf16File(c.file));
        const auto now = std::filesystem::file_time_type::clock::now();
        for (const auto& leftover : c.leftovers) {
            folder.Write(kFolder + leftover.name, leftover.text ? Utf16File(leftover.text) : std::string());
            std::filesystem::last_write_time(folder.Native(kFolder + leftover.name),
                                             now - std::chrono::seconds(leftover.age));
        }
        setting_.Load(environment_, clock_, goals_);
        EXPECT_EQ(setting_.TITLE, c.title);
        EXPECT_TRUE(folder.Exists(kSettingPath));
        // Once the file held the settings, what interrupted saves left is cleared away.
        for (const auto& leftover : c.leftovers) {
            EXPECT_EQ(folder.Exists(kFolder + leftover.name), c.leftoversKept) << ToUtf8(leftover.name);
        }
    }
}

// A start reads the file before its window and clears the leftovers once the window shows; a
// save in between settles them itself, and what it may leave (the only copy of a save that could
// not replace the file) is not taken afterwards.
TEST_F(SettingsFileTest, LeftoversWaitForTheirRemovalAndAWriteCancelsIt) {
    const std::u16string kLeftover = u"Documents/ZKFILES/Kestrival/ZKQV_set.txt.4711.tmp";
    folder_.Write(kSettingPath, Utf16File(u"TITLE=file\r\n"));
    folder_.Write(kLeftover, Utf16File(u"TITLE=old save\r\n"));
    // Older than the file: the file holds newer settings, so the leftover is not recovered.
    std::filesystem::last_write_time(
        folder_.Native(kLeftover),
        std::filesystem::last_write_time(folder_.Native(kSettingPath)) - std::chrono::hours(1));
    setting_.Locate(environment_);
    setting_.ReadFile(clock_, goals_);
    EXPECT_EQ(setting_.TITLE, u"file");
    EXPECT_TRUE(folder_.Exists(kLeftover));
    setting_.RemoveLeftovers();
    EXPECT_FALSE(folder_.Exists(kLeftover));

    folder_.Write(kLeftover, Utf16File(u"TITLE=old save\r\n"));
    setting_.Locate(environment_);
    setting_.ReadFile(clock_, goals_);
    setting_.TITLE = u"changed";
    EXPECT_EQ(setting_.Save(goals_), SaveOutcome::kSaved);
    folder_.Write(kLeftover, Utf16File(u"TITLE=a save's only copy\r\n"));
    setting_.RemoveLeftovers();
    EXPECT_TRUE(folder_.Exists(kLeftover));
}

TEST_F(SettingsFileTest, TemporariesOfAnUnreadableFileAreKept) {
    folder_.Write(u"Documents/ZKFILES/Kestrival/ZKQV_set.txt/keep", "x");
    folder_.Write(u"Documents/ZKFILES/Kestrival/ZKQV_set.txt.5.tmp", Utf16File(u"TITLE=only copy\r\n"));
    Load();
    setting_.TITLE = u"changed";
    EXPECT_EQ(setting_.Save(goals_), SaveOutcome::kHeldBack);
    EXPECT_EQ(folder_.Read(u"Documents/ZKFILES/Kestrival/ZKQV_set.txt.5.tmp"), Utf16File(u"TITLE=only copy\r\n"));
}

TEST_F(SettingsFileTest, AFileThatAppearsAfterStartIsHeldBack) {
    // The folder cannot be made at start (a volume not mounted yet; here a file in its way), so
    // the run neither reads nor creates the settings file. Then the user's file turns up.
    folder_.Write(u"Documents/ZKFILES/Kestrival", "in the way");
    Load();
    EXPECT_FALSE(setting_.FileUnreadable);
    EXPECT_EQ(setting_.TITLE, u"Kestrival");
    std::filesystem::remove(folder_.Native(u"Documents/ZKFILES/Kestrival"));
    folder_.Write(kSettingPath, Utf16File(u"TITLE=mine\r\n"));
    const std::string users = folder_.Read(kSettingPath);

    EXPECT_EQ(setting_.Save(goals_), SaveOutcome::kHeldBack);
    EXPECT_FALSE(setting_.DroppedChanges);  // nothing the user changed is lost
    setting_.HB = 0;                        // a drag, a dialog edit
    EXPECT_EQ(setting_.Save(goals_), SaveOutcome::kHeldBack);
    EXPECT_TRUE(setting_.DroppedChanges);
    EXPECT_EQ(folder_.Read(kSettingPath), users);
    EXPECT_TRUE(setting_.FileUnreadable);  // held back for the rest of the run
}

TEST_F(SettingsFileTest, AFileStillMissingAtSaveIsWritten) {
    folder_.Write(u"Documents/ZKFILES/Kestrival", "in the way");
    Load();
    std::filesystem::remove(folder_.Native(u"Documents/ZKFILES/Kestrival"));
    folder_.MakeFolder(u"Documents/ZKFILES/Kestrival");
    setting_.TITLE = u"new";
    EXPECT_EQ(setting_.Save(goals_), SaveOutcome::kSaved);
    EXPECT_NE(folder_.Read(kSettingPath).find(ToUtf16Le(u"TITLE=new")), std::string::npos);
}

TEST_F(SettingsFileTest, AFileThatArrivesAfterStartIsNeverWrittenOver) {
    // The folder is there at start and the file is not: the start creates it empty. Then a sync
    // client, a restore from backup or a hand edit puts the user's settings there, in one of the
    // ways such programs write; every later save must leave them alone.
    const std::string users = Utf16File(u"TITLE=mine\r\nHB=0\r\n");
    struct Case {
        const char* what;
        bool readAtStart;  // the run read a file of its own first rather than creating one
        std::function<void(const TempFolder&)> arrive;
    };
    const Case cases[] = {
        {"renamed over the empty file", false,
         [&users](const TempFolder& folder) {
             folder.Write(u"incoming", users);
             std::filesystem::rename(folder.Native(u"incoming"), folder.Native(kSettingPath));
         }},
        {"written into the empty file", false,
         [&users](const TempFolder& folder) { folder.Write(kSettingPath, users); }},
        {"restored over the file that was read", true,
         [&users](const TempFolder& folder) {
             folder.Write(u"backup", users);
             std::filesystem::rename(folder.Native(u"backup"), folder.Native(kSettingPath));
         }},
        {"edited in place after a save", true,
         [&users](const TempFolder& folder) { folder.Write(kSettingPath, users); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        environment_.documents = folder.Path(u"Documents");
        folder.MakeFolder(u"Documents/ZKFILES/Kestrival");
        if (c.readAtStart) folder.Write(kSettingPath, Utf16File(u"TITLE=before\r\n"));
        ExecuteSetting setting;
        setting.Load(environment_, clock_, goals_);
        if (c.readAtStart) {
            setting.HB = 1;
            ASSERT_EQ(setting.Save(goals_), SaveOutcome::kSaved);  // the run's own file is saved
        } else {
            ASSERT_EQ(folder.Read(kSettingPath), std::string("\xFF\xFE", 2));
        }
        c.arrive(folder);

        EXPECT_EQ(setting.Save(goals_), SaveOutcome::kHeldBack);  // the save at exit
        EXPECT_EQ(setting.DroppedChanges, c.readAtStart);         // only the saved HB differs from the start
        setting.DX = 40;                                          // a drag
        EXPECT_EQ(setting.Save(goals_), SaveOutcome::kHeldBack);
        EXPECT_TRUE(setting.DroppedChanges);  // so the user is told once
        EXPECT_EQ(folder.Read(kSettingPath), users);
        EXPECT_EQ(setting.DX, 40);  // the running gadget keeps what it has
    }
}

TEST_F(SettingsFileTest, TheRunsOwnFileIsSavedAgainAndAgain) {
    // The state remembered after each write is the file's own, also through a link, so a run
    // never holds back its own saves; a file removed meanwhile holds nothing to lose.
    Load();
    for (int hb = 0; hb < 3; ++hb) {
        setting_.HB = hb;
        EXPECT_EQ(setting_.Save(goals_), SaveOutcome::kSaved) << hb;
    }
    std::filesystem::remove(folder_.Native(kSettingPath));
    setting_.HB = 1;
    EXPECT_EQ(setting_.Save(goals_), SaveOutcome::kSaved);
    EXPECT_NE(folder_.Read(kSettingPath).find(ToUtf16Le(u"HB=1")), std::string::npos);

    TempFolder elsewhere;
    elsewhere.Write(u"synced.txt", Utf16File(u"TITLE=linked\r\n"));
    std::filesystem::remove(folder_.Native(kSettingPath));
    std::filesystem::create_symlink(elsewhere.Native(u"synced.txt"), folder_.Native(kSettingPath));
    Load();
    EXPECT_EQ(setting_.TITLE, u"linked");
    for (int hb = 0; hb < 3; ++hb) {
        setting_.HB = hb;
        EXPECT_EQ(setting_.Save(goals_), SaveOutcome::kSaved) << hb;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(folder_.Native(kSettingPath)));
    EXPECT_NE(elsewhere.Read(u"synced.txt").find(ToUtf16Le(u"HB=2")), std::string::npos);
}

TEST_F(SettingsFileTest, ACutShortSaveNeverBeatsAWholeOne) {
    // An earlier save left a whole temporary and the file is gone (a replace that failed
    // half-way); a later save is killed while it writes. The next start must put the whole one
    // in place, never the cut-short bytes.
    const std::u16string kFolder = u"Documents/ZKFILES/Kestrival/";
    folder_.Write(kFolder + u"ZKQV_set.txt.7.tmp", Utf16File(u"TITLE=whole\r\n"));
    std::filesystem::last_write_time(folder_.Native(kFolder + u"ZKQV_set.txt.7.tmp"),
                                     std::filesystem::file_time_type::clock::now() - std::chrono::minutes(5));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        WriteFileReplacing(folder_.Path(kSettingPath), [](const ByteSink& write) {
            write(Utf16File(u"TITLE=cu"));
            ::_exit(0);  // killed half-way through the bytes
            return true;
        });
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    Load();
    EXPECT_EQ(setting_.TITLE, u"whole");
    EXPECT_EQ(folder_.Read(kSettingPath), Utf16File(u"TITLE=whole\r\n"));
    // The file holds the whole one's bytes now; what the killed save left holds nothing usable.
    for (const auto& entry : std::filesystem::directory_iterator(folder_.Native(kFolder))) {
        EXPECT_EQ(entry.path().filename(), "ZKQV_set.txt");
    }
}

TEST_F(SettingsFileTest, NamesDifferingInLetterCaseAreOtherFilesOnLinux) {
    // "kestrival" and a copy named "Kestrival" in one folder keep two files; neither takes or
    // removes the other's temporaries.
    environment_.programPath = folder_.Path(u"bin/Kestrival");
    environment_.arguments = {u"LOCAL"};
    folder_.Write(u"bin/kestrival_set.txt", Utf16File(u"TITLE=other\r\n"));
    const std::u16string theirs[] = {u"bin/kestrival_set.txt.5.tmp", u"bin/kestrival_set.txt.6.part",
                                     u"bin/KESTRIVAL_SET.TXT.7.TMP"};
    for (const auto& name : theirs) folder_.Write(name, Utf16File(u"TITLE=theirs\r\n"));
    folder_.Write(u"bin/Kestrival_set.txt.8.tmp", Utf16File(u"TITLE=ours\r\n"));

    Load();
    EXPECT_EQ(setting_.SettingFile, folder_.Path(u"bin/Kestrival_set.txt"));
    EXPECT_EQ(setting_.TITLE, u"ours");
    setting_.HB = 0;
    EXPECT_EQ(setting_.Save(goals_), SaveOutcome::kSaved);
    for (const auto& name : theirs) EXPECT_TRUE(folder_.Exists(name)) << ToUtf8(name);
    EXPECT_FALSE(folder_.Exists(u"bin/Kestrival_set.txt.8.tmp"));
    EXPECT_EQ(folder_.Read(u"bin/kestrival_set.txt"), Utf16File(u"TITLE=other\r\n"));
}

TEST_F(SettingsFileTest, DroppedChangesAreReportedOnceARun) {
    RecordingBackend backend;
    InitMessageDialogs(6, &backend);
    folder_.Write(u"Documents/ZKFILES/Kestrival/ZKQV_set.txt/keep", "x");  // unreadable
    Load();
    ReportSave(setting_.Save(goals_), setting_);  // nothing changed: nothing to say
    EXPECT_TRUE(backend.requests.empty());
    setting_.TITLE = u"edited in the dialog";
    ReportSave(setting_.Save(goals_), setting_);
    setting_.TITLE = u"edited again";
    ReportSave(setting_.Save(goals_), setting_);
    ASSERT_EQ(backend.requests.size(), 1u);
    EXPECT_EQ(backend.requests[0].text, HeldBackFileNotice(setting_.SettingFile));
    EXPECT_NE(backend.requests[0].text.find(setting_.SettingFile), std::u16string::npos);
    InitMessageDialogs(6, nullptr);
}

TEST(InstanceLockNameTest, NamesTheFileByIdentityWhateverItsSpelling) {
    const FileIdentity file{0x1234ABCD, 0x0005000000001234, u"ZKQV_SET.TXT"};
    // The same identity always gives the same key: two gadgets of two versions or runs agree.
    EXPECT_EQ(InstanceKey(file), InstanceKey(FileIdentity{0x1234ABCD, 0x0005000000001234, u"ZKQV_SET.TXT"}));
    const FileIdentity others[] = {
        {0x1234ABCE, 0x0005000000001234, u"ZKQV_SET.TXT"},  // another volume
        {0x1234ABCD, 0x0005000000001235, u"ZKQV_SET.TXT"},  // another folder
        {0x1234ABCD, 0x0005000000001234, u"KESTRIVAL_SET.TXT"},
        {0x0005000000001234, 0x1234ABCD, u"ZKQV_SET.TXT"},  // the numbers swapped
    };
    for (const auto& other : others) EXPECT_NE(InstanceKey(other), InstanceKey(file)) << ToUtf8(other.upperName);
    EXPECT_NE(InstanceKey(u"C:\\USERS\\ME\\ZKQV_SET.TXT"), InstanceKey(u"D:\\USERS\\ME\\ZKQV_SET.TXT"));

    const std::u16string name = InstanceLockName(InstanceKey(file));
    ASSERT_EQ(name.substr(0, 16), u"Local\\Kestrival-");
    EXPECT_EQ(name.size(), 32u);
    EXPECT_EQ(name.find(u'\\', 6), std::u16string::npos);  // one namespace, no folders after it
    for (char16_t c : name.substr(16)) EXPECT_TRUE((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'));
    EXPECT_EQ(InstanceLockName(0x0123456789ABCDEFull), u"Local\\Kestrival-0123456789ABCDEF");
}

TEST(SettingsBadInputTest, HugeAndOddFilesLoadWithDefaults) {
    // 50 MB of arbitrary bytes: lone surrogates, NULs (the text ends at the first), odd length.
    std::string noise(50 * 1024 * 1024 + 1, '\0');
    std::uint32_t state = 12345;
    for (char& byte : noise) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>((state >> 24) | 1);  // no NUL, so the whole file is read
    }
    std::u16string longLine =
        u"TITLE=" + std::u16string(1000000, u'x') + u"\r\nHB=0\r\nITEM1=" + std::u16string(1000000, u'g') + u"\r\n";
    for (const std::string& bytes : {noise, Utf16File(longLine)}) {
        ExecuteSetting setting;
        GoalList goals;
        setting.FileLines.LoadFromBytes(bytes);
        setting.ReadValues({2026, 12, 10}, goals);
        setting.BuildFileLines(goals);
        EXPECT_GE(goals.Count(), 1);
        EXPECT_LE(setting.FileLines.ToBytes().size(), bytes.size() * 2 + 4096);
    }
    ExecuteSetting setting;
    GoalList goals;
    setting.FileLines.LoadFromBytes(Utf16File(longLine));
    setting.ReadValues({2026, 12, 10}, goals);
    EXPECT_EQ(setting.TITLE.size(), 1000000u);
    EXPECT_EQ(setting.HB, 0);
    EXPECT_EQ(goals.LineAt(0).size(), 1000000u);
}

TEST(RenderStyleTest, ClassicUpToVersionFiveShadedOtherwise) {
    for (int major : {1, 5}) {
        const RenderStyle style = ChooseRenderStyle(major);
        EXPECT_EQ(style.Shaded, 0);
        EXPECT_EQ(style.Font.face, u"MS UI Gothic");
        EXPECT_EQ(style.PanelFontSize, 9);
        EXPECT_EQ(style.SwatchPenColor, 0xB99D7F);
    }
    for (int major : {0, 6, 10, -3}) {
        const RenderStyle style = ChooseRenderStyle(major);
        EXPECT_EQ(style.Shaded, 1);
        EXPECT_EQ(style.Font.face, u"Meiryo UI");
        EXPECT_EQ(style.PanelFontSize, 8);
        EXPECT_EQ(style.DateRowOffset, -3);
        EXPECT_EQ(style.BarGap, -4);
        EXPECT_EQ(style.DaysRowOffset, -4);
        EXPECT_EQ(style.BandExtra, 1);
    }
}

}  // namespace
}  // namespace kestrival
