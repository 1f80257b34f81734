// Where the gadget stands among other windows, locked or not, and whether it starts with Windows,
// each set from its context menu and kept in the file at once. Wine has no shell desktop window
// and no "show desktop": a full-screen window of the desktop's class, brought to the foreground by
// this program, stands in for it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/text.h"
#include "support/win32/handles.h"
#include "support/win32/wide_text.h"
#include "tests/common/win32/wine_helpers.h"

namespace kestrival::e2e {
namespace {

const char16_t kPlacedFile[] = u"HB=0\r\nDX=100\r\nVB=0\r\nDY=100\r\nTITLE=stacking\r\n";

// A full-screen window of one class, shown and brought to the foreground by this process.
class StandIn {
public:
    explicit StandIn(const wchar_t* className) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = ::DefWindowProcW;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
        windowClass.lpszClassName = className;
        ::RegisterClassW(&windowClass);
        window_ = OwnedWindow(::CreateWindowExW(0, className, L"", WS_POPUP | WS_VISIBLE, 0, 0,
                                                ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                                                nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr));
        ::SetForegroundWindow(window_.get());
        ::SetFocus(window_.get());
        Pump();
    }
    HWND get() const { return window_.get(); }
    static void Pump() {
        for (int i = 0; i < 30; ++i) {
            MSG message{};
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
            ::Sleep(20);
        }
    }

private:
    OwnedWindow window_;
};

// Whether a click on the gadget's title band reaches the gadget, once the windows have settled:
// the gadget answers the foreground change in its own time.
bool SeenAtBand(HWND gadget, bool expected) {
    RECT r{};
    ::GetWindowRect(gadget, &r);
    bool seen = !expected;
    for (int i = 0; i < 6 && seen != expected; ++i) {
        StandIn::Pump();
        seen = ::GetAncestor(::WindowFromPoint({r.left + 30, r.top + 6}), GA_ROOT) == gadget;
    }
    return seen;
}

// Opens the gadget's context menu and presses its keys, as a user does.
void MenuKeys(HWND gadget, std::initializer_list<WORD> keys) {
    RECT r{};
    ::GetWindowRect(gadget, &r);
    ::PostMessageW(gadget, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(gadget), MAKELPARAM(r.left + 20, r.top + 40));
    WaitFor([] { return ::FindWindowExW(nullptr, nullptr, L"#32768", nullptr); });
    ::Sleep(300);
    for (WORD key : keys) SendKey(key);
    ::Sleep(500);
}

std::u16string SavedText() { return SettingsText(ReadBytes(DefaultSettingsPath())); }

class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteTree(DocumentsFolder() + L"\\ZKFILES");
        ::CreateDirectoryW((DocumentsFolder() + L"\\ZKFILES").c_str(), nullptr);
        ::CreateDirectoryW((DocumentsFolder() + L"\\ZKFILES\\Kestrival").c_str(), nullptr);
    }
    void TearDown() override { DeleteTree(DocumentsFolder() + L"\\ZKFILES"); }
};

TEST_F(DesktopTest, EachStackingAgainstTheDesktopAndAnOrdinaryWindow) {
    struct Case {
        const char16_t* zo;
        bool seenOverDesktop;  // the stand-in for the desktop has the foreground
        bool seenOverWindow;   // then an ordinary window comes forward over it
    };
    const Case cases[] = {
        {u"", false, false},        // ordinary: covered by both
        {u"ZO=1\r\n", true, true},  // kept on top: covered by neither
        {u"ZO=2\r\n", true, false}  // on the desktop: above the desktop, below every window
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.zo));
        WriteBytes(DefaultSettingsPath(), Utf16File(std::u16string(kPlacedFile) + c.zo));
        GadgetProcess gadget;
        HWND window = gadget.WaitForGadget();
        ASSERT_TRUE(window);
        gadget.WaitIdle();
        {
            // Wine reports a focus change only from one window to another: some window of this
            // program has the focus before the desktop's stand-in takes it.
            StandIn before(L"KestrivalTestBefore");
            StandIn desktop(L"WorkerW");
            EXPECT_EQ(SeenAtBand(window, c.seenOverDesktop), c.seenOverDesktop);
            StandIn other(L"KestrivalTestWindow");
            EXPECT_EQ(SeenAtBand(window, c.seenOverWindow), c.seenOverWindow);
        }
        EXPECT_EQ(gadget.CloseAndWait(), 0);
    }
}

