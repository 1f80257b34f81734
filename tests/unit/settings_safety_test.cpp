// The settings file among other users' names and files: links nobody else may bend, files that are
// not files, names made in advance, second names of the file, and what interrupted saves left.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/print_goals.h"
#include "settings/execute_setting.h"
#include "support/extend_string_list.h"
#include "support/file_io.h"
#include "support/text.h"
#include "tests/common/fakes.h"
#include "tests/common/utf16_bytes.h"
#include "tests/unit/temp_folder.h"

namespace kestrival {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr uid_t kOtherUser = 4321;  // no account needed: only the number is compared
constexpr gid_t kSharedGroup = 4322;

class SettingsSafetyTest : public ::testing::Test {
protected:
    SettingsSafetyTest() : clock_({{2026, 12, 10}, 9, 30, 0, 0}) {
        environment_.separator = u'/';
        environment_.documents = folder_.Path(u"home/Documents");
        // Started with LOCAL from a folder a group shares: the file is "shared/kestrival_set.txt".
        environment_.programPath = folder_.Path(u"shared/kestrival");
        environment_.arguments = {u"LOCAL"};
        folder_.MakeFolder(u"shared");
        folder_.MakeFolder(u"home");
    }

    fs::path Shared(const char* name) const { return folder_.Native(u"shared") / name; }
    fs::path SettingFile() const { return Shared("kestrival_set.txt"); }
    void Load() { setting_.Load(environment_, clock_, goals_); }
    // The folder as a group shares it: others of the group may make names there, and the sticky
    // bit keeps them from removing or renaming the user's own.
    void ShareFolder() const {
        const fs::path shared = folder_.Native(u"shared");
        ASSERT_EQ(::chown(shared.c_str(), ::geteuid(), kSharedGroup), 0);
        ASSERT_EQ(::chmod(shared.c_str(), 03770), 0);
    }
    std::vector<std::string> NamesIn(const fs::path& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder folder_;
    FakeEnvironment environment_;
    FixedClock clock_;
    ExecuteSetting setting_;
    GoalList goals_;
};

// Runs `body` in a child process that `seconds` end if it waits for ever; true when it returned
// true in time.
template <typename Body>
bool InTime(unsigned seconds, Body body) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(seconds);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(SettingsSafetyTest, AnotherUsersLinkIsNeverFollowed) {
    if (::geteuid() != 0) GTEST_SKIP() << "a link of another user needs root to make (lchown)";
    ShareFolder();
    const fs::path notes = folder_.Native(u"home/notes.txt");
    const std::string private_text = "my own notes\n";
    const struct {
        const char* what;
        fs::path link;    // made by the other user
        fs::path points;  // what it says
    } cases[] = {
        {"at the settings name, to a private file", SettingFile(), notes},
        {"at the settings name, to a file not there yet", SettingFile(), folder_.Native(u"home/new.txt")},
        {"behind a link of the user's own", Shared("theirs.txt"), notes},
        {"in place of the folder", Shared("sub"), folder_.Native(u"home")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(folder_.Native(u"shared"))) fs::remove_all(entry.path());
        folder_.Write(u"home/notes.txt", private_text);
        fs::remove(folder_.Native(u"home/new.txt"));
        fs::create_symlink(c.points, c.link);
        ASSERT_EQ(::lchown(c.link.c_str(), kOtherUser, kSharedGroup), 0);
        if (c.link == Shared("theirs.txt")) fs::create_symlink(c.link, SettingFile());  // the user's own link
        if (c.link == Shared("sub")) environment_.programPath = folder_.Path(u"shared/sub/kestrival");

        ExecuteSetting setting;
        GoalList goals;
        setting.Load(environment_, clock_, goals);
        EXPECT_TRUE(setting.FileUnreadable);
        EXPECT_EQ(setting.TITLE, u"Kestrival");  // the defaults, in memory
        setting.TITLE = u"changed";
        EXPECT_EQ(setting.Save(goals), SaveOutcome::kHeldBack);
        EXPECT_EQ(folder_.Read(u"home/notes.txt"), private_text);
        EXPECT_FALSE(fs::exists(folder_.Native(u"home/new.txt")));
        EXPECT_EQ(NamesIn(folder_.Native(u"home")), (std::vector<std::string>{"notes.txt"}));
        EXPECT_TRUE(fs::is_symlink(c.link));
        const PrintOutcome printed = PrintGoals(environment_, clock_);
        EXPECT_EQ(printed.status, 1);
        EXPECT_NE(printed.error, u"");
        environment_.programPath = folder_.Path(u"shared/kestrival");
    }

    // A link of the user's own, and one of root's, still lead to the file (a dotfiles folder).
    for (const uid_t owner : {::geteuid(), uid_t{0}}) {
        for (const auto& entry : fs::directory_iterator(folder_.Native(u"shared"))) fs::remove_all(entry.path());
        folder_.Write(u"home/synced.txt", Utf16File(u"TITLE=synced\r\n"));
        fs::create_symlink(folder_.Native(u"home/synced.txt"), SettingFile());
        ASSERT_EQ(::lchown(SettingFile().c_str(), owner, static_cast<gid_t>(-1)), 0);
        ExecuteSetting setting;
        GoalList goals;
        setting.Load(environment_, clock_, goals);
        EXPECT_FALSE(setting.FileUnreadable);
        EXPECT_EQ(setting.TITLE, u"synced");
    }
}

// Another member of the group swaps the settings folder with a link of theirs to a folder of the
// user's, over and over, while the user saves, recovers and clears up: whatever moment the swap
// lands, nothing is read, written or removed in the folder the link leads to.
TEST_F(SettingsSafetyTest, AFolderSwappedForAnotherUsersLinkDuringASaveLeadsNowhere) {
    if (::geteuid() != 0) GTEST_SKIP() << "swapping folders as another user needs root to become that user";
    const fs::path root = folder_.Native(u"");
    const fs::path shared = folder_.Native(u"shared");
    ASSERT_EQ(::chmod(root.c_str(), 0711), 0);  // the other user reaches the shared folder only
    ASSERT_EQ(::chown(shared.c_str(), ::geteuid(), kSharedGroup), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 02770), 0);  // group-writable, not sticky
    folder_.MakeFolder(u"shared/app");
    const std::string otherGoals = Utf16File(u"Kestrival Setup File\r\nTITLE=my other goals\r\n");
    folder_.Write(u"home/bin/kestrival_set.txt", otherGoals);
    const std::string oldTemporary = Utf16File(u"Kestrival Setup File\r\nTITLE=older\r\n");
    folder_.Write(u"home/bin/kestrival_set.txt.77.tmp", oldTemporary);
    fs::last_write_time(folder_.Native(u"home/bin/kestrival_set.txt.77.tmp"),
                        fs::last_write_time(folder_.Native(u"home/bin/kestrival_set.txt")) - 1h);
    const std::vector<std::string> binBefore = NamesIn(folder_.Native(u"home/bin"));
    const fs::path link = Shared("applink");
    fs::create_symlink(folder_.Native(u"home/bin"), link);
    ASSERT_EQ(::lchown(link.c_str(), kOtherUser, kSharedGroup), 0);

