// The lock file that keeps a second gadget of another session off one settings file: a program
// that holds it only for a moment (a virus scanner, an indexer) is waited out, a gadget is not.
#include "app/win32/instance_lock.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "support/win32/wide_text.h"
#include "tests/common/win32/wine_helpers.h"

namespace kestrival {
namespace {

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
    const std::wstring folder = e2e::OwnFolder() + L"lock-held\\";
    for (const auto& hold : holds) {
        SCOPED_TRACE(hold.holdMs);
        e2e::DeleteTree(folder);
        ::CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring file = folder + L"ZKQV_set.txt";
        HANDLE held = ::CreateFileW((file + L".lock").c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        std::thread release([held, &hold] {
            ::Sleep(hold.holdMs);
            ::CloseHandle(held);
        });
        const DWORD started = ::GetTickCount();
        const std::unique_ptr<InstanceLock> lock = InstanceLock::Acquire(InstanceKeyOf(FromWide(file)), FromWide(file));
        const DWORD took = ::GetTickCount() - started;
        release.join();
        EXPECT_EQ(lock != nullptr, hold.acquired);
        EXPECT_GE(took, hold.atLeastMs);
        EXPECT_LE(took, hold.atMostMs);
    }
    e2e::DeleteTree(folder);
}

}  // namespace
}  // namespace kestrival
