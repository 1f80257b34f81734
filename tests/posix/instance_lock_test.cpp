// One gadget per settings file on POSIX: which starts meet at one lock, where the lock stands (a
// folder of this user's alone, never the settings folder), how a later start reaches the running
// gadget whatever its environment, and what it refuses to follow.
#include "app/posix/instance_lock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

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

std::u16string U16(const fs::path& path) { return FromUtf8(path.string()); }

// Private folders inside a test's own folder: the runtime folder made as logind makes it.
PrivateFolders FoldersIn(const TempFolder& temp) {
    const fs::path runtime = temp.Native(u"run-user");
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    fs::create_directories(temp.Native(u"home"));
    return {runtime.string(), temp.Native(u"tmp-kestrival").string(), temp.Native(u"home").string()};
}

struct SecondStart {
    bool ran = false;          // the second start got a lock of its own
    bool holderAsked = false;  // the running gadget was asked to come forward
};

// Starts again on `path` while `holder` runs, answering requests as the gadget's event loop does.
SecondStart StartAgain(InstanceLock& holder, const fs::path& path, const PrivateFolders& folders,
                       milliseconds patience = milliseconds(3000)) {
    auto second = std::async(std::launch::async, [&] { return InstanceLock::Claim(U16(path), patience, folders); });
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

// The names in a folder, sorted.
std::vector<std::string> NamesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

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
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;
    bool Called() const {
        pollfd waiting{fd_, POLLIN, 0};
        return ::poll(&waiting, 1, 0) == 1;
    }
    // Answers the requests that come within `time`, as a running gadget does; how many came.
    int Answer(milliseconds time) {
        int answered = 0;
        const auto end = std::chrono::steady_clock::now() + time;
        while (std::chrono::steady_clock::now() < end) {
            pollfd waiting{fd_, POLLIN, 0};
            if (::poll(&waiting, 1, 20) != 1) continue;
            const int request = ::accept(fd_, nullptr, nullptr);
            if (request < 0) continue;
            const char answer = '\n';
            if (::send(request, &answer, 1, MSG_NOSIGNAL) == 1) ++answered;
            ::close(request);
        }
        return answered;
    }

private:
    int fd_ = -1;
};

TEST(InstanceLockTest, EverySpellingOfOneFileFindsTheRunningGadgetAndOtherFilesRun) {
    const TempFolder temp;
    const PrivateFolders folders = FoldersIn(temp);
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
        {folder / "." / "sub" / ".." / ".." / "Kestrival" / "ZKQV_set.txt", true},
        {temp.Native(u"file-link.txt"), true},  // a link to the settings file
        {folder / "zkqv_set.txt", false},       // this file system tells letter case apart
        {folder / "ZKQV_set.txt.bak", false},
        {temp.Native(u"dangling.txt"), false},  // a link to a file not made yet
    };
    const std::unique_ptr<InstanceLock> holder = InstanceLock::Claim(U16(file), milliseconds(5000), folders);
    ASSERT_TRUE(holder);
    EXPECT_EQ(fs::path(holder->LockFile()).parent_path(), fs::path(folders.runtime) / "kestrival");
    EXPECT_EQ(fs::path(holder->SocketPath()).parent_path(), fs::path(folders.runtime) / "kestrival");
    for (const auto& c : cases) {
        const SecondStart second = StartAgain(*holder, c.spelling, folders);
        EXPECT_EQ(second.ran, !c.sameFile) << c.spelling;
        EXPECT_EQ(second.holderAsked, c.sameFile) << c.spelling;
    }
    // The settings folder holds nothing of the lock's: a synced folder gets no lock file.
    EXPECT_EQ(NamesIn(folder), (std::vector<std::string>{"ZKQV_set.txt", "sub"}));
    EXPECT_EQ(Bytes(file), "settings");
}

