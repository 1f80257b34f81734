// The settings file is never lost: held by other programs at start-up, shared by two gadgets,
// read-only, written by another editor in UTF-8, or holding more goals than the dialog shows.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "app/win32/lock_file_security.h"
#include "support/text.h"
#include "support/win32/handles.h"
#include "support/win32/wide_text.h"
#include "tests/common/win32/wine_helpers.h"

namespace kestrival::e2e {
namespace {

const char16_t kUserFile[] =
    u"Kestrival Setup File\r\nVERSION=110\r\n\r\nTITLE=mine\r\nBIRTH=\r\nDVIEW=2\r\n\r\n"
    u"HB=0\r\nDX=40\r\nVB=0\r\nDY=30\r\nCL=1\r\nRW=1\r\nSR=0\r\nTR=100\r\nTB=0\r\nFM=1111\r\n\r\n"
    u"BFCOLOR=EEEEEE\r\nBBCOLOR=000000\r\nTBCOLOR=EE9999\r\nTTCOLOR=111111\r\nPFCOLOR=EEEEEE\r\n"
    u"CBCOLOR=EEEEEE\r\nCTCOLOR=111111\r\nSDCOLOR=00DD00\r\nEDCOLOR=00DDDD\r\nPNCOLOR=00DD00\r\n"
    u"RNCOLOR=00DDDD\r\nGFCOLOR=EEEEEE\r\nGBCOLOR=775577\r\n\r\n"
    u"ITEM1=私の目標,2026/01/01,2027/06/30\r\n";

constexpr const wchar_t* kUnreadable = L"設定ファイルを読み込めませんでした。";
constexpr const wchar_t* kUnsaved = L"設定ファイルに書き込めませんでした。";
constexpr const wchar_t* kHeldBack = L"設定ファイルを起動時に読み込めなかったため";

// Moves the gadget a little, as a drag would, so that quitting has something new to save.
void Drag(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    ::SetWindowPos(window, nullptr, r.left + 7, r.top + 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::Sleep(200);
}

BOOL CALLBACK CollectText(HWND child, LPARAM texts) {
    *reinterpret_cast<std::string*>(texts) += ToUtf8(FromWide(WindowText(child))) + "|";
    return TRUE;
}

// Waits for the process's notice, checks that it names the file, and presses OK.
::testing::AssertionResult AcknowledgeNotice(GadgetProcess& gadget, const wchar_t* first) {
    HWND notice = WaitFor([&gadget] { return FindDialogWindow(gadget.pid()); }, 15000);
    if (!notice) return ::testing::AssertionFailure() << "no notice";
    const bool says = DialogShowsText(notice, first) && DialogShowsText(notice, L"ZKQV_set.txt");
    ::PostMessageW(notice, WM_COMMAND, IDOK, 0);
    if (!says) {
        std::string texts;
        ::EnumChildWindows(notice, CollectText, reinterpret_cast<LPARAM>(&texts));
        return ::testing::AssertionFailure() << "the notice does not name the file: " << texts;
    }
    return ::testing::AssertionSuccess();
}

class SettingsSafetyTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteTree(DocumentsFolder() + L"\\ZKFILES");
        ::CreateDirectoryW((DocumentsFolder() + L"\\ZKFILES").c_str(), nullptr);
        ::CreateDirectoryW((DocumentsFolder() + L"\\ZKFILES\\Kestrival").c_str(), nullptr);
    }
    void TearDown() override {
        ::SetFileAttributesW(DefaultSettingsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteTree(DocumentsFolder() + L"\\ZKFILES");
    }
};

TEST_F(SettingsSafetyTest, AFileHeldByAnotherProgramAtStartIsNeverWrittenOver) {
    struct Holder {
        const char* name;
        DWORD access;
        DWORD share;
        bool lockRange;
        bool readable;  // the gadget can still read it
    };
    const Holder holders[] = {
        {"a writer sharing everything", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, false,
         true},
        {"a handle sharing nothing", GENERIC_READ, 0, false, false},
        // Wine keeps byte-range locks advisory, so there the locked file still reads; on Windows
        // the read fails, is retried, and the row behaves like the one above.
        {"a byte-range lock", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, true, true},
    };
    for (const auto& holder : holders) {
        SCOPED_TRACE(holder.name);
        WriteBytes(DefaultSettingsPath(), Utf16File(kUserFile));
        const std::string before = ReadBytes(DefaultSettingsPath());
        HANDLE held = ::CreateFileW(DefaultSettingsPath().c_str(), holder.access, holder.share, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        if (holder.lockRange) {
            ASSERT_TRUE(::LockFile(held, 0, 0, MAXDWORD, 0));
        }
        GadgetProcess gadget;
        HWND window = gadget.WaitForGadget();
        ASSERT_TRUE(window);
        if (!holder.readable) {
            EXPECT_TRUE(AcknowledgeNotice(gadget, kUnreadable));
        }
        // The other program lets go; the gadget must still not write defaults over the file.
        if (holder.lockRange) ::UnlockFile(held, 0, 0, MAXDWORD, 0);
        ::CloseHandle(held);
        Drag(window);
        EXPECT_EQ(gadget.CloseAndWait(), 0);
        if (holder.readable) {
            EXPECT_NE(SettingsText(ReadBytes(DefaultSettingsPath())).find(u"ITEM1=私の目標,"), std::u16string::npos);
        } else {
            EXPECT_EQ(ReadBytes(DefaultSettingsPath()), before);
        }
    }
}

TEST_F(SettingsSafetyTest, TwoGadgetsStartedTogetherOnOneFile) {
    WriteBytes(DefaultSettingsPath(), Utf16File(kUserFile));
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        auto first = std::make_unique<GadgetProcess>();
        auto second = std::make_unique<GadgetProcess>();
        // One of them ends at once, with exit code 0; the other shows the gadget.
        HANDLE ended = nullptr;
        for (int i = 0; i < 300 && !ended; ++i) {
            if (first->WaitForExit(0) == 0) ended = reinterpret_cast<HANDLE>(1);
            if (second->WaitForExit(0) == 0) ended = reinterpret_cast<HANDLE>(2);
            ::Sleep(50);
        }
        ASSERT_TRUE(ended) << "neither gadget gave way";
        GadgetProcess& running = ended == reinterpret_cast<HANDLE>(1) ? *second : *first;
        HWND window = running.WaitForGadget();
        ASSERT_TRUE(window);
        EXPECT_EQ(FindGadgetWindow(), window);
        EXPECT_EQ(running.CloseAndWait(), 0);
        EXPECT_NE(SettingsText(ReadBytes(DefaultSettingsPath())).find(u"TITLE=mine\n"), std::u16string::npos);
    }
}

TEST_F(SettingsSafetyTest, AGadgetOfAnotherSessionKeepsItsFile) {
    // Another session's named mutex cannot be seen from here; its gadget holds the lock file
    // beside the settings file open, reached through whatever spelling of the folder it used, and
    // made for this user alone, as every gadget makes it (one that others may open proves nothing).
    WriteBytes(DefaultSettingsPath(), Utf16File(kUserFile));
    const std::string before = ReadBytes(DefaultSettingsPath());
    const std::wstring folder = DocumentsFolder() + L"\\ZKFILES\\Kestrival";
    wchar_t shortFolder[MAX_PATH] = {};
    ASSERT_TRUE(::GetShortPathNameW(folder.c_str(), shortFolder, MAX_PATH));
    ASSERT_NE(std::wstring(shortFolder), folder);
    {
        LockFileSecurity security;
        ASSERT_TRUE(security.ForNewFile());
        UniqueHandle theirs(::CreateFileW((std::wstring(shortFolder) + L"\\ZKQV_set.txt.lock").c_str(),
                                          GENERIC_READ | READ_CONTROL, 0, security.ForNewFile(), OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_HIDDEN, nullptr));
        ASSERT_TRUE(theirs);
        ASSERT_TRUE(security.OnlyThisUserMayOpen(theirs.get()));
        GadgetProcess gadget;
        EXPECT_EQ(gadget.WaitForExit(), 0);
        EXPECT_FALSE(FindGadgetWindow(gadget.pid()));
        EXPECT_EQ(ReadBytes(DefaultSettingsPath()), before);
    }
    // Once that gadget has ended, the lock file it leaves keeps no one out; a running gadget
    // keeps it, and so a second one off, and leaves it for the next start.
    GadgetProcess gadget;
    ASSERT_TRUE(gadget.WaitForGadget());
    HANDLE probe =
        ::CreateFileW((DefaultSettingsPath() + L".lock").c_str(), GENERIC_READ,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(probe, INVALID_HANDLE_VALUE);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    if (probe != INVALID_HANDLE_VALUE) ::CloseHandle(probe);
    EXPECT_EQ(gadget.CloseAndWait(), 0);
    EXPECT_TRUE(FileExistsW(DefaultSettingsPath() + L".lock"));
    EXPECT_NE(SettingsText(ReadBytes(DefaultSettingsPath())).find(u"TITLE=mine\n"), std::u16string::npos);
}

TEST_F(SettingsSafetyTest, AReadOnlyFileIsLeftAsItIsAndTheUserIsTold) {
    WriteBytes(DefaultSettingsPath(), Utf16File(kUserFile));
    const std::string before = ReadBytes(DefaultSettingsPath());
    ASSERT_TRUE(::SetFileAttributesW(DefaultSettingsPath().c_str(), FILE_ATTRIBUTE_READONLY));
    GadgetProcess gadget;
    HWND window = gadget.WaitForGadget();
    ASSERT_TRUE(window);
    Drag(window);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(AcknowledgeNotice(gadget, kUnsaved));
    EXPECT_EQ(gadget.WaitForExit(), 0);
    EXPECT_EQ(ReadBytes(DefaultSettingsPath()), before);
    EXPECT_TRUE(::GetFileAttributesW(DefaultSettingsPath().c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST_F(SettingsSafetyTest, Utf8FilesFromOtherEditorsRead) {
    const std::string body =
        ToUtf8(u"TITLE=目標の一覧\r\nHB=0\r\nDX=40\r\nVB=0\r\nDY=30\r\nITEM1=テスト,2026/01/01,2027/01/01\r\n");
    for (const std::string& bytes : {"\xEF\xBB\xBF" + body, body}) {
        WriteBytes(DefaultSettingsPath(), bytes);
        GadgetProcess gadget;
        HWND window = gadget.WaitForGadget();
        ASSERT_TRUE(window);
        Drag(window);
        EXPECT_EQ(gadget.CloseAndWait(), 0);
        const std::string saved = ReadBytes(DefaultSettingsPath());
        EXPECT_EQ(saved.substr(0, 2), "\xFF\xFE");
        const std::u16string text = SettingsText(saved);
        EXPECT_NE(text.find(u"\nTITLE=目標の一覧\n"), std::u16string::npos);
        EXPECT_NE(text.find(u"\nITEM1=テスト,2026/01/01,2027/01/01\n"), std::u16string::npos);
    }
}

TEST_F(SettingsSafetyTest, DialogOkKeepsGoalsPastTheGridsRows) {
    std::u16string file = u"HB=0\r\nDX=40\r\nVB=0\r\nDY=30\r\n";
    for (int i = 1; i <= 200; ++i) file += FormatText(u"ITEM%d=g%d,2026/01/01,2027/01/01\r\n", {i, i});
    WriteBytes(DefaultSettingsPath(), Utf16File(file));
    GadgetProcess gadget;
    HWND window = gadget.WaitForGadget();
    ASSERT_TRUE(window);
    HWND dialog = OpenSettingsDialog(gadget, window);
    ASSERT_TRUE(dialog);
    gadget.WaitIdle();
    ::PostMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([dialog] { return ::IsWindowVisible(dialog) ? nullptr : dialog; }));
    EXPECT_EQ(gadget.CloseAndWait(), 0);
    const std::u16string text = SettingsText(ReadBytes(DefaultSettingsPath()));
    EXPECT_NE(text.find(u"\nITEM150=g150,"), std::u16string::npos);
    EXPECT_NE(text.find(u"\nITEM200=g200,2026/01/01,2027/01/01\n"), std::u16string::npos);
    EXPECT_EQ(text.find(u"\nITEM201="), std::u16string::npos);
}

TEST_F(SettingsSafetyTest, ASaveCutShortLeavesTheSettingsInATemporaryThatTheNextStartRecovers) {
    WriteBytes(DefaultSettingsPath() + L".4711.tmp", Utf16File(kUserFile));
    GadgetProcess gadget;
    ASSERT_TRUE(gadget.WaitForGadget());
    EXPECT_EQ(gadget.CloseAndWait(), 0);
    EXPECT_NE(SettingsText(ReadBytes(DefaultSettingsPath())).find(u"ITEM1=私の目標,"), std::u16string::npos);
    EXPECT_FALSE(FileExistsW(DefaultSettingsPath() + L".4711.tmp"));
}

TEST_F(SettingsSafetyTest, AFileThatAppearsAfterStartIsNeverWrittenOver) {
    // The folder cannot be made at start (here a file stands in its way, as a volume that mounts
    // after logon would); the user's file turns up while the gadget runs.
    const std::wstring folder = DocumentsFolder() + L"\\ZKFILES\\Kestrival";
    DeleteTree(folder);
    WriteBytes(folder, "in the way");
    GadgetProcess gadget;
    HWND window = gadget.WaitForGadget();
    ASSERT_TRUE(window);
    ::DeleteFileW(folder.c_str());
    ::CreateDirectoryW(folder.c_str(), nullptr);
    WriteBytes(DefaultSettingsPath(), Utf16File(kUserFile));
    const std::string users = ReadBytes(DefaultSettingsPath());

    Drag(window);
    HWND dialog = OpenSettingsDialog(gadget, window);
    ASSERT_TRUE(dialog);
    gadget.WaitIdle();
    ::PostMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(AcknowledgeNotice(gadget, kHeldBack));  // the dialog's OK could not save: said once
    Drag(window);
    EXPECT_EQ(gadget.CloseAndWait(), 0);  // quitting says nothing more
    EXPECT_EQ(ReadBytes(DefaultSettingsPath()), users);
}

TEST_F(SettingsSafetyTest, AFileRestoredOverTheEmptyOneIsNeverWrittenOver) {
    // The folder is there and the file is not: the start creates it empty. A restore from backup
    // (or a sync client) then puts the user's file in its place while the gadget runs.
    GadgetProcess gadget;
    HWND window = gadget.WaitForGadget();
    ASSERT_TRUE(window);
    ASSERT_EQ(ReadBytes(DefaultSettingsPath()), std::string("\xFF\xFE", 2));
    WriteBytes(DefaultSettingsPath() + L".restored", Utf16File(kUserFile));
    ASSERT_TRUE(::MoveFileExW((DefaultSettingsPath() + L".restored").c_str(), DefaultSettingsPath().c_str(),
                              MOVEFILE_REPLACE_EXISTING));
    const std::string users = ReadBytes(DefaultSettingsPath());

    Drag(window);
    HWND dialog = OpenSettingsDialog(gadget, window);
    ASSERT_TRUE(dialog);
    gadget.WaitIdle();
    ::PostMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(AcknowledgeNotice(gadget, kHeldBack));  // told once where the file is
    Drag(window);
    EXPECT_EQ(gadget.CloseAndWait(), 0);
    EXPECT_EQ(ReadBytes(DefaultSettingsPath()), users);
}

}  // namespace
}  // namespace kestrival::e2e
