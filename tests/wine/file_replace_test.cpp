// The save's last step under every documented failure of ReplaceFileW: what stands on disk
// afterwards and whether the user is told the settings were saved. Windows reports 1176 and
// 1177 after the old file has already left its name; no file system here does so on demand, so
// a stand-in for ReplaceFileW leaves the disk as Windows documents it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/file_io.h"
#include "support/win32/replace_file.h"
#include "support/win32/wide_text.h"
#include "tests/common/win32/wine_helpers.h"

namespace kestrival {
namespace {

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
    EXPECT_TRUE(RecoverInterruptedSave(FromWide(target)));
    EXPECT_EQ(e2e::ReadBytes(target), "settings");
    EXPECT_FALSE(e2e::FileExistsW(target + L".4711.tmp"));
    EXPECT_FALSE(RecoverInterruptedSave(FromWide(target)));  // the file is there: nothing to do
    e2e::DeleteTree(folder);
}

}  // namespace
}  // namespace kestrival