// Nothing in the settings folder can take the lock away: a sync client that replaces or deletes
// every file there, or puts a lock of its own beside the file, leaves one gadget on the file.
TEST(InstanceLockTest, WhatHappensInTheSettingsFolderNeverTakesTheLockAway) {
    const TempFolder temp;
    const PrivateFolders folders = FoldersIn(temp);
    const fs::path folder = temp.Native(u"synced");
    fs::create_directories(folder);
    const fs::path file = folder / "ZKQV_set.txt";
    Write(file, "settings");
    const std::unique_ptr<InstanceLock> holder = InstanceLock::Claim(U16(file), milliseconds(5000), folders);
    ASSERT_TRUE(holder && holder->RequestSocket() >= 0);
    const std::function<void()> changes[] = {
        [&] {  // a copy renamed over every name
            for (const std::string& name : NamesIn(folder)) {
                fs::copy_file(folder / name, temp.Native(u"copy"), fs::copy_options::overwrite_existing);
                fs::rename(temp.Native(u"copy"), folder / name);
            }
        },
        [&] {
            for (const std::string& name : NamesIn(folder)) fs::remove(folder / name);
        },
        [&] { Write(fs::path(file.string() + ".lock"), ""); },
    };
    for (const auto& change : changes) {
        change();
        const SecondStart second = StartAgain(*holder, file, folders);
        EXPECT_FALSE(second.ran);
        EXPECT_TRUE(second.holderAsked);
    }
}

TEST(InstanceLockTest, ABackslashInAFolderNameIsPartOfTheName) {
    // "a\\b" and "a/b" are two folders: a gadget in each runs.
    const TempFolder temp;
    const PrivateFolders folders = FoldersIn(temp);
    const fs::path folder = temp.Native(u"a\\b");
    fs::create_directories(folder);
    fs::create_directories(temp.Native(u"a/b"));
    fs::create_symlink(folder, temp.Native(u"linked"));
    const fs::path file = folder / "ZKQV_set.txt";
    const std::unique_ptr<InstanceLock> holder = InstanceLock::Claim(U16(file), milliseconds(5000), folders);
    ASSERT_TRUE(holder && holder->RequestSocket() >= 0);

    const SecondStart again = StartAgain(*holder, file, folders);
    EXPECT_TRUE(again.holderAsked && !again.ran);
    const SecondStart throughLink = StartAgain(*holder, temp.Native(u"linked/ZKQV_set.txt"), folders);
    EXPECT_TRUE(throughLink.holderAsked && !throughLink.ran);
    const SecondStart neighbour = StartAgain(*holder, temp.Native(u"a/b/ZKQV_set.txt"), folders);
    EXPECT_TRUE(neighbour.ran && !neighbour.holderAsked);
}

// The lock's folder comes from the user's identity, so starts from a session, su, ssh or cron,
// with any runtime folder, home or temporary folder in their environment, meet at one lock.
TEST(InstanceLockTest, TheRunningGadgetIsReachedWhateverTheEnvironmentOfEachStart) {
    const TempFolder temp;
    const fs::path file = temp.Native(u"ZKQV_set.txt");
    const fs::path privateRuntime = temp.Native(u"runtime");
    fs::create_directory(privateRuntime);
    fs::permissions(privateRuntime, fs::perms::owner_all);
    fs::create_directory(temp.Native(u"open"));
    fs::permissions(temp.Native(u"open"), fs::perms::all);
    const std::optional<std::string> runtimes[] = {privateRuntime.string(), std::nullopt, "",
                                                   temp.Native(u"open").string()};
    const std::optional<std::string> homes[] = {std::nullopt, temp.Native(u"open").string()};
    for (const auto& holderRuntime : runtimes) {
        const std::string label = holderRuntime.value_or("(unset)");
        std::unique_ptr<InstanceLock> holder;
        {
            const ScopedVariable runtime("XDG_RUNTIME_DIR", holderRuntime);
            holder = InstanceLock::Claim(U16(file));
        }
        ASSERT_TRUE(holder && holder->RequestSocket() >= 0) << label;
        const fs::path lockFolder = fs::path(holder->LockFile()).parent_path();
        EXPECT_TRUE(IsPrivateFolderOfOurs(lockFolder)) << label;
        EXPECT_EQ(fs::path(holder->SocketPath()).parent_path(), lockFolder) << label;
        for (const auto& other : runtimes) {
            for (const auto& home : homes) {
                const ScopedVariable runtime("XDG_RUNTIME_DIR", other);
                const ScopedVariable homeVariable("HOME", home);
                const ScopedVariable tmp("TMPDIR", temp.Native(u"open").string());
                const SecondStart second = StartAgain(*holder, file, PrivateFolders::OfThisUser());
                EXPECT_FALSE(second.ran) << label << " / " << other.value_or("(unset)");
                EXPECT_TRUE(second.holderAsked) << label << " / " << other.value_or("(unset)");
            }
        }
        // At exit the lock and its socket go: nothing piles up in the private folder.
        const std::string lockFile = holder->LockFile();
        const std::string socket = holder->SocketPath();
        holder.reset();
        EXPECT_FALSE(fs::exists(lockFile)) << label;
        EXPECT_FALSE(fs::exists(fs::symlink_status(socket))) << label;
        EXPECT_TRUE(fs::is_empty(privateRuntime)) << label;
    }
    EXPECT_EQ(NamesIn(temp.Native(u"")), (std::vector<std::string>{"open", "runtime"}));
}

