// The Linux file layer: what a save does to links, modes and owners, and which names are a
// save's own.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/file_io.h"
#include "support/text.h"
#include "tests/unit/temp_folder.h"

namespace kestrival {
namespace {

namespace fs = std::filesystem;

// What these tests write is whole when it holds anything; the settings file's own evidence is the
// line store's to judge.
const WholeCheck kAnyText = [](std::string_view bytes) { return !bytes.empty(); };

TEST(SaveNamesTest, ComparedAsTheFileSystemDoes) {
    const struct {
        const char16_t* candidate;
        NameCase nameCase;
        bool temporary;
        bool partial;
    } cases[] = {
        {u"kestrival_set.txt.5.tmp", NameCase::kExact, true, false},
        {u"kestrival_set.txt.5.part", NameCase::kExact, false, true},
        {u"Kestrival_set.txt.5.tmp", NameCase::kExact, false, false},  // another program's file
        {u"kestrival_set.txt.5.TMP", NameCase::kExact, false, false},
        {u"Kestrival_set.txt.5.tmp", NameCase::kIgnoreCase, true, false},
        {u"KESTRIVAL_SET.TXT.5.PART", NameCase::kIgnoreCase, false, true},
        {u"kestrival_set.txt.lock", NameCase::kExact, false, false},  // a lock beside the file
        {u"kestrival_set.txt.5.tmp.lock", NameCase::kIgnoreCase, false, false},
        {u"kestrival_set.txt..tmp", NameCase::kExact, false, false},
        {u"kestrival_set.txt.5x.tmp", NameCase::kExact, false, false},
        {u"kestrival_set.txt.5.part.tmp", NameCase::kExact, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsTemporaryNameFor(c.candidate, u"kestrival_set.txt", c.nameCase), c.temporary)
            << ToUtf8(c.candidate);
        EXPECT_EQ(IsPartialNameFor(c.candidate, u"kestrival_set.txt", c.nameCase), c.partial) << ToUtf8(c.candidate);
    }
    EXPECT_EQ(PartialNameFor(u"a.txt", 42), u"a.txt.42.part");
    EXPECT_EQ(TemporaryNameFor(u"a.txt", 0), u"a.txt.0.tmp");
}

class LinuxSaveTest : public ::testing::Test {
protected:
    std::u16string PathOf(const fs::path& native) const { return FromPathBytes(native.string()); }
    static std::string Contents(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Only the files a test made: a save leaves nothing of its own behind.
    static std::size_t EntriesIn(const fs::path& folder) {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }

    TempFolder folder_;
    TempFolder other_;
};

TEST_F(LinuxSaveTest, ALinkStaysALinkAndItsFileTakesTheSave) {
    const fs::path here = folder_.Native(u"");
    const fs::path there = other_.Native(u"");
    const struct {
        const char* what;
        fs::path link;        // the settings path
        fs::path linkTarget;  // what the link says
        fs::path file;        // the file that must take the save
        bool fileExists;
    } cases[] = {
        {"beside it", here / "set.txt", "real.txt", here / "real.txt", true},
        {"in another folder", here / "set.txt", there / "synced.txt", there / "synced.txt", true},
        {"through a second link", here / "set.txt", "hop.txt", there / "synced.txt", true},
        {"to a file not there yet", here / "set.txt", there / "new.txt", there / "new.txt", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(here)) fs::remove(entry.path());
        for (const auto& entry : fs::directory_iterator(there)) fs::remove(entry.path());
        fs::create_symlink(there / "synced.txt", here / "hop.txt");
        if (c.fileExists) std::ofstream(c.file) << "old";
        fs::create_symlink(c.linkTarget, c.link);
        const std::size_t before = EntriesIn(here) + EntriesIn(there) + (c.fileExists ? 0 : 1);

        FileState written;
        ASSERT_TRUE(WriteFileReplacing(PathOf(c.link), std::string_view("new"), &written));
        EXPECT_TRUE(fs::is_symlink(c.link));
        EXPECT_EQ(fs::read_symlink(c.link), c.linkTarget);
        EXPECT_EQ(Contents(c.file), "new");
        EXPECT_EQ(EntriesIn(here) + EntriesIn(there), before);
        EXPECT_EQ(StateOf(PathOf(c.link)), written);  // the run knows its own file through the link
    }
}

TEST_F(LinuxSaveTest, ALinkThatLeadsNowhereIsNeitherReadNorReplaced) {
    const fs::path link = folder_.Native(u"set.txt");
    fs::create_symlink("loop.txt", link);
    fs::create_symlink("set.txt", folder_.Native(u"loop.txt"));
    EXPECT_EQ(ReadWholeFile(PathOf(link)).status, ReadStatus::kUnreadable);
    EXPECT_FALSE(WriteFileReplacing(PathOf(link), std::string_view("new")));
    EXPECT_FALSE(RecoverInterruptedSave(PathOf(link), kAnyText));
    EXPECT_EQ(fs::read_symlink(link), "loop.txt");
    EXPECT_EQ(EntriesIn(folder_.Native(u"")), 2u);

    // A read-only file behind a link stays as it is.
    const fs::path file = other_.Native(u"locked.txt");
    std::ofstream(file) << "old";
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);
    fs::remove(link);
    fs::create_symlink(file, link);
    EXPECT_FALSE(WriteFileReplacing(PathOf(link), std::string_view("new")));
    EXPECT_EQ(Contents(file), "old");
    EXPECT_TRUE(fs::is_symlink(link));
}

TEST_F(LinuxSaveTest, AnInterruptedSaveBehindALinkIsRecoveredBesideItsFile) {
    const fs::path link = folder_.Native(u"set.txt");
    fs::create_symlink(other_.Native(u"synced.txt"), link);
    std::ofstream(other_.Native(u"synced.txt.9.tmp")) << "whole";
    EXPECT_TRUE(RecoverInterruptedSave(PathOf(link), kAnyText));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Contents(other_.Native(u"synced.txt")), "whole");
}

TEST_F(LinuxSaveTest, OnlyTemporariesThisUserLeftAreRecoveredOrRemoved) {
    const fs::path shared = folder_.Native(u"");
    ::chmod(shared.c_str(), 01777);  // a shared folder with the sticky bit
    const fs::path file = shared / "set.txt";
    const fs::path precious = other_.Native(u"precious.txt");
    const struct {
        const char* what;
        void (*plant)(const fs::path& temporary, const fs::path& precious);
    } planted[] = {
        {"a second name of another file",
         [](const fs::path& temporary, const fs::path& other) { fs::create_hard_link(other, temporary); }},
        {"another user's file",
         [](const fs::path& temporary, const fs::path&) {
             std::ofstream(temporary) << "planted";
             ::chmod(temporary.c_str(), 0666);
             if (::geteuid() == 0) {
                 ASSERT_EQ(::chown(temporary.c_str(), 65534, 65534), 0);
             }
         }},
    };
    for (const auto& c : planted) {
        if (std::string(c.what) == "another user's file" && ::geteuid() != 0) continue;  // needs root to give away
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(shared)) fs::remove(entry.path());
        std::ofstream(precious) << "keep me";
        const fs::path foreign = shared / "set.txt.9.tmp";
        const fs::path foreignPartial = shared / "set.txt.9.part";
        c.plant(foreign, precious);
        c.plant(foreignPartial, precious);

        // Nothing of ours: nothing is put in place.
        EXPECT_FALSE(RecoverInterruptedSave(PathOf(file), kAnyText));
        EXPECT_FALSE(fs::exists(fs::symlink_status(file)));

        // An older temporary of ours is still taken over the newer planted one.
        const fs::path ours = shared / "set.txt.3.tmp";
        std::ofstream(ours) << "whole";
        const auto plantedAt = fs::last_write_time(foreign);
        fs::last_write_time(ours, plantedAt - std::chrono::hours(1));
        fs::last_write_time(foreign, plantedAt + std::chrono::hours(1));
        EXPECT_TRUE(RecoverInterruptedSave(PathOf(file), kAnyText));
        EXPECT_EQ(Contents(file), "whole");
        EXPECT_FALSE(fs::exists(ours));

        // A save cleans up only its own leftovers.
        ASSERT_TRUE(WriteFileReplacing(PathOf(file), std::string_view("new")));
        RemoveLeftoverTemporaries(PathOf(file), kAnyText);
        EXPECT_TRUE(fs::exists(foreign));
        EXPECT_TRUE(fs::exists(foreignPartial));
        EXPECT_EQ(Contents(file), "new");
        EXPECT_EQ(Contents(precious), "keep me");
    }
}

