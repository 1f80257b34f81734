// Where the program looks for the user's documents folder: the folder Windows keeps for the user,
// moved ones included, and the shell's answer whenever that entry cannot be used.
#include "app/win32/environment.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <optional>
#include <string>

#include "support/win32/wide_text.h"
#include "tests/common/win32/wine_helpers.h"

namespace kestrival::e2e {
namespace {

constexpr wchar_t kUserShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// Replaces the user's documents entry for one test and puts the original back afterwards.
class DocumentsEntry {
public:
    DocumentsEntry() {
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kUserShellFolders, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                          &key_, nullptr);
        DWORD bytes = sizeof original_;
        if (::RegQueryValueExW(key_, L"Personal", nullptr, &originalType_, original_, &bytes) == ERROR_SUCCESS) {
            originalBytes_ = bytes;
        }
    }
    ~DocumentsEntry() {
        if (originalBytes_) {
            ::RegSetValueExW(key_, L"Personal", 0, originalType_, original_, *originalBytes_);
        } else {
            ::RegDeleteValueW(key_, L"Personal");
        }
        ::RegCloseKey(key_);
    }
    DocumentsEntry(const DocumentsEntry&) = delete;
    DocumentsEntry& operator=(const DocumentsEntry&) = delete;

    void Set(DWORD type, const std::wstring& text) const {
        ::RegSetValueExW(key_, L"Personal", 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    void SetNumber(DWORD number) const {
        ::RegSetValueExW(key_, L"Personal", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    }

private:
    HKEY key_ = nullptr;
    DWORD originalType_ = 0;
    BYTE original_[2048] = {};
    std::optional<DWORD> originalBytes_;
};

std::wstring ProgramsAnswer() {
    const std::u16string folder = Win32Environment().DocumentsFolder().value_or(u"");
    return Wide(folder);
}

// What the shell answers, or nothing when it reports a failure.
std::wstring ShellsAnswer() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, folder))) return L"";
    return folder;
}

std::wstring TempFolder() {
    wchar_t temp[MAX_PATH] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH, temp);
    std::wstring folder(temp, length);
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

TEST(DocumentsFolderTest, IsTheShellsFolderOnAFreshSystem) {
    EXPECT_FALSE(DocumentsFolder().empty());
    EXPECT_EQ(ProgramsAnswer(), DocumentsFolder());
}

TEST(DocumentsFolderTest, FollowsAMovedFolderWithItsVariablesExpanded) {
    const DocumentsEntry entry;
    const std::wstring moved = TempFolder() + L"\\kestrival-moved-documents";
    ::CreateDirectoryW(moved.c_str(), nullptr);
    entry.Set(REG_EXPAND_SZ, L"%TEMP%\\kestrival-moved-documents");
    EXPECT_EQ(ProgramsAnswer(), moved);
    entry.Set(REG_SZ, moved + L"\\");
    EXPECT_EQ(ProgramsAnswer(), moved) << "the trailing backslash is not kept";
    ::RemoveDirectoryW(moved.c_str());
}

TEST(DocumentsFolderTest, LeavesAnUnusableEntryToTheShell) {
    const DocumentsEntry entry;
    const std::wstring missing = TempFolder() + L"\\kestrival-no-such-folder";
    const struct {
        DWORD type;
        std::wstring text;
    } cases[] = {
        {REG_SZ, missing},
        {REG_SZ, L"Documents"},
        {REG_EXPAND_SZ, L"%KESTRIVAL_UNSET_VARIABLE%\\Documents"},
        {REG_SZ, L""},
    };
    for (const auto& c : cases) {
        entry.Set(c.type, c.text);
        const std::wstring answer = ProgramsAnswer();
        EXPECT_EQ(answer, ShellsAnswer()) << c.text;
        EXPECT_NE(answer, missing);
    }
    entry.SetNumber(5);
    EXPECT_EQ(ProgramsAnswer(), ShellsAnswer());
}

}  // namespace
}  // namespace kestrival::e2e