TEST(InstanceLockTest, AStartThatWaitsWhileTheGadgetClosesTakesTheFileOver) {
    const TempFolder temp;
    const PrivateFolders folders = FoldersIn(temp);
    const fs::path file = temp.Native(u"ZKQV_set.txt");
    for (int round = 0; round < 3; ++round) {
        std::unique_ptr<InstanceLock> holder = InstanceLock::Claim(U16(file), milliseconds(5000), folders);
        ASSERT_TRUE(holder);
        auto second =
            std::async(std::launch::async, [&] { return InstanceLock::Claim(U16(file), milliseconds(5000), folders); });
        // The request waits unanswered, as it does while the gadget saves at exit.
        pollfd request{holder->RequestSocket(), POLLIN, 0};
        ASSERT_EQ(::poll(&request, 1, 3000), 1);
        holder.reset();  // its lock file goes with it
        const std::unique_ptr<InstanceLock> successor = second.get();
        ASSERT_TRUE(successor);
        EXPECT_GE(successor->RequestSocket(), 0);
        EXPECT_TRUE(fs::is_regular_file(successor->LockFile()));
        // The successor's lock is the one every later start meets.
        const SecondStart third = StartAgain(*successor, file, folders);
        EXPECT_TRUE(third.holderAsked && !third.ran);
    }
}

TEST(InstanceLockTest, ALinkToAFileNotMadeYetFindsOneLockBeforeAndAfterTheFileIsMade) {
    const TempFolder temp;
    const PrivateFolders folders = FoldersIn(temp);
    fs::create_directory(temp.Native(u"real"));
    const fs::path target = temp.Native(u"real/ZKQV_set.txt");
    const fs::path link = temp.Native(u"ZKQV_set.txt");
    fs::create_symlink("real/ZKQV_set.txt", link);
    const std::unique_ptr<InstanceLock> holder = InstanceLock::Claim(U16(link), milliseconds(5000), folders);
    ASSERT_TRUE(holder);
    for (const bool made : {false, true}) {
        if (made) Write(target, "settings");  // the first save makes the file behind the link
        for (const fs::path& spelling : {link, target}) {
            const SecondStart second = StartAgain(*holder, spelling, folders);
            EXPECT_FALSE(second.ran) << spelling << (made ? " (made)" : " (not made)");
            EXPECT_TRUE(second.holderAsked) << spelling << (made ? " (made)" : " (not made)");
        }
    }
}

