// The save's last step under every documented failure of ReplaceFileW: what stands on disk
// afterwards and whether the user is told the settings were saved. Windows reports 1176 and
// 1177 after the old file has already left its name; no file system here does so on demand, so
// a stand-in for ReplaceFileW leaves the disk as Windows documents it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "support/file_io.h"
#include "support/win32/replace_file.h"
#include "support/win32/wide_text.h"
#include "tests/common/win32/wine_helpers.h"

namespace kestrival {
namespace {

// What these tests write is whole when it holds anything.
const WholeCheck kAnyText = [](std::string_view bytes) { return !bytes.empty(); };

struct Failure {
    const char* what;
    DWORD error;
    bool oldFileDeleted;      // the replaced file is gone
    bool oldFileHidden;       // the replaced file is kept under another name
    bool moveBlocked;         // something stands in the way of the rescue move
    const char* targetHolds;  // "new", "old" or "" (no file)
    bool temporaryKept;
    bool saved;  // what the user is told
};

const Failure* current = nullptr;
std::wstring hiddenName;

BOOL WINAPI FailingReplace(LPCWSTR replaced, LPCWSTR, LPCWSTR, DWORD, LPVOID, LPVOID) {
    if (current->oldFileDeleted) ::DeleteFileW(replaced);
    if (current->oldFileHidden) ::MoveFileW(replaced, hiddenName.c_str());
    if (current->moveBlocked) ::CreateDirectoryW(replaced, nullptr);
    ::SetLastError(current->error);
    return FALSE;
}

TEST(FileReplaceTest, EveryDocumentedFailureKeepsTheSettingsSomewhere) {
    const Failure failures[] = {
        {"1176 the old file is deleted", ERROR_UNABLE_TO_MOVE_REPLACEMENT, true, false, false, "new", false, true},
        {"1177 the old file is renamed", ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, false, true, false, "new", false, true},
        {"1176 and the rescue move fails", ERROR_UNABLE_TO_MOVE_REPLACEMENT, true, false, true, "", true, false},
        {"1175 nothing was changed", ERROR_UNABLE_TO_REMOVE_REPLACED, false, false, false, "old", false, false},
        {"5 access denied", ERROR_ACCESS_DENIED, false, false, false, "old", false, false},
    };
    const ReplaceFileFunction system = SetReplaceFileForTesting(&FailingReplace);
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.what);
        current = &failure;
        const std::wstring folder = e2e::OwnFolder() + L"replace-failure\\";
        e2e::DeleteTree(folder);
        ::CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring target = folder + L"ZKQV_set.txt";
        hiddenName = folder + L"~hidden-old";
        e2e::WriteBytes(target, "old");

        const bool saved = WriteFileReplacing(FromWide(target), std::string_view("new"));

        EXPECT_EQ(saved, failure.saved);
        if (std::string(failure.targetHolds).empty()) {
            EXPECT_FALSE(::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES &&
                         !(::GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_DIRECTORY));
        } else {
            EXPECT_EQ(e2e::ReadBytes(target), failure.targetHolds);
        }
        WIN32_FIND_DATAW found{};
        const HANDLE search = ::FindFirstFileW((target + L".*.tmp").c_str(), &found);
        EXPECT_EQ(search != INVALID_HANDLE_VALUE, failure.temporaryKept);
        if (search != INVALID_HANDLE_VALUE) {
            EXPECT_EQ(e2e::ReadBytes(folder + found.cFileName), "new");  // the new settings, whole
            ::FindClose(search);
        }
        if (failure.oldFileHidden) {
            EXPECT_EQ(e2e::ReadBytes(hiddenName), "old");
        }
        e2e::DeleteTree(folder);
    }
    SetReplaceFileForTesting(system);
}