    const pid_t swapper = ::fork();
    if (swapper == 0) {
        ::alarm(30);
        const gid_t groups[] = {kSharedGroup};
        if (::setgroups(1, groups) != 0 || ::setgid(kSharedGroup) != 0 || ::setuid(kOtherUser) != 0) ::_exit(2);
        for (;;) {
            if (::renameat2(AT_FDCWD, Shared("app").c_str(), AT_FDCWD, link.c_str(), RENAME_EXCHANGE) != 0) ::_exit(3);
        }
    }
    const std::u16string path = folder_.Path(u"shared/app/kestrival_set.txt");
    const auto until = std::chrono::steady_clock::now() + 3s;
    int saved = 0;
    for (int i = 0; std::chrono::steady_clock::now() < until; ++i) {
        const std::string text =
            Utf16File(u"Kestrival Setup File\r\nTITLE=shared " + FromUtf8(std::to_string(i)) + u"\r\n");
        if (WriteFileReplacing(path, text)) ++saved;
        ReadWholeFile(path);
        RecoverInterruptedSave(path, IsWholeSavedText);
        RemoveLeftoverTemporaries(path, IsWholeSavedText);
    }
    ::kill(swapper, SIGKILL);
    int status = 0;
    ::waitpid(swapper, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the swapping process stopped early";
    if (fs::is_symlink(Shared("app"))) {
        ASSERT_EQ(::renameat2(AT_FDCWD, Shared("app").c_str(), AT_FDCWD, link.c_str(), RENAME_EXCHANGE), 0);
    }

    std::cout << "saves that met the folder between two swaps: " << saved << "\n";
    EXPECT_EQ(folder_.Read(u"home/bin/kestrival_set.txt"), otherGoals);
    EXPECT_EQ(folder_.Read(u"home/bin/kestrival_set.txt.77.tmp"), oldTemporary);
    EXPECT_EQ(NamesIn(folder_.Native(u"home/bin")), binBefore);
    EXPECT_GT(saved, 0);
}

TEST_F(SettingsSafetyTest, OnlyARegularFileIsReadAndNothingElseIsWaitedFor) {
    const fs::path fifo = folder_.Native(u"home/pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        const char* what;
        void (*make)(const fs::path& settings, const fs::path& fifo);
    } cases[] = {
        {"a pipe at the settings name",
         [](const fs::path& settings, const fs::path&) { ::mkfifo(settings.c_str(), 0600); }},
        {"a pipe behind the user's own link",
         [](const fs::path& settings, const fs::path& pipe) { fs::create_symlink(pipe, settings); }},
        {"a device behind the user's own link",
         [](const fs::path& settings, const fs::path&) { fs::create_symlink("/dev/zero", settings); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(SettingFile());
        c.make(SettingFile(), fifo);
        // Nobody ever writes to the pipe: a start that waited for a writer would never end.
        EXPECT_TRUE(InTime(10, [this] {
            ExecuteSetting setting;
            GoalList goals;
            setting.Load(environment_, clock_, goals);
            setting.TITLE = u"changed";
            return setting.FileUnreadable && setting.TITLE == u"changed" &&
                   setting.Save(goals) == SaveOutcome::kHeldBack;
        }));
        EXPECT_TRUE(InTime(10, [this] {
            const PrintOutcome printed = PrintGoals(environment_, clock_);
            return printed.status == 1 && printed.output.empty() && !printed.error.empty();
        }));
        EXPECT_FALSE(fs::is_regular_file(fs::symlink_status(SettingFile())));
        EXPECT_EQ(NamesIn(folder_.Native(u"shared")), (std::vector<std::string>{"kestrival_set.txt"}));
    }
}

TEST_F(SettingsSafetyTest, NamesMadeInAdvanceDoNotStopASave) {
    // Another user of the shared folder makes every name a save of this process could derive from
    // its number and a count.
    folder_.Write(u"shared/kestrival_set.txt", Utf16File(u"TITLE=mine\r\n"));
    Load();
    const std::uint64_t base = static_cast<std::uint64_t>(::getpid()) << 24;
    for (std::uint64_t n = 0; n < 3000; ++n) {
        for (const auto& name :
             {PartialNameFor(u"kestrival_set.txt", base + n), TemporaryNameFor(u"kestrival_set.txt", base + n)}) {
            folder_.MakeFolder(u"shared/" + name);  // a name nobody's save may remove
        }
    }
    const std::size_t planted = NamesIn(folder_.Native(u"shared")).size();
    setting_.TITLE = u"saved";
    EXPECT_EQ(setting_.Save(goals_), SaveOutcome::kSaved);
    ExecuteSetting reread;
    GoalList goals;
    reread.Load(environment_, clock_, goals);
    EXPECT_EQ(reread.TITLE, u"saved");
    // Not one name of theirs was touched and nothing of the save's own was left.
    EXPECT_EQ(NamesIn(folder_.Native(u"shared")).size(), planted);
}

TEST(SaveNamesTest, NobodyCanTellTheNextSavesNames) {
    TempFolder folder;
    const std::u16string file = folder.Path(u"set.txt");
    std::vector<std::string> partials;
    for (int save = 0; save < 3; ++save) {
        ASSERT_TRUE(WriteFileReplacing(file, [&](const ByteSink& write) {
            for (const auto& entry : fs::directory_iterator(folder.Native(u""))) {
                const std::string name = entry.path().filename().string();
                if (name.size() > 5 && name.substr(name.size() - 5) == ".part") partials.push_back(name);
            }
            return write("x");
        }));
    }
    ASSERT_EQ(partials.size(), 3u);
    const std::uint64_t base = static_cast<std::uint64_t>(::getpid()) << 24;
    for (const auto& name : partials) {
        const std::uint64_t number = std::stoull(name.substr(8, name.size() - 8 - 5));
        EXPECT_FALSE(number >= base && number < base + (1u << 24)) << name;  // not the process's number
    }
    EXPECT_NE(partials[0], partials[1]);
    EXPECT_NE(partials[1], partials[2]);
}

// The text of the nth save in the kill test: whole by the line store's evidence, and of a length
// that differs from save to save, so that a rewrite in place cut short shows.
std::string NthSave(int n) {
    ExtendStringList lines;
    lines.Add(u"Kestrival Setup File");
    lines.Add(FormatText(u"TITLE=save %d", {n}));
    for (int i = 0; i < 2000 + (n % 7) * 300; ++i)
        lines.Add(FormatText(u"ITEM%d=goal %d,2026/01/01,2027/01/01", {i + 1, n}));
    return lines.ToBytes();
}

TEST(SecondNameTest, ASaveKeepsEveryNameOfTheFile) {
    TempFolder folder;
    TempFolder backup;
    const fs::path file = folder.Native(u"set.txt");
    const fs::path second = backup.Native(u"set.txt");
    folder.Write(u"set.txt", "old");
    ::chmod(file.c_str(), 0640);
    fs::create_hard_link(file, second);
    struct stat before {};
    ::stat(file.c_str(), &before);

    FileState written;
    ASSERT_TRUE(WriteFileReplacing(FromPathBytes(file.string()), std::string_view("new text"), &written));
    EXPECT_EQ(backup.Read(u"set.txt"), "new text");
    EXPECT_EQ(folder.Read(u"set.txt"), "new text");
    struct stat after {};
    ::stat(file.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_nlink, 2u);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(StateOf(FromPathBytes(file.string())), written);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Native(u"")), fs::directory_iterator()), 1);
}

TEST(SecondNameTest, KilledAtAnyMomentTheFileOrATemporaryIsWhole) {
    TempFolder folder;
    TempFolder backup;
    const fs::path file = folder.Native(u"set.txt");
    const fs::path second = backup.Native(u"set.txt");
    const std::u16string path = FromPathBytes(file.string());
    folder.Write(u"set.txt", NthSave(0));
    fs::create_hard_link(file, second);
    std::vector<std::string> saves;
    for (int n = 0; n < 40; ++n) saves.push_back(NthSave(n));
    const auto isSave = [&saves](const std::string& bytes) {
        return std::find(saves.begin(), saves.end(), bytes) != saves.end();
    };
    std::mt19937 random(12345);
    int cutInPlace = 0;
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(round);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int n = 1;; n = n % 39 + 1)
                WriteFileReplacing(path, std::string_view(saves[static_cast<std::size_t>(n)]));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 40000)(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        // What the kill left: the file whole, or a whole temporary beside it.
        bool wholeTemporary = false;
        for (const auto& entry : fs::directory_iterator(folder.Native(u""))) {
            const std::string name = entry.path().filename().string();
            if (name.size() > 4 && name.substr(name.size() - 4) == ".tmp") {
                wholeTemporary = wholeTemporary || isSave(folder.Read(FromPathBytes(name)));
            }
        }
        const bool fileWhole = isSave(folder.Read(u"set.txt"));
        EXPECT_TRUE(fileWhole || wholeTemporary);
        if (!fileWhole) ++cutInPlace;

        // The next start: the file whole again, under both names.
        RecoverInterruptedSave(path, IsWholeSavedText);
        RemoveLeftoverTemporaries(path, IsWholeSavedText);
        EXPECT_TRUE(isSave(folder.Read(u"set.txt")));
        EXPECT_EQ(backup.Read(u"set.txt"), folder.Read(u"set.txt"));
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.Native(u"")), fs::directory_iterator()), 1);
    }
    std::cout << "rewrites in place cut short and recovered: " << cutInPlace << " of 30\n";
    // A clean run: both names read the latest save.
    ASSERT_TRUE(WriteFileReplacing(path, std::string_view(saves[7])));
    EXPECT_EQ(backup.Read(u"set.txt"), saves[7]);
    EXPECT_EQ(fs::hard_link_count(file), 2u);

    // What a kill in the middle of the rewrite leaves, whether or not a kill above landed there: the
    // file's first bytes of the flushed temporary's text. The next start finishes the rewrite.
    folder.Write(u"set.txt.77.tmp", saves[5]);
    fs::last_write_time(folder.Native(u"set.txt.77.tmp"), fs::last_write_time(file) - 1s);
    std::filesystem::resize_file(file, 0);
    std::ofstream(file, std::ios::binary) << saves[5].substr(0, saves[5].size() / 2);
    EXPECT_TRUE(RecoverInterruptedSave(path, IsWholeSavedText));
    EXPECT_EQ(backup.Read(u"set.txt"), saves[5]);
    EXPECT_EQ(fs::hard_link_count(file), 2u);
    EXPECT_FALSE(fs::exists(folder.Native(u"set.txt.77.tmp")));
}