// The lock stands in the runtime folder when it is this user's alone, else in a folder of ours in
// the shared temporary folder, else under the home's cache; a name another user made first, a
// link or a folder others may enter is passed over, and with none left the gadget runs unguarded.
TEST(InstanceLockTest, TheLockStandsOnlyInAFolderOfThisUsersAlone) {
    enum class Place { kRuntime, kShared, kHome, kNone };
    const auto otherUsers = [](const fs::path& path) {
        fs::create_directories(path);
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    };
    const auto privateFolderOfOurs = [](const fs::path& path) {
        fs::create_directories(path);
        fs::permissions(path, fs::perms::owner_all);
    };
    const struct {
        const char* what;
        std::function<void(const PrivateFolders&, const fs::path& elsewhere)> make;
        Place expected;
        bool needsRoot;
    } cases[] = {
        {"a private runtime folder", [](const PrivateFolders&, const fs::path&) {}, Place::kRuntime, false},
        {"no runtime folder", [](const PrivateFolders& f, const fs::path&) { fs::remove(f.runtime); }, Place::kShared,
         false},
        {"a runtime folder others may enter",
         [](const PrivateFolders& f, const fs::path&) { fs::permissions(f.runtime, fs::perms::all); }, Place::kShared,
         false},
        {"a runtime folder that is a link",
         [&](const PrivateFolders& f, const fs::path& elsewhere) {
             fs::remove(f.runtime);
             privateFolderOfOurs(elsewhere);
             fs::create_symlink(elsewhere, f.runtime);
         },
         Place::kShared, false},
        {"a link at the runtime folder's kestrival",
         [&](const PrivateFolders& f, const fs::path& elsewhere) {
             privateFolderOfOurs(elsewhere);
             fs::create_symlink(elsewhere, fs::path(f.runtime) / "kestrival");
         },
         Place::kShared, false},
        {"a runtime folder of another user's", [&](const PrivateFolders& f, const fs::path&) { otherUsers(f.runtime); },
         Place::kShared, true},
        {"the shared name made first by another user",
         [&](const PrivateFolders& f, const fs::path&) {
             fs::remove(f.runtime);
             otherUsers(f.shared);
         },
         Place::kHome, true},
        {"the shared name a link to a folder of ours",
         [&](const PrivateFolders& f, const fs::path& elsewhere) {
             fs::remove(f.runtime);
             privateFolderOfOurs(elsewhere);
             fs::create_symlink(elsewhere, f.shared);
         },
         Place::kHome, false},
        {"the shared name a file",
         [](const PrivateFolders& f, const fs::path&) {
             fs::remove(f.runtime);
             Write(f.shared, "");
         },
         Place::kHome, false},
        {"the shared name a folder of ours others may enter",
         [](const PrivateFolders& f, const fs::path&) {
             fs::remove(f.runtime);
             fs::create_directories(f.shared);
             fs::permissions(f.shared, fs::perms::all);
         },
         Place::kHome, false},
        {"nowhere private",
         [](const PrivateFolders& f, const fs::path&) {
             fs::remove(f.runtime);
             Write(f.shared, "");
             fs::create_directories(fs::path(f.home) / ".cache/kestrival");
             fs::permissions(fs::path(f.home) / ".cache/kestrival", fs::perms::all);
         },
         Place::kNone, false},
    };
    for (const auto& c : cases) {
        if (c.needsRoot && ::geteuid() != 0) continue;  // making another user's folder needs root
        const TempFolder temp;
        const PrivateFolders folders = FoldersIn(temp);
        c.make(folders, temp.Native(u"elsewhere"));
        const fs::path file = temp.Native(u"ZKQV_set.txt");
        const std::unique_ptr<InstanceLock> lock = InstanceLock::Claim(U16(file), milliseconds(5000), folders);
        ASSERT_TRUE(lock) << c.what;
        if (c.expected == Place::kNone) {
            EXPECT_EQ(lock->RequestSocket(), -1) << c.what;  // unguarded, as where no lock can be made
            EXPECT_EQ(lock->LockFile(), "") << c.what;
            continue;
        }
        const fs::path expectedFolder = c.expected == Place::kRuntime  ? fs::path(folders.runtime) / "kestrival"
                                        : c.expected == Place::kShared ? fs::path(folders.shared)
                                                                       : fs::path(folders.home) / ".cache/kestrival";
        const fs::path lockFile = lock->LockFile();
        EXPECT_EQ(lockFile.parent_path(), expectedFolder) << c.what;
        EXPECT_TRUE(IsPrivateFolderOfOurs(expectedFolder)) << c.what;
        struct stat info {};
        EXPECT_EQ(::lstat(lockFile.c_str(), &info), 0) << c.what;
        EXPECT_EQ(info.st_mode & 07777, 0600u) << c.what;
        EXPECT_TRUE(!fs::exists(temp.Native(u"elsewhere")) || fs::is_empty(temp.Native(u"elsewhere"))) << c.what;
        const SecondStart second = StartAgain(*lock, file, folders);
        EXPECT_TRUE(second.holderAsked && !second.ran) << c.what;
    }
}