TEST(FileReplaceTest, ATemporaryLeftWhereTheFileWasGoneIsRecovered) {
    // The state 1176 leaves when even the rescue move fails, or a cut power: no file, the new
    // settings in a temporary. The next start moves it into place.
    const std::wstring folder = e2e::OwnFolder() + L"replace-recover\\";
    e2e::DeleteTree(folder);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring target = folder + L"ZKQV_set.txt";
    e2e::WriteBytes(target + L".4711.tmp", "settings");
    EXPECT_TRUE(RecoverInterruptedSave(FromWide(target), kAnyText));
    EXPECT_EQ(e2e::ReadBytes(target), "settings");
    EXPECT_FALSE(e2e::FileExistsW(target + L".4711.tmp"));
    EXPECT_FALSE(RecoverInterruptedSave(FromWide(target), kAnyText));  // the file is there: nothing to do
    e2e::DeleteTree(folder);
}

// Whether a save of `target` left a file of its own beside it.
bool SaveLeftovers(const std::wstring& target) {
    for (const wchar_t* pattern : {L".*.tmp", L".*.part"}) {
        WIN32_FIND_DATAW found{};
        const HANDLE search = ::FindFirstFileW((target + pattern).c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            ::FindClose(search);
            return true;
        }
    }
    return false;
}

TEST(FileReplaceTest, AShortHoldIsWaitedOutALongOneFailsInTime) {
    // A virus scanner, an indexer or a sync client opens the file for a moment without delete
    // sharing. The save waits for it, but never longer than the end of a session allows.
    const struct {
        DWORD holdMs;
        bool saved;
        DWORD atLeastMs;
        DWORD atMostMs;
    } holds[] = {
        {600, true, 500, 1900},
        {4000, false, kBusyWaitMs - 100, kBusyWaitMs + 900},
    };
    const std::wstring folder = e2e::OwnFolder() + L"replace-held\\";
    for (const auto& hold : holds) {
        SCOPED_TRACE(hold.holdMs);
        e2e::DeleteTree(folder);
        ::CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring target = folder + L"ZKQV_set.txt";
        e2e::WriteBytes(target, "old");
        HANDLE held = ::CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        std::thread release([held, &hold] {
            ::Sleep(hold.holdMs);
            ::CloseHandle(held);
        });
        const DWORD started = ::GetTickCount();
        const bool saved = WriteFileReplacing(FromWide(target), std::string_view("new"));
        const DWORD took = ::GetTickCount() - started;
        release.join();
        EXPECT_EQ(saved, hold.saved);
        EXPECT_GE(took, hold.atLeastMs);
        EXPECT_LE(took, hold.atMostMs);
        EXPECT_EQ(e2e::ReadBytes(target), hold.saved ? "new" : "old");
        EXPECT_FALSE(SaveLeftovers(target));
    }
    e2e::DeleteTree(folder);
}

TEST(FileReplaceTest, ASaveNamesItsTemporaryOnlyOnceItIsWhole) {
    // A temporary is what the next start recovers, so no bytes are written under its name: a save
    // cut short while writing must leave nothing a recovery would put in place.
    const std::wstring folder = e2e::OwnFolder() + L"replace-whole\\";
    e2e::DeleteTree(folder);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring target = folder + L"ZKQV_set.txt";
    e2e::WriteBytes(target, "old");
    bool temporaryWhileWriting = true;
    FileState written;
    ASSERT_TRUE(WriteFileReplacing(
        FromWide(target),
        [&](const ByteSink& write) {
            if (!write("first half ")) return false;
            WIN32_FIND_DATAW found{};
            const HANDLE search = ::FindFirstFileW((target + L".*.tmp").c_str(), &found);
            temporaryWhileWriting = search != INVALID_HANDLE_VALUE;
            if (search != INVALID_HANDLE_VALUE) ::FindClose(search);
            return write("second half");
        },
        &written));
    EXPECT_FALSE(temporaryWhileWriting);
    EXPECT_EQ(e2e::ReadBytes(target), "first half second half");
    EXPECT_FALSE(SaveLeftovers(target));

    // The state a save reports is the file's own until another program writes or replaces it.
    EXPECT_EQ(StateOf(FromWide(target)), written);
    ::Sleep(20);
    e2e::WriteBytes(target, "someone else's");
    EXPECT_NE(StateOf(FromWide(target)), written);
    e2e::DeleteTree(folder);
}

