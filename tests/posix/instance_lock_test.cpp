// One gadget per settings file on POSIX: which starts meet at one lock, how a later start reaches
// the running gadget whatever its environment, and what it refuses to follow.
#include "app/posix/instance_lock.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <optional>
#include <string>
#include <string_view>

#include "support/text.h"
#include "tests/unit/temp_folder.h"

namespace kestrival {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        Set(value);
    }
    ~ScopedVariable() { Set(old_); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    void Set(const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name_, value->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    const char* name_;
    std::optional<std::string> old_;
};

class ScopedRuntimeFolder : public ScopedVariable {
public:
    explicit ScopedRuntimeFolder(const std::optional<std::string>& value) : ScopedVariable("XDG_RUNTIME_DIR", value) {}
};

std::u16string U16(const fs::path& path) { return FromUtf8(path.string()); }

struct SecondStart {
    bool ran = false;          // the second start got a lock of its own
    bool holderAsked = false;  // the running gadget was asked to come forward
};

// Starts again on `path` while `holder` runs, answering requests as the gadget's event loop does.
SecondStart StartAgain(InstanceLock& holder, const fs::path& path, milliseconds patience = milliseconds(3000)) {
    auto second = std::async(std::launch::async, [&] { return InstanceLock::Claim(U16(path), patience); });
    SecondStart result;
    while (second.wait_for(milliseconds(0)) != std::future_status::ready) {
        pollfd request{holder.RequestSocket(), POLLIN, 0};
        if (holder.RequestSocket() >= 0 && ::poll(&request, 1, 20) == 1) result.holderAsked |= holder.TakeRequests();
        if (holder.RequestSocket() < 0) std::this_thread::sleep_for(milliseconds(20));
    }
    result.ran = second.get() != nullptr;
    return result;
}

bool IsPrivateFolderOfOurs(const fs::path& folder) {
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & 077) == 0;
}

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// A listener of this user's that no record should ever lead a start to.
class Listener {
public:
    explicit Listener(const fs::path& path) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(fd_, 4), 0);
    }
    ~Listener() { ::close(fd_); }
    bool Called() const {
        pollfd waiting{fd_, POLLIN, 0};
        return ::poll(&waiting, 1, 0) == 1;
    }

private:
    int fd_ = -1;
};

TEST(InstanceLockTest, EverySpellingOfOneFileFindsTheRunningGadgetAndOtherFilesRun) {
    const TempFolder temp;
    const fs::path folder = temp.Native(u"Kestrival");
    fs::create_directories(folder / "sub");
    fs::create_symlink(folder, temp.Native(u"linked"));
    const fs::path file = folder / "ZKQV_set.txt";
    Write(file, "settings");
    fs::create_symlink(file, temp.Native(u"file-link.txt"));
    fs::create_symlink(temp.Native(u"missing/ZKQV_set.txt"), temp.Native(u"dangling.txt"));

    const struct {
        fs::path spelling;
        bool sameFile;
    } cases[] = {
        {file, true},
        {temp.Native(u"linked") / "ZKQV_set.txt", true},  // through a linked folder
        {folder / "sub" / ".." / "ZKQV_set.txt", true},
        {temp.Native(u"file-link.txt"), true},  // a link to the settings file
        {folder / "zkqv_set.txt", false},       // this file system tells letter case apart
        {folder / "ZKQV_set.txt.bak", false},
        {temp.Native(u"dangling.txt"), false},  // a link to a file not made yet
    };
    const std::unique_ptr<InstanceLock> holder = InstanceLock::Claim(U16(file));
    ASSERT_TRUE(holder);
    EXPECT_EQ(holder->LockFile(), fs::canonical(folder).string() + "/ZKQV_set.txt.lock");
    for (const auto& c : cases) {
        const SecondStart second = StartAgain(*holder, c.spelling);
        EXPECT_EQ(second.ran, !c.sameFile) << c.spelling;
        EXPECT_EQ(second.holderAsked, c.sameFile) << c.spelling;
    }
    EXPECT_EQ(Bytes(file), "settings");
}