// A start takes the lock in every private folder it reaches, so two starts meet whichever of
// them came or went in between: the runtime folder logind makes at the first login after a start
// outside any session (cron, ssh), or removes at the last logout while the gadget runs on; the
// shared name another user took first, or took once a cleaner removed ours.
TEST(InstanceLockTest, TwoStartsMeetWhicheverPrivateFolderCameOrWentBetweenThem) {
    const auto otherUsers = [](const std::string& path) {
        fs::create_directories(path);
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    };
    const auto loginMakesRuntime = [](const PrivateFolders& f) {
        fs::create_directory(f.runtime);
        fs::permissions(f.runtime, fs::perms::owner_all);
    };
    const struct {
        const char* what;
        std::function<void(const PrivateFolders&)> before, between;
        bool needsRoot;
    } cases[] = {
        {"the runtime folder made after the first start", [](const PrivateFolders& f) { fs::remove(f.runtime); },
         loginMakesRuntime, false},
        {"the runtime folder made after the first start, the shared name taken by a file",
         [](const PrivateFolders& f) {
             fs::remove(f.runtime);
             Write(f.shared, "");
         },
         loginMakesRuntime, false},
        {"the runtime folder made after the first start, the shared name another user's",
         [&](const PrivateFolders& f) {
             fs::remove(f.runtime);
             otherUsers(f.shared);
         },
         loginMakesRuntime, true},
        {"the runtime folder removed while the first runs", [](const PrivateFolders&) {},
         [](const PrivateFolders& f) { fs::remove_all(f.runtime); }, false},
        {"the shared folder removed and taken by another user, then the runtime folder made",
         [](const PrivateFolders& f) { fs::remove(f.runtime); },
         [&](const PrivateFolders& f) {
             fs::remove_all(f.shared);
             otherUsers(f.shared);
             loginMakesRuntime(f);
         },
         true},
    };
    for (const auto& c : cases) {
        if (c.needsRoot && ::geteuid() != 0) {
            std::printf("[  SKIPPED ] %s: making another user's folder needs root\n", c.what);
            continue;
        }
        const TempFolder temp;
        const PrivateFolders folders = FoldersIn(temp);
        const std::vector<fs::path> places = {folders.runtime, folders.shared, folders.home};
        const auto everyFile = [&] {  // the locks and sockets in the private folders
            std::vector<std::string> names;
            for (const fs::path& place : places) {
                std::error_code error;
                for (fs::recursive_directory_iterator entry(place, error), end; !error && entry != end;
                     entry.increment(error)) {
                    if (!entry->is_directory()) names.push_back(entry->path().string());
                }
            }
            std::sort(names.begin(), names.end());
            return names;
        };
        const fs::path file = temp.Native(u"ZKQV_set.txt");
        c.before(folders);
        std::unique_ptr<InstanceLock> holder = InstanceLock::Claim(U16(file), milliseconds(5000), folders);
        ASSERT_TRUE(holder && holder->RequestSocket() >= 0) << c.what;
        c.between(folders);
        const std::vector<std::string> filesBefore = everyFile();
        const SecondStart second = StartAgain(*holder, file, folders);
        EXPECT_FALSE(second.ran) << c.what;
        EXPECT_TRUE(second.holderAsked) << c.what;
        // The locks the second start took before it met the first went with it.
        EXPECT_EQ(everyFile(), filesBefore) << c.what;
        holder.reset();
        // Once the gadget ended its locks and sockets are gone from every folder, and the file is free.
        EXPECT_EQ(everyFile(), std::vector<std::string>{}) << c.what;
        std::unique_ptr<InstanceLock> next = InstanceLock::Claim(U16(file), milliseconds(5000), folders);
        EXPECT_TRUE(next && next->RequestSocket() >= 0) << c.what;
    }
}

// Where the private folder's path is too long for a socket's name, the socket has a folder of
// its own under /tmp, gone at exit.
TEST(InstanceLockTest, ASocketNameTooLongForThePrivateFolderGoesToAFolderOfItsOwn) {
    const TempFolder temp;
    PrivateFolders folders = FoldersIn(temp);
    folders.runtime = temp.Native(std::u16string(100, u'r')).string();
    fs::create_directory(folders.runtime);
    fs::permissions(folders.runtime, fs::perms::owner_all);
    const fs::path file = temp.Native(u"ZKQV_set.txt");
    std::string madeFolder;
    {
        const std::unique_ptr<InstanceLock> holder = InstanceLock::Claim(U16(file), milliseconds(5000), folders);
        ASSERT_TRUE(holder && holder->RequestSocket() >= 0);
        EXPECT_EQ(fs::path(holder->LockFile()).parent_path(), fs::path(folders.runtime) / "kestrival");
        madeFolder = fs::path(holder->SocketPath()).parent_path().string();
        EXPECT_EQ(madeFolder.rfind("/tmp/kestrival-", 0), 0u) << madeFolder;
        EXPECT_TRUE(IsPrivateFolderOfOurs(madeFolder));
        const SecondStart second = StartAgain(*holder, file, folders);
        EXPECT_TRUE(second.holderAsked && !second.ran);
    }
    EXPECT_FALSE(fs::exists(madeFolder));
    EXPECT_TRUE(fs::is_empty(fs::path(folders.runtime) / "kestrival"));
}