TEST_F(LinuxSaveTest, ModeOwnerAndGroupAreKept) {
    const mode_t umaskBefore = ::umask(022);
    const fs::path file = folder_.Native(u"set.txt");
    for (const mode_t mode : {0664u, 0600u, 0640u, 0666u, 0620u}) {
        std::ofstream(file) << "old";
        ::chmod(file.c_str(), mode);
        ASSERT_TRUE(WriteFileReplacing(PathOf(file), std::string_view("new")));
        struct stat info {};
        ::stat(file.c_str(), &info);
        EXPECT_EQ(info.st_mode & 07777, mode) << std::oct << mode;
        EXPECT_EQ(Contents(file), "new");
    }
    fs::remove(file);
    ASSERT_TRUE(WriteFileReplacing(PathOf(file), std::string_view("first")));
    struct stat created {};
    ::stat(file.c_str(), &created);
    EXPECT_EQ(created.st_mode & 0777, 0644u);  // a new file as any program makes one
    ::umask(umaskBefore);

    if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another owner needs root";
    ::chown(file.c_str(), 1234, 5678);
    ::chmod(file.c_str(), 0664);
    ASSERT_TRUE(WriteFileReplacing(PathOf(file), std::string_view("root's save")));
    struct stat owned {};
    ::stat(file.c_str(), &owned);
    EXPECT_EQ(owned.st_uid, 1234u);
    EXPECT_EQ(owned.st_gid, 5678u);
    EXPECT_EQ(owned.st_mode & 07777, 0664u);

    // A user who may not give the file back to its owner still saves: the system refuses the
    // change of owner (EPERM) and the file becomes that user's, with its mode kept.
    ::chown(file.c_str(), 0, 0);
    ::chmod(file.c_str(), 0666);
    ::chmod(folder_.Native(u"").c_str(), 0777);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool dropped = ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
        ::_exit(dropped && WriteFileReplacing(PathOf(file), std::string_view("nobody's save")) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(Contents(file), "nobody's save");
    struct stat taken {};
    ::stat(file.c_str(), &taken);
    EXPECT_EQ(taken.st_uid, 65534u);
    EXPECT_EQ(taken.st_mode & 07777, 0666u);
    EXPECT_EQ(EntriesIn(folder_.Native(u"")), 1u);
}

TEST_F(LinuxSaveTest, FoldersWhoseNamesAreNotUtf8AreReachedAsTheyAre) {
    const fs::path odd = folder_.Native(u"") / "\x83\x5E\xFF";
    fs::create_directories(odd);
    const std::u16string path = PathOf(odd / "kestrival_set.txt");
    ASSERT_TRUE(WriteFileReplacing(path, std::string_view("new")));
    EXPECT_EQ(Contents(odd / "kestrival_set.txt"), "new");
    EXPECT_EQ(ReadWholeFile(path).bytes, "new");
    std::ofstream(odd / "kestrival_set.txt.3.tmp") << "left";
    fs::last_write_time(odd / "kestrival_set.txt.3.tmp",
                        fs::last_write_time(odd / "kestrival_set.txt") - std::chrono::hours(1));
    RemoveLeftoverTemporaries(path, kAnyText);
    EXPECT_EQ(EntriesIn(odd), 1u);
}

}  // namespace
}  // namespace kestrival