TEST(FileReplaceTest, ASecondNameOfTheFileReadsEverySave) {
    // A hard link in a backup or synced folder: replacing the file would leave that name on the
    // old text.
    const std::wstring folder = e2e::OwnFolder() + L"replace-links\\";
    e2e::DeleteTree(folder);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ::CreateDirectoryW((folder + L"backup").c_str(), nullptr);
    const std::wstring target = folder + L"ZKQV_set.txt";
    const std::wstring second = folder + L"backup\\ZKQV_set.txt";
    e2e::WriteBytes(target, "old");
    ASSERT_TRUE(::CreateHardLinkW(second.c_str(), target.c_str(), nullptr));
    for (const char* text : {"first save", "second"}) {
        FileState written;
        ASSERT_TRUE(WriteFileReplacing(FromWide(target), std::string_view(text), &written));
        EXPECT_EQ(e2e::ReadBytes(target), text);
        EXPECT_EQ(e2e::ReadBytes(second), text);
        EXPECT_EQ(StateOf(FromWide(target)), written);
        EXPECT_FALSE(SaveLeftovers(target));
    }
    e2e::DeleteTree(folder);
}

TEST(FileReplaceTest, NamesMadeInAdvanceDoNotStopASave) {
    // Every name a save could derive from the process's number and a count is taken already.
    const std::wstring folder = e2e::OwnFolder() + L"replace-planted\\";
    e2e::DeleteTree(folder);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring target = folder + L"ZKQV_set.txt";
    e2e::WriteBytes(target, "old");
    const std::uint64_t base = std::uint64_t{::GetCurrentProcessId()} << 24;
    for (std::uint64_t n = 0; n < 1000; ++n) {
        for (const auto& name :
             {PartialNameFor(u"ZKQV_set.txt", base + n), TemporaryNameFor(u"ZKQV_set.txt", base + n)}) {
            e2e::WriteBytes(folder + Wide(name), "");
        }
    }
    EXPECT_TRUE(WriteFileReplacing(FromWide(target), std::string_view("new")));
    EXPECT_EQ(e2e::ReadBytes(target), "new");
    e2e::DeleteTree(folder);
}

TEST(FileReplaceTest, OnlyAWholeTemporaryNewerThanTheFileIsTaken) {
    const std::wstring folder = e2e::OwnFolder() + L"replace-whole-only\\";
    const auto isWhole = [](std::string_view bytes) { return bytes.size() > 1 && bytes.back() == '.'; };
    const struct {
        const char* what;
        const char* file;  // null: none
        const char* older;
        const char* newer;
        const char* holds;
    } cases[] = {
        {"an older whole one over a newer cut one", nullptr, "whole.", "cut", "whole."},
        {"a whole one newer than the file", "file.", nullptr, "newer.", "newer."},
        {"a rewrite in place cut short", "who", "whole.", nullptr, "whole."},
        {"the file newer than a whole one", "file.", "older.", nullptr, "file."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        e2e::DeleteTree(folder);
        ::CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring target = folder + L"ZKQV_set.txt";
        if (c.older) e2e::WriteBytes(target + L".11.tmp", c.older);
        ::Sleep(30);
        if (c.file) e2e::WriteBytes(target, c.file);
        ::Sleep(30);
        if (c.newer) e2e::WriteBytes(target + L".12.tmp", c.newer);
        RecoverInterruptedSave(FromWide(target), isWhole);
        EXPECT_EQ(e2e::ReadBytes(target), c.holds);
        RemoveLeftoverTemporaries(FromWide(target), isWhole);
        // What may hold settings the file does not is kept: here only a newer cut one.
        EXPECT_EQ(e2e::FileExistsW(target + L".12.tmp"), c.newer && std::string(c.newer) == "cut");
    }
    e2e::DeleteTree(folder);
}

}  // namespace
}  // namespace kestrival