// Earlier versions locked "<file>.lock" beside the settings file and wrote their socket's path
// into it. Such a file nobody holds is removed; a gadget of theirs that still runs is brought
// forward; anything else at that name is neither followed, written nor removed.
TEST(InstanceLockTest, AnEarlierVersionsLockBesideTheFileIsRemovedWhenNobodyHoldsIt) {
    enum class Expect { kRemoved, kLeft, kEarlierGadgetAsked };
    const struct {
        const char* what;
        std::function<void(const fs::path& lock, const fs::path& precious, const std::string& record)> make;
        bool heldByAGadget;  // a process of ours holds its flock and answers at the record's socket
        Expect expected;
    } cases[] = {
        {"its record, nobody holds it",
         [](const fs::path& lock, const fs::path&, const std::string& record) { Write(lock, record); }, false,
         Expect::kRemoved},
        {"its record, its gadget still runs",
         [](const fs::path& lock, const fs::path&, const std::string& record) { Write(lock, record); }, true,
         Expect::kEarlierGadgetAsked},
        {"empty, as a Windows gadget's lock is",
         [](const fs::path& lock, const fs::path&, const std::string&) { Write(lock, ""); }, false, Expect::kLeft},
        {"a record with more after it",
         [](const fs::path& lock, const fs::path&, const std::string& record) { Write(lock, record + "x"); }, false,
         Expect::kLeft},
        {"a line that names no socket (a file of the user's own)",
         [](const fs::path& lock, const fs::path&, const std::string&) { Write(lock, "/home/me/notes.txt\n"); }, false,
         Expect::kLeft},
        {"a link to a file of ours",
         [](const fs::path& lock, const fs::path& precious, const std::string&) { fs::create_symlink(precious, lock); },
         false, Expect::kLeft},
        {"a second name of a file of ours",
         [](const fs::path& lock, const fs::path& precious, const std::string&) {
             fs::create_hard_link(precious, lock);
         },
         false, Expect::kLeft},
        {"a pipe",
         [](const fs::path& lock, const fs::path&, const std::string&) { ASSERT_EQ(::mkfifo(lock.c_str(), 0600), 0); },
         false, Expect::kLeft},
        {"a folder", [](const fs::path& lock, const fs::path&, const std::string&) { fs::create_directory(lock); },
         false, Expect::kLeft},
        {"another user's file with a record",
         [](const fs::path& lock, const fs::path&, const std::string& record) {
             Write(lock, record);
             ASSERT_EQ(::chown(lock.c_str(), 65534, 65534), 0);
         },
         false, Expect::kLeft},
    };
    for (const auto& c : cases) {
        if (std::string_view(c.what) == "another user's file with a record" && ::geteuid() != 0) continue;
        const TempFolder temp;
        const PrivateFolders folders = FoldersIn(temp);
        fs::create_directory(temp.Native(u"earlier"));
        fs::permissions(temp.Native(u"earlier"), fs::perms::owner_all);
        const fs::path socket = temp.Native(u"earlier/gadget.sock");
        Listener earlierGadget(socket);
        const fs::path file = temp.Native(u"ZKQV_set.txt");
        const fs::path lock = file.string() + ".lock";
        const fs::path precious = temp.Native(u"precious.txt");
        Write(precious, "keep me");
        c.make(lock, precious, socket.string() + "\n");
        const int held = c.heldByAGadget ? ::open(lock.c_str(), O_RDONLY) : -1;
        if (c.heldByAGadget) {
            ASSERT_EQ(::flock(held, LOCK_EX), 0) << c.what;
        }
        auto answering = std::async(std::launch::async,
                                    [&] { return c.heldByAGadget ? earlierGadget.Answer(milliseconds(1500)) : 0; });
        const auto started = std::chrono::steady_clock::now();
        const std::unique_ptr<InstanceLock> claimed = InstanceLock::Claim(U16(file), milliseconds(3000), folders);
        EXPECT_LT(std::chrono::steady_clock::now() - started, milliseconds(1500)) << c.what;
        const int asked = answering.get();
        if (held >= 0) ::close(held);
        EXPECT_EQ(claimed == nullptr, c.expected == Expect::kEarlierGadgetAsked) << c.what;
        EXPECT_EQ(asked, c.expected == Expect::kEarlierGadgetAsked ? 1 : 0) << c.what;
        EXPECT_EQ(fs::exists(fs::symlink_status(lock)), c.expected != Expect::kRemoved) << c.what;
        if (claimed) {
            EXPECT_GE(claimed->RequestSocket(), 0) << c.what;
        } else {
            EXPECT_TRUE(fs::is_empty(fs::path(folders.runtime) / "kestrival")) << c.what;  // its own lock went
        }
        EXPECT_EQ(Bytes(precious), "keep me") << c.what;
        EXPECT_FALSE(earlierGadget.Called()) << c.what;
    }
}