TEST_F(SettingsSafetyTest, TheSettingsFileKeepsItsSecondName) {
    folder_.Write(u"shared/kestrival_set.txt", Utf16File(u"TITLE=mine\r\n"));
    fs::create_hard_link(SettingFile(), folder_.Native(u"home/backup.txt"));
    Load();
    setting_.TITLE = u"saved";
    EXPECT_EQ(setting_.Save(goals_), SaveOutcome::kSaved);
    EXPECT_EQ(folder_.Read(u"home/backup.txt"), folder_.Read(u"shared/kestrival_set.txt"));
    EXPECT_NE(folder_.Read(u"home/backup.txt").find(ToUtf16Le(u"TITLE=saved")), std::string::npos);
}

// A file with a second name is rewritten in place; a power cut in the rewrite may leave it as zeros
// with a newer time, and the whole temporary the save wrote first is then the only copy.
TEST_F(SettingsSafetyTest, ARewriteInPlaceThatAPowerCutLeftAsZerosIsRecovered) {
    const std::string goals = Utf16File(u"Kestrival Setup File\r\nTITLE=my real goals\r\n");
    const fs::path backup = folder_.Native(u"home/backup.txt");
    const fs::path temporary = Shared("kestrival_set.txt.1234567.tmp");
    const auto plant = [&] {
        folder_.Write(u"shared/kestrival_set.txt", goals);
        if (!fs::exists(backup)) fs::create_hard_link(SettingFile(), backup);
        folder_.Write(u"shared/kestrival_set.txt.1234567.tmp", goals);
        fs::last_write_time(temporary, fs::file_time_type::clock::now() - 10s);
        std::fstream(SettingFile(), std::ios::in | std::ios::out | std::ios::binary) << std::string(64, '\0');
    };

    // Clearing up alone never takes the only whole copy.
    plant();
    RemoveLeftoverTemporaries(folder_.Path(u"shared/kestrival_set.txt"), IsWholeSavedText);
    EXPECT_EQ(folder_.Read(u"shared/kestrival_set.txt.1234567.tmp"), goals);

    plant();
    Load();
    EXPECT_EQ(setting_.TITLE, u"my real goals");
    EXPECT_TRUE(IsWholeSavedText(folder_.Read(u"shared/kestrival_set.txt")));
    EXPECT_EQ(folder_.Read(u"home/backup.txt"), folder_.Read(u"shared/kestrival_set.txt"));
    EXPECT_EQ(fs::hard_link_count(SettingFile()), 2u);
    EXPECT_EQ(NamesIn(folder_.Native(u"shared")), (std::vector<std::string>{"kestrival_set.txt"}));
}