TEST(InstanceLockTest, ABackslashInAFolderNameIsPartOfTheName) {
    // "a\\b" and "a/b" are two folders: a gadget in each runs, and the lock of the one in "a\\b"
    // stands beside its own file.
    const TempFolder temp;
    const fs::path folder = temp.Native(u"a\\b");
    fs::create_directories(folder);
    fs::create_directories(temp.Native(u"a/b"));
    fs::create_symlink(folder, temp.Native(u"linked"));
    const fs::path file = folder / "ZKQV_set.txt";
    const std::unique_ptr<InstanceLock> holder = InstanceLock::Claim(U16(file));
    ASSERT_TRUE(holder);
    EXPECT_EQ(holder->LockFile(), fs::canonical(folder).string() + "/ZKQV_set.txt.lock");
    EXPECT_TRUE(fs::is_regular_file(folder / "ZKQV_set.txt.lock"));

    const SecondStart again = StartAgain(*holder, file);
    EXPECT_TRUE(again.holderAsked && !again.ran);
    const SecondStart throughLink = StartAgain(*holder, temp.Native(u"linked/ZKQV_set.txt"));
    EXPECT_TRUE(throughLink.holderAsked && !throughLink.ran);
    const SecondStart neighbour = StartAgain(*holder, temp.Native(u"a/b/ZKQV_set.txt"));
    EXPECT_TRUE(neighbour.ran && !neighbour.holderAsked);
}

TEST(InstanceLockTest, TheRunningGadgetIsReachedWhateverTheEnvironmentOfEachStart) {
    const TempFolder temp;
    const fs::path file = temp.Native(u"ZKQV_set.txt");
    const fs::path privateRuntime = temp.Native(u"runtime");
    const fs::path openRuntime = temp.Native(u"open");
    fs::create_directory(privateRuntime);
    fs::permissions(privateRuntime, fs::perms::owner_all);
    fs::create_directory(openRuntime);
    fs::permissions(openRuntime, fs::perms::all);
    const std::string tooLong = temp.Native(std::u16string(100, u'r')).string();
    fs::create_directory(tooLong);
    fs::permissions(tooLong, fs::perms::owner_all);

    const struct {
        std::optional<std::string> holderRuntime;
        bool socketInRuntime;
    } cases[] = {
        {privateRuntime.string(), true},
        {std::nullopt, false},  // ssh, su, cron
        {"", false},
        {openRuntime.string(), false},  // others may enter it: never used
        {temp.Native(u"gone").string(), false},
        {tooLong, false},  // no socket name fits there
    };
    const std::optional<std::string> otherRuntimes[] = {std::nullopt, privateRuntime.string(), openRuntime.string()};
    for (const auto& c : cases) {
        const std::string label = c.holderRuntime.value_or("(unset)");
        std::string madeFolder;
        {
            std::unique_ptr<InstanceLock> holder;
            {
                const ScopedRuntimeFolder runtime(c.holderRuntime);
                holder = InstanceLock::Claim(U16(file));
            }
            ASSERT_TRUE(holder && holder->RequestSocket() >= 0) << label;
            const fs::path socket = holder->SocketPath();
            EXPECT_EQ(socket.parent_path() == privateRuntime, c.socketInRuntime) << label;
            EXPECT_TRUE(IsPrivateFolderOfOurs(socket.parent_path())) << label;
            if (!c.socketInRuntime) madeFolder = socket.parent_path().string();
            for (const auto& other : otherRuntimes) {
                const ScopedRuntimeFolder runtime(other);
                const SecondStart second = StartAgain(*holder, file);
                EXPECT_FALSE(second.ran) << label << " / " << other.value_or("(unset)");
                EXPECT_TRUE(second.holderAsked) << label << " / " << other.value_or("(unset)");
            }
        }
        // At exit the socket and the folder made for it go; the lock file stays for every later start.
        EXPECT_TRUE(fs::is_empty(privateRuntime)) << label;
        if (!madeFolder.empty()) {
            EXPECT_FALSE(fs::exists(madeFolder)) << label;
        }
        EXPECT_TRUE(fs::is_regular_file(temp.Native(u"ZKQV_set.txt.lock"))) << label;
    }
}