// Only this user or root decides where a link of the settings path leads: another user's link
// is the lock's own name, never followed, so that user cannot steer the lock to another file's.
TEST(InstanceLockTest, AnotherUsersLinkInTheSettingsPathIsNeverFollowed) {
    if (::geteuid() != 0) GTEST_SKIP() << "making another user's link needs root";
    const TempFolder temp;
    const PrivateFolders folders = FoldersIn(temp);
    fs::create_directories(temp.Native(u"mine"));
    fs::create_directories(temp.Native(u"shared"));
    const fs::path own = temp.Native(u"mine/ZKQV_set.txt");
    Write(own, "settings");
    const fs::path theirFile = temp.Native(u"shared/ZKQV_set.txt");
    const fs::path theirFolder = temp.Native(u"shared/folder");
    fs::create_symlink(own, theirFile);
    fs::create_symlink(temp.Native(u"mine"), theirFolder);
    for (const fs::path& link : {theirFile, theirFolder}) ASSERT_EQ(::lchown(link.c_str(), 65534, 65534), 0);
    const fs::path rootsLink = temp.Native(u"roots.txt");
    fs::create_symlink(own, rootsLink);  // made by root: followed

    const std::unique_ptr<InstanceLock> holder = InstanceLock::Claim(U16(own), milliseconds(5000), folders);
    ASSERT_TRUE(holder);
    const struct {
        fs::path spelling;
        bool meets;
    } cases[] = {
        {rootsLink, true},
        {theirFile, false},
        {theirFolder / "ZKQV_set.txt", false},
    };
    for (const auto& c : cases) {
        const SecondStart second = StartAgain(*holder, c.spelling, folders);
        EXPECT_EQ(second.holderAsked, c.meets) << c.spelling;
        EXPECT_EQ(second.ran, !c.meets) << c.spelling;
    }
    // Each of their links names one lock of its own, the same on every start.
    const std::unique_ptr<InstanceLock> throughTheirs =
        InstanceLock::Claim(U16(theirFile), milliseconds(5000), folders);
    ASSERT_TRUE(throughTheirs && throughTheirs->RequestSocket() >= 0);
    const SecondStart again = StartAgain(*throughTheirs, theirFile, folders);
    EXPECT_TRUE(again.holderAsked && !again.ran);
}

TEST(InstanceLockTest, ARecordThatDoesNotLeadToAPrivateSocketIsNeverFollowed) {
    const TempFolder temp;
    const PrivateFolders folders = FoldersIn(temp);
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
    const std::unique_ptr<InstanceLock> holder = InstanceLock::Claim(U16(file), milliseconds(5000), folders);
    ASSERT_TRUE(holder);
    for (const auto& record : records) {
        Write(holder->LockFile(), record);
        const SecondStart second = StartAgain(*holder, file, folders, milliseconds(300));
        EXPECT_FALSE(second.ran) << record;  // the file stays the running gadget's
        EXPECT_FALSE(second.holderAsked) << record;
        EXPECT_FALSE(inOpenFolder.Called()) << record;
        EXPECT_FALSE(thoughALink.Called()) << record;
    }
}

}  // namespace
}  // namespace kestrival