TEST_F(DesktopTest, ASecondStartShowsAGadgetOnTheDesktopAboveWindowsUntilAnotherComesForward) {
    WriteBytes(DefaultSettingsPath(), Utf16File(std::u16string(kPlacedFile) + u"ZO=2\r\n"));
    GadgetProcess gadget;
    HWND window = gadget.WaitForGadget();
    ASSERT_TRUE(window);
    gadget.WaitIdle();
    StandIn before(L"KestrivalTestBefore");
    StandIn covering(L"KestrivalTestWindow");
    ASSERT_FALSE(SeenAtBand(window, false));
    GadgetProcess second;
    EXPECT_EQ(second.WaitForExit(), 0);
    EXPECT_TRUE(SeenAtBand(window, true));  // as showing the desktop shows it
    // Wine reports a focus change only from one window to another: a window of this program
    // takes the focus first (the gadget stays above it), then the next one comes forward.
    StandIn focused(L"KestrivalTestFocused");
    EXPECT_TRUE(SeenAtBand(window, true));
    StandIn next(L"KestrivalTestNext");
    EXPECT_FALSE(SeenAtBand(window, false));  // and back below every window
    EXPECT_EQ(gadget.CloseAndWait(), 0);
}

TEST_F(DesktopTest, MenuSetsStackingAndLockAndSavesAtOnce) {
    WriteBytes(DefaultSettingsPath(), Utf16File(kPlacedFile));
    GadgetProcess gadget;
    HWND window = gadget.WaitForGadget();
    ASSERT_TRUE(window);
    RECT r{};
    ::GetWindowRect(window, &r);
    const LPARAM band = MAKELPARAM(r.left + 30, r.top + 6);
    EXPECT_EQ(::SendMessageW(window, WM_NCHITTEST, 0, band), HTCAPTION);

    MenuKeys(window, {'L'});
    EXPECT_NE(SavedText().find(u"\nLK=1\n"), std::u16string::npos);
    EXPECT_EQ(::SendMessageW(window, WM_NCHITTEST, 0, band), HTCLIENT);  // nothing drags it
    MenuKeys(window, {'Z', 'D'});
    EXPECT_NE(SavedText().find(u"\nZO=2\nLK=1\n"), std::u16string::npos);
    MenuKeys(window, {'Z', 'N'});
    MenuKeys(window, {'L'});
    EXPECT_EQ(::SendMessageW(window, WM_NCHITTEST, 0, band), HTCAPTION);
    EXPECT_EQ(gadget.CloseAndWait(), 0);
    const std::u16string text = SavedText();
    EXPECT_EQ(text.find(u"ZO="), std::u16string::npos);  // back to the defaults: not written
    EXPECT_EQ(text.find(u"LK="), std::u16string::npos);
}

TEST_F(DesktopTest, StartWithWindowsWritesAndRemovesTheRunEntry) {
    constexpr const wchar_t* kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    auto entry = [kRun]() { return RegistryKey(HKEY_CURRENT_USER, kRun).Text(L"Kestrival"); };
    {
        // An entry that names another copy is replaced when the item is checked.
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kRun, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const RegistryKey run(key);
        const wchar_t other[] = L"\"C:\\elsewhere\\Kestrival.exe\"";
        ::RegSetValueExW(key, L"Kestrival", 0, REG_SZ, reinterpret_cast<const BYTE*>(other), sizeof other);
    }
    GadgetProcess gadget(L"LOCAL");
    HWND window = gadget.WaitForGadget();
    ASSERT_TRUE(window);
    MenuKeys(window, {'W'});
    const auto written = entry();
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, L"\"" + OwnFolder() + L"Kestrival.exe\" LOCAL");
    MenuKeys(window, {'W'});
    EXPECT_FALSE(entry());
    EXPECT_EQ(gadget.CloseAndWait(), 0);
    ::DeleteFileW((OwnFolder() + L"Kestrival_set.txt").c_str());
}

}  // namespace
}  // namespace kestrival::e2e