// A file of another user's at the settings name, with a second name where its owner reads it, is
// never rewritten in place: the user's settings would go to them.
TEST_F(SettingsSafetyTest, AnotherUsersFileWithASecondNameIsNeverRewrittenInPlace) {
    if (::geteuid() != 0) GTEST_SKIP() << "a file of another user needs root to make (chown)";
    ShareFolder();
    ASSERT_EQ(::chmod(folder_.Native(u"").c_str(), 0711), 0);
    const fs::path peek = folder_.Native(u"home/peek");
    folder_.Write(u"shared/kestrival_set.txt", "x\n");
    fs::create_hard_link(SettingFile(), peek);
    ASSERT_EQ(::chown(SettingFile().c_str(), kOtherUser, kSharedGroup), 0);
    ASSERT_EQ(::chmod(SettingFile().c_str(), 0666), 0);
    const std::string secret = Utf16File(u"Kestrival Setup File\r\nTITLE=private goals\r\n");
    const std::u16string path = folder_.Path(u"shared/kestrival_set.txt");

    // A user of the group: the sticky folder keeps them from replacing the other user's name.
    const bool savedByMember = InTime(10, [&] {
        const gid_t groups[] = {kSharedGroup};
        if (::setgroups(1, groups) != 0 || ::setgid(kSharedGroup) != 0 || ::setuid(kOtherUser + 2) != 0) return true;
        return WriteFileReplacing(path, secret);
    });
    EXPECT_FALSE(savedByMember);
    EXPECT_EQ(folder_.Read(u"home/peek"), "x\n");

    // Root may replace the name, and does so rather than write into the other user's file.
    EXPECT_TRUE(WriteFileReplacing(path, secret));
    EXPECT_EQ(folder_.Read(u"home/peek"), "x\n");
    EXPECT_EQ(folder_.Read(u"shared/kestrival_set.txt"), secret);
}

