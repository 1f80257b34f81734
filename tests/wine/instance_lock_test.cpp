// The lock file that keeps a second gadget of another session off one settings file: a program
// that holds it only for a moment (a virus scanner, an indexer) is waited out, a gadget is not;
// the file is this user's alone, and a held one that others may open keeps no gadget from starting.
#include "app/win32/instance_lock.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "app/win32/lock_file_security.h"
#include "support/win32/handles.h"
#include "support/win32/wide_text.h"
#include "tests/common/win32/wine_helpers.h"

namespace kestrival {
namespace {

// A fresh folder of the test's own, removed when the test ends.
class LockFolder {
public:
    explicit LockFolder(const wchar_t* name) : folder_(e2e::OwnFolder() + name + L"\\") {
        e2e::DeleteTree(folder_);
        ::CreateDirectoryW(folder_.c_str(), nullptr);
    }
    ~LockFolder() { e2e::DeleteTree(folder_); }
    LockFolder(const LockFolder&) = delete;
    LockFolder& operator=(const LockFolder&) = delete;
    std::wstring SettingFile() const { return folder_ + L"ZKQV_set.txt"; }
    std::wstring LockFile() const { return SettingFile() + L".lock"; }

private:
    std::wstring folder_;
};

std::unique_ptr<InstanceLock> Acquire(const std::wstring& file) {
    return InstanceLock::Acquire(InstanceKeyOf(FromWide(file)), FromWide(file));
}

// Makes `path` as an earlier version made its lock file and holds it open without sharing.
UniqueHandle HoldAsAnEarlierVersionMadeIt(const std::wstring& path) {
    UniqueHandle file(
        ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr));
    EXPECT_TRUE(file);
    return file;
}

bool OnlyThisUserMayOpen(const std::wstring& path) {
    const UniqueHandle file(::CreateFileW(path.c_str(), READ_CONTROL,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return file && LockFileSecurity().OnlyThisUserMayOpen(file.get());
}

TEST(InstanceLockFileTest, AShortHoldIsWaitedOutALongOneMeansAnotherGadget) {
    const struct {
        DWORD holdMs;
        bool acquired;
        DWORD atLeastMs;
        DWORD atMostMs;
    } holds[] = {
        {500, true, 400, 1900},
        {4000, false, 1900, 3500},
    };
    for (const auto& hold : holds) {
        SCOPED_TRACE(hold.holdMs);
        const LockFolder folder(L"lock-held");
        // The lock file as a gadget makes it: for this user alone.
        Acquire(folder.SettingFile()).reset();
        ASSERT_TRUE(OnlyThisUserMayOpen(folder.LockFile()));
        HANDLE held = ::CreateFileW(folder.LockFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        std::thread release([held, &hold] {
            ::Sleep(hold.holdMs);
            ::CloseHandle(held);
        });
        const DWORD started = ::GetTickCount();
        const std::unique_ptr<InstanceLock> lock = Acquire(folder.SettingFile());
        const DWORD took = ::GetTickCount() - started;
        release.join();
        EXPECT_EQ(lock != nullptr, hold.acquired);
        EXPECT_GE(took, hold.atLeastMs);
        EXPECT_LE(took, hold.atMostMs);
    }
}

// Someone who may open the lock file could be another user holding it to keep the gadget off
// its file: a held lock file that others may open never stops a start, and one the gadget holds
// is closed to others.
TEST(InstanceLockFileTest, ALockFileOthersMayOpenIsNeverTrusted) {
    const LockFolder folder(L"lock-open");
    {
        // Made as an earlier version made it, with the folder's defaults. Under Wine a file's list
        // comes from its Unix mode: such a file is 0644 there, which Wine shows as readable by
        // everyone. (Wine cannot keep a list of its own, so lists it cannot map are not tried.)
        const UniqueHandle held = HoldAsAnEarlierVersionMadeIt(folder.LockFile());
        ASSERT_FALSE(OnlyThisUserMayOpen(folder.LockFile()));
        const DWORD started = ::GetTickCount();
        EXPECT_TRUE(Acquire(folder.SettingFile()) != nullptr);
        EXPECT_LT(::GetTickCount() - started, 1000u);
    }
    // Not held: the gadget holds it and closes it to others, so the next start trusts it.
    EXPECT_TRUE(Acquire(folder.SettingFile()) != nullptr);
    EXPECT_TRUE(OnlyThisUserMayOpen(folder.LockFile()));
}

}  // namespace
}  // namespace kestrival