TEST(InstanceLockTest, AStartThatWaitsWhileTheGadgetClosesTakesTheFileOver) {
    const TempFolder temp;
    const fs::path file = temp.Native(u"ZKQV_set.txt");
    std::unique_ptr<InstanceLock> holder = InstanceLock::Claim(U16(file));
    ASSERT_TRUE(holder);
    auto second = std::async(std::launch::async, [&] { return InstanceLock::Claim(U16(file), milliseconds(5000)); });
    // The request waits unanswered, as it does while the gadget saves at exit.
    pollfd request{holder->RequestSocket(), POLLIN, 0};
    ASSERT_EQ(::poll(&request, 1, 3000), 1);
    holder.reset();
    const std::unique_ptr<InstanceLock> successor = second.get();
    ASSERT_TRUE(successor);
    EXPECT_GE(successor->RequestSocket(), 0);
}

TEST(InstanceLockTest, ALinkToAFileNotMadeYetFindsOneLockBeforeAndAfterTheFileIsMade) {
    const TempFolder temp;
    fs::create_directory(temp.Native(u"real"));
    const fs::path target = temp.Native(u"real/ZKQV_set.txt");
    const fs::path link = temp.Native(u"ZKQV_set.txt");
    fs::create_symlink("real/ZKQV_set.txt", link);
    const std::unique_ptr<InstanceLock> holder = InstanceLock::Claim(U16(link));
    ASSERT_TRUE(holder);
    EXPECT_EQ(holder->LockFile(), fs::canonical(temp.Native(u"real")).string() + "/ZKQV_set.txt.lock");
    for (const bool made : {false, true}) {
        if (made) Write(target, "settings");  // the first save makes the file behind the link
        for (const fs::path& spelling : {link, target}) {
            const SecondStart second = StartAgain(*holder, spelling);
            EXPECT_FALSE(second.ran) << spelling << (made ? " (made)" : " (not made)");
            EXPECT_TRUE(second.holderAsked) << spelling << (made ? " (made)" : " (not made)");
        }
    }
}

// Where the lock beside the file cannot be used, a lock in a private folder of this user's still
// keeps every start of that file to one gadget.
TEST(InstanceLockTest, ALockNameThatIsNotAPlainFileOfThisUserIsNeitherFollowedNorWritten) {
    const struct {
        const char* what;
        void (*make)(const fs::path& lock, const fs::path& precious);
        bool besideTheFile;  // the lock is made safe to use where it stands
    } cases[] = {
        {"a link to a file of ours",
         [](const fs::path& lock, const fs::path& precious) { fs::create_symlink(precious, lock); }, false},
        {"a link to a name not made yet",
         [](const fs::path& lock, const fs::path& precious) { fs::create_symlink(precious.string() + ".new", lock); },
         false},
        {"a second name of a file of ours",
         [](const fs::path& lock, const fs::path& precious) { fs::create_hard_link(precious, lock); }, false},
        {"a pipe", [](const fs::path& lock, const fs::path&) { ASSERT_EQ(::mkfifo(lock.c_str(), 0600), 0); }, false},
        {"a folder", [](const fs::path& lock, const fs::path&) { fs::create_directory(lock); }, false},
        {"another user's file",
         [](const fs::path& lock, const fs::path&) {
             Write(lock, "");
             ::chmod(lock.c_str(), 0644);
             ASSERT_EQ(::chown(lock.c_str(), 65534, 65534), 0);
         },
         false},
        {"a file of ours others may write",
         [](const fs::path& lock, const fs::path&) {
             Write(lock, "");
             fs::permissions(lock, fs::perms::all);
         },
         true},
        {"a file of ours others may read (and so hold the lock of)",
         [](const fs::path& lock, const fs::path&) {
             Write(lock, "");
             ::chmod(lock.c_str(), 0644);
         },
         true},
    };
    for (const auto& c : cases) {
        if (std::string_view(c.what) == "another user's file" && ::geteuid() != 0) continue;  // needs root
        const TempFolder temp;
        const TempFolder home;
        const ScopedVariable homeVariable("HOME", home.Native(u"").string());
        fs::create_directory(temp.Native(u"sub"));
        const fs::path file = temp.Native(u"ZKQV_set.txt");
        const fs::path precious = temp.Native(u"precious.txt");
        Write(precious, "keep me");
        c.make(fs::path(file.string() + ".lock"), precious);
        const auto started = std::chrono::steady_clock::now();
        const std::unique_ptr<InstanceLock> lock = InstanceLock::Claim(U16(file));
        EXPECT_LT(std::chrono::steady_clock::now() - started, milliseconds(1000)) << c.what;
        ASSERT_TRUE(lock) << c.what;
        EXPECT_GE(lock->RequestSocket(), 0) << c.what;
        const fs::path lockFile = lock->LockFile();
        if (c.besideTheFile) {
            EXPECT_EQ(lockFile, fs::canonical(temp.Native(u"")) / "ZKQV_set.txt.lock") << c.what;
        } else {
            EXPECT_EQ(lockFile.parent_path(), home.Native(u".cache/kestrival")) << c.what;
            EXPECT_TRUE(IsPrivateFolderOfOurs(lockFile.parent_path())) << c.what;
        }
        struct stat info {};
        EXPECT_EQ(::lstat(lockFile.c_str(), &info), 0) << c.what;
        EXPECT_EQ(info.st_mode & 07777, 0600u) << c.what;
        for (const fs::path& spelling : {file, temp.Native(u"sub") / ".." / "ZKQV_set.txt"}) {
            const SecondStart second = StartAgain(*lock, spelling);
            EXPECT_FALSE(second.ran) << c.what << " / " << spelling;
            EXPECT_TRUE(second.holderAsked) << c.what << " / " << spelling;
        }
        EXPECT_EQ(Bytes(precious), "keep me") << c.what;
        EXPECT_FALSE(fs::exists(precious.string() + ".new")) << c.what;
    }
}