TEST_F(SettingsSafetyTest, OnlyAWholeTemporaryIsTakenAndNoNewerOneIsLost) {
    struct Leftover {
        const char* name;
        std::string bytes;
        std::chrono::seconds age;
    };
    const std::string whole = Utf16File(u"Kestrival Setup File\r\nTITLE=whole\r\nITEM1=試験,2026/01/01,2027/01/01\r\n");
    const std::string newer = Utf16File(u"Kestrival Setup File\r\nTITLE=newer\r\n");
    const std::string cut = Utf16File(u"Kestrival Setup File\r\nTITLE=cut\r\nITEM1=試");  // a title and half a line
    const std::string oddLength = whole + "\r";
    const struct {
        const char* what;
        std::optional<std::string> file;  // its age is 30 s
        std::vector<Leftover> leftovers;
        const char16_t* title;
        std::vector<const char*> kept;
    } cases[] = {
        {"an older whole one over a newer cut one",
         std::nullopt,
         {{"kestrival_set.txt.4711.tmp", whole, 60s}, {"kestrival_set.txt.4712.tmp", cut, 5s}},
         u"whole",
         {"kestrival_set.txt.4712.tmp"}},
        {"an odd length is not whole",
         std::nullopt,
         {{"kestrival_set.txt.1.tmp", whole, 60s}, {"kestrival_set.txt.2.tmp", oddLength, 5s}},
         u"whole",
         {"kestrival_set.txt.2.tmp"}},
        {"without the mark it is not whole",
         std::nullopt,
         {{"kestrival_set.txt.1.tmp", whole, 60s}, {"kestrival_set.txt.2.tmp", whole.substr(2), 5s}},
         u"whole",
         {"kestrival_set.txt.2.tmp"}},
        {"a whole one newer than the file",
         Utf16File(u"TITLE=file\r\n"),
         {{"kestrival_set.txt.9.tmp", newer, 5s}},
         u"newer",
         {}},
        {"the file older than a cut one keeps it",
         Utf16File(u"TITLE=file\r\n"),
         {{"kestrival_set.txt.9.tmp", cut, 5s}},
         u"file",
         {"kestrival_set.txt.9.tmp"}},
        {"a rewrite in place cut short", whole.substr(0, 40), {{"kestrival_set.txt.9.tmp", whole, 60s}}, u"whole", {}},
        {"zeros a power cut left, newer than the whole one",
         std::string(64, '\0'),
         {{"kestrival_set.txt.9.tmp", whole, 60s}},
         u"whole",
         {}},
        {"the file newer than the temporary",
         Utf16File(u"TITLE=file\r\n"),
         {{"kestrival_set.txt.9.tmp", newer, 90s}},
         u"file",
         {}},
        {"the newest whole one of three",
         std::nullopt,
         {{"kestrival_set.txt.1.tmp", whole, 90s},
          {"kestrival_set.txt.2.tmp", newer, 60s},
          {"kestrival_set.txt.3.tmp", cut, 5s}},
         u"newer",
         {"kestrival_set.txt.3.tmp"}},
    };
    const auto now = fs::file_time_type::clock::now();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(folder_.Native(u"shared"))) fs::remove_all(entry.path());
        if (c.file) {
            folder_.Write(u"shared/kestrival_set.txt", *c.file);
            fs::last_write_time(SettingFile(), now - 30s);
        }
        for (const auto& leftover : c.leftovers) {
            folder_.Write(u"shared/" + FromUtf8(leftover.name), leftover.bytes);
            fs::last_write_time(Shared(leftover.name), now - leftover.age);
        }
        ExecuteSetting setting;
        GoalList goals;
        setting.Load(environment_, clock_, goals);
        EXPECT_EQ(setting.TITLE, c.title);
        std::vector<std::string> expected{"kestrival_set.txt"};
        for (const char* name : c.kept) expected.push_back(name);
        EXPECT_EQ(NamesIn(folder_.Native(u"shared")), expected);
        for (const auto& leftover : c.leftovers) {
            if (fs::exists(Shared(leftover.name))) {
                EXPECT_EQ(folder_.Read(u"shared/" + FromUtf8(leftover.name)), leftover.bytes);
            }
        }
        // A save of this run's holds the newest settings: nothing an interrupted save left is kept.
        setting.TITLE = u"saved";
        EXPECT_EQ(setting.Save(goals), SaveOutcome::kSaved);
        EXPECT_EQ(NamesIn(folder_.Native(u"shared")), (std::vector<std::string>{"kestrival_set.txt"}));
    }
}

}  // namespace
}  // namespace kestrival