TEST(InstanceLockTest, WithoutAPrivateFolderForTheLockTheGadgetStillRuns) {
    const TempFolder temp;
    const fs::path file = temp.Native(u"ZKQV_set.txt");
    fs::create_directory(file.string() + ".lock");
    fs::create_directories(temp.Native(u"open/.cache/kestrival"));
    fs::permissions(temp.Native(u"open/.cache/kestrival"), fs::perms::all);
    Write(temp.Native(u"plain"), "");
    const fs::path homes[] = {temp.Native(u"open"), temp.Native(u"plain"), temp.Native(u"missing")};
    for (const fs::path& home : homes) {
        const ScopedVariable homeVariable("HOME", home.string());
        const std::unique_ptr<InstanceLock> lock = InstanceLock::Claim(U16(file));
        ASSERT_TRUE(lock) << home;
        EXPECT_EQ(lock->RequestSocket(), -1) << home;  // unguarded, as where no lock can be made
    }
    EXPECT_EQ(Bytes(temp.Native(u"plain")), "");
}

TEST(InstanceLockTest, ARecordThatDoesNotLeadToAPrivateSocketIsNeverFollowed) {
    const TempFolder temp;
    const fs::path file = temp.Native(u"ZKQV_set.txt");
    const fs::path open = temp.Native(u"open");
    fs::create_directory(open);
    fs::permissions(open, fs::perms::all);
    const Listener inOpenFolder(open / "s");
    const Listener thoughALink(temp.Native(u"real.sock"));
    fs::create_directory(temp.Native(u"private"));
    fs::permissions(temp.Native(u"private"), fs::perms::owner_all);
    fs::create_symlink(temp.Native(u"real.sock"), temp.Native(u"private/link.sock"));

    const std::string records[] = {
        (open / "s").string() + "\n",                       // a folder anyone may enter
        temp.Native(u"private/link.sock").string() + "\n",  // a link to a socket elsewhere
        "s\n",                                              // not a full path
        (open / "s").string(),                              // cut short
        file.string() + "\n",                               // not a socket
        std::string(4096, '/') + "\n",
        "",
    };
    const std::unique_ptr<InstanceLock> holder = InstanceLock::Claim(U16(file));
    ASSERT_TRUE(holder);
    for (const auto& record : records) {
        Write(holder->LockFile(), record);
        const SecondStart second = StartAgain(*holder, file, milliseconds(300));
        EXPECT_FALSE(second.ran) << record;  // the file stays the running gadget's
        EXPECT_FALSE(second.holderAsked) << record;
        EXPECT_FALSE(inOpenFolder.Called()) << record;
        EXPECT_FALSE(thoughALink.Called()) << record;
    }
}

}  // namespace
}  // namespace kestrival
