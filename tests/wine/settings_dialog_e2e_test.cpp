// The settings dialog of the running gadget, driven from outside: opened from the context menu,
// edited with real keystrokes, confirmed or cancelled, checked on screen and on disk.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "settings/dialog/win32/setup_form_ids.h"
#include "settings/execute_setting.h"
#include "support/text.h"
#include "support/win32/clock.h"
#include "support/win32/wide_text.h"
#include "tests/common/win32/wine_helpers.h"

namespace kestrival::e2e {
namespace {

using namespace setup_ids;

void Type(const std::wstring& text) {
    for (wchar_t c : text) {
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wScan = input[1].ki.wScan = c;
        input[0].ki.dwFlags = KEYEVENTF_UNICODE;
        input[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        ::SendInput(2, input, sizeof(INPUT));
        ::Sleep(40);
    }
    ::Sleep(150);
}

void ClickOn(HWND control) {
    RECT r{};
    ::GetWindowRect(control, &r);
    ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, click, sizeof(INPUT));
    ::Sleep(300);
}

// The control with the keyboard focus in the thread that owns `window`.
HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

// A message dialog (task dialog or message box) of the process other than the settings dialog.
HWND WaitForMessageDialog(DWORD pid) {
    return WaitFor([pid] { return FindDialogWindow(pid); });
}

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteTree(DocumentsFolder() + L"\\ZKFILES");
        WriteBytes(DefaultSettingsPath(),
                   Utf16File(u"HB=0\r\nDX=100\r\nVB=0\r\nDY=100\r\nITEM1=first,2026/01/01,2026/12/31\r\n"
                             u"ITEM2=second,,\r\nITEM3=third,2025/01/01,2025/06/01\r\n"));
        gadget_ = std::make_unique<GadgetProcess>();
        window_ = gadget_->WaitForGadget();
        ASSERT_TRUE(window_);
        ::Sleep(300);
    }
    void TearDown() override {
        gadget_.reset();
        DeleteTree(DocumentsFolder() + L"\\ZKFILES");
    }

    HWND OpenDialog() { return OpenSettingsDialog(*gadget_, window_); }
    // Presses a button without waiting for what it opens, once the typing before it has been taken:
    // a posted click would otherwise overtake keystrokes still in the input queue.
    void Press(HWND dialog, int id) {
        gadget_->WaitIdle();
        ::Sleep(100);
        ::PostMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    }
    // Waits until the notice, question or picker has been destroyed and the form is active again.
    void WaitDestroyed(HWND messageDialog) {
        for (int i = 0; i < 200 && ::IsWindow(messageDialog); ++i) ::Sleep(50);
        gadget_->WaitIdle();
        ::Sleep(200);
    }
    static bool WaitHidden(HWND dialog) {
        return WaitFor([dialog] { return ::IsWindowVisible(dialog) ? nullptr : dialog; }) != nullptr;
    }
    // The settings file once the gadget has saved it (it starts with the header line).
    static std::u16string SavedText() {
        for (int i = 0; i < 50 && ReadBytes(DefaultSettingsPath()).find(std::string("K\0e\0s", 5)) != 2; ++i) {
            ::Sleep(100);
        }
        return SettingsText(ReadBytes(DefaultSettingsPath()));
    }

    std::unique_ptr<GadgetProcess> gadget_;
    HWND window_ = nullptr;
};

TEST_F(SettingsDialogTest, EditGoalsAndSettingsThenOk) {
    HWND dialog = OpenDialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(WindowText(dialog).rfind(L" Kestrival 1.10", 0), 0u);
    RECT client{};
    ::GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, 596);
    EXPECT_EQ(client.bottom, 528);

    // The grid has the focus on the first title cell: go to row 4 and type a goal.
    SendKey(VK_DOWN);
    SendKey(VK_DOWN);
    SendKey(VK_DOWN);
    Type(L"新しい目標");
    SendKey(VK_RETURN);
    Type(L"12/31");
    SendKey(VK_RETURN);
    Type(L"991231");
    SendKey(VK_RETURN);
    // Escape closes the editor that Enter opened on row 5 (End would only move its caret). Then the
    // end-date cell of the last row: Enter there only closes the editor, and the grid keeps the
    // keyboard, so typing opens the editor again.
    SendKey(VK_ESCAPE);
    SendKey(VK_END);
    SendKey(VK_RIGHT);
    SendKey(VK_RIGHT);
    SendKey(VK_RETURN);
    Type(L"1");
    SendKey(VK_RETURN);
    Type(L"5");
    SendKey(VK_RETURN);

    ::SendMessageW(::GetDlgItem(dialog, EDhnum), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"2"));
    ::SendMessageW(::GetDlgItem(dialog, EDvnum), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"2"));
    ::SendMessageW(::GetDlgItem(dialog, RBhrit), BM_CLICK, 0, 0);
    wchar_t offset[32] = {};
    ::GetDlgItemTextW(dialog, EDhofs, offset, 32);
    EXPECT_EQ(std::wstring(offset), std::to_wstring(::GetSystemMetrics(SM_CXSCREEN) - 100 - 168));
    ::SendMessageW(::GetDlgItem(dialog, EDhofs), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"10"));
    ::SendMessageW(::GetDlgItem(dialog, TBftrr), TBM_SETPOS, TRUE, 8);
    ::SendMessageW(dialog, WM_HSCROLL, SB_THUMBPOSITION, reinterpret_cast<LPARAM>(::GetDlgItem(dialog, TBftrr)));
    EXPECT_EQ(::SendMessageW(::GetDlgItem(dialog, TBftrr), TBM_GETSELEND, 0, 0), 8);
    ::SendMessageW(::GetDlgItem(dialog, CHftrs), BM_CLICK, 0, 0);

    // A colour through the colour picker: red typed into its fields.
    ::PostMessageW(::GetDlgItem(dialog, SPpgrh), WM_LBUTTONUP, 0, 0);
    HWND picker = WaitForMessageDialog(gadget_->pid());
    ASSERT_TRUE(picker);
    ::Sleep(300);
    for (const auto& [id, value] : {std::pair{706, L"255"}, std::pair{707, L"0"}, std::pair{708, L"0"}}) {
        HWND field = ::GetDlgItem(picker, id);
        ::SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value));
        ::SendMessageW(picker, WM_COMMAND, MAKEWPARAM(id, EN_UPDATE), reinterpret_cast<LPARAM>(field));
    }
    ::PostMessageW(picker, WM_COMMAND, IDOK, 0);
    ::Sleep(500);

    Press(dialog, BTok);
    ASSERT_TRUE(WaitHidden(dialog));
    // The gadget lays itself out, sets its opacity, repaints and saves, in that order: once the
    // file is saved, the window shows all of it.
    const std::u16string saved = SavedText();
    RECT r{};
    ::GetWindowRect(window_, &r);
    EXPECT_EQ(r.right - r.left, 2 * 162 + 6);
    EXPECT_EQ(r.right, ::GetSystemMetrics(SM_CXSCREEN) - 10);
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    ::GetLayeredWindowAttributes(window_, &key, &alpha, &flags);
    EXPECT_EQ(alpha, 50 * 255 / 100);
    EXPECT_TRUE(flags & LWA_COLORKEY);

    const std::int32_t year = Win32Clock().Now().date.year;
    EXPECT_NE(saved.find(u"\nCL=2\nRW=2\n"), std::u16string::npos) << ToUtf8(saved);
    EXPECT_NE(saved.find(u"\nHB=1\nDX=10\n"), std::u16string::npos);
    EXPECT_NE(saved.find(u"\nTR=50\nTB=1\n"), std::u16string::npos);
    EXPECT_NE(saved.find(u"\nGBCOLOR=0000FF\n"), std::u16string::npos);
    EXPECT_NE(saved.find(u"\nITEM1=first,2026/01/01,2026/12/31\nITEM2=second,,\nITEM3=third,2025/01/01,2025/06/01\n"),
              std::u16string::npos);
    EXPECT_NE(saved.find(FormatText(u"\nITEM4=新しい目標,%04d/12/31,2099/12/31\n", {year})), std::u16string::npos);
    const CivilDate today = Win32Clock().Now().date;
    EXPECT_NE(saved.find(FormatText(u"\nITEM5=,,%04d/%02d/05\n", {today.year, today.month})), std::u16string::npos)
        << ToUtf8(saved);
}

TEST_F(SettingsDialogTest, FailingCheckShowsItsNoticeAndWritesNothing) {
    const std::string before = ReadBytes(DefaultSettingsPath());
    HWND dialog = OpenDialog();
    ASSERT_TRUE(dialog);
    Type(L"a,b");
    SendKey(VK_RETURN);
    Press(dialog, BTok);
    HWND notice = WaitForMessageDialog(gadget_->pid());
    ASSERT_TRUE(notice);
    ::Sleep(300);
    EXPECT_EQ(WindowText(notice), L"Kestrival");
    EXPECT_TRUE(DialogShowsText(notice, L"表題に半角のカンマ,を含めないでください。"));
    ::PostMessageW(notice, WM_COMMAND, IDOK, 0);
    ::Sleep(500);
    EXPECT_TRUE(::IsWindowVisible(dialog));
    EXPECT_EQ(ReadBytes(DefaultSettingsPath()), before);

    ::SendMessageW(::GetDlgItem(dialog, EDhnum), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"151"));
    Press(dialog, BTok);
    notice = WaitForMessageDialog(gadget_->pid());
    ASSERT_TRUE(notice);
    ::Sleep(300);
    EXPECT_TRUE(DialogShowsText(notice, L"パネル数は横×縦で1～150に設定してください。"));
    ::PostMessageW(notice, WM_COMMAND, IDOK, 0);
    ::Sleep(300);
    Press(dialog, BTcancel);
    EXPECT_TRUE(WaitHidden(dialog));
    EXPECT_EQ(ReadBytes(DefaultSettingsPath()), before);
}

TEST_F(SettingsDialogTest, CancelAndEscapeLeaveTheFileAlone) {
    const std::string before = ReadBytes(DefaultSettingsPath());
    HWND dialog = OpenDialog();
    ASSERT_TRUE(dialog);
    ::SendMessageW(::GetDlgItem(dialog, EDtitl), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"changed"));
    Press(dialog, BTcancel);
    ASSERT_TRUE(WaitHidden(dialog));
    EXPECT_EQ(ReadBytes(DefaultSettingsPath()), before);

    dialog = OpenDialog();
    ASSERT_TRUE(dialog);
    wchar_t title[64] = {};
    ::GetDlgItemTextW(dialog, EDtitl, title, 64);
    EXPECT_EQ(std::wstring(title), L"Kestrival");  // refilled from the settings
    SendKey(VK_ESCAPE);
    EXPECT_TRUE(WaitHidden(dialog));
    EXPECT_EQ(ReadBytes(DefaultSettingsPath()), before);
}

TEST_F(SettingsDialogTest, EnterInTheTitleFieldPressesOk) {
    HWND dialog = OpenDialog();
    ASSERT_TRUE(dialog);
    ClickOn(::GetDlgItem(dialog, EDtitl));
    SendKey(VK_END);
    Type(L"!");
    SendKey(VK_RETURN);
    ASSERT_TRUE(WaitHidden(dialog));
    EXPECT_NE(SavedText().find(u"\nTITLE=Kestrival!\n"), std::u16string::npos);
}

TEST_F(SettingsDialogTest, DeleteAsksFirst) {
    HWND dialog = OpenDialog();
    ASSERT_TRUE(dialog);
    SendKey(VK_DOWN);  // row 2, "second"
    for (const WPARAM answer : {WPARAM{IDNO}, WPARAM{IDYES}}) {
        Press(dialog, BTdel);
        HWND question = WaitForMessageDialog(gadget_->pid());
        ASSERT_TRUE(question);
        ::Sleep(300);
        EXPECT_TRUE(DialogShowsText(question, L"選択している情報を削除しますか？"));
        ::PostMessageW(question, WM_COMMAND, answer, 0);
        ::Sleep(500);
    }
    Press(dialog, BTok);
    ASSERT_TRUE(WaitHidden(dialog));
    ::Sleep(300);
    const std::u16string saved = SavedText();
    EXPECT_NE(saved.find(u"\nITEM1=first,2026/01/01,2026/12/31\nITEM2=third,2025/01/01,2025/06/01\n"),
              std::u16string::npos)
        << ToUtf8(saved);
    EXPECT_EQ(saved.find(u"second"), std::u16string::npos);
}

// Right click on a goal row, Shift+F10 and the menu key open the row's counting menu, whose items
// are picked by their letters; its last item opens the days-off dialog. OK saves it all.
TEST_F(SettingsDialogTest, RowMenusSetHowGoalsCountAndTheDaysOff) {
    HWND dialog = OpenDialog();
    ASSERT_TRUE(dialog);
    const HWND grid = ::GetDlgItem(dialog, SGdata);
    const DWORD pid = gadget_->pid();
    // Each menu is waited for before its item's letter goes to it, and gone before the next step.
    auto menuOpen = [pid] { return FindVisibleWindow(pid, L"#32768"); };
    auto pick = [&](std::initializer_list<WORD> keys) {
        ASSERT_TRUE(WaitFor(menuOpen));
        ::Sleep(200);
        for (const WORD key : keys) SendKey(key);
        ASSERT_TRUE(WaitFor([&] { return menuOpen() ? nullptr : grid; }));
        gadget_->WaitIdle();
    };
    POINT firstRow{40, 20 + 8};  // the title cell of row 1, under the header
    ::ClientToScreen(grid, &firstRow);
    ::SetCursorPos(firstRow.x, firstRow.y);
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    ::SendInput(2, click, sizeof(INPUT));
    pick({'T'});
    SendKey(VK_DOWN);
    INPUT shiftF10[4] = {};
    for (auto& input : shiftF10) input.type = INPUT_KEYBOARD;
    shiftF10[0].ki.wVk = shiftF10[3].ki.wVk = VK_SHIFT;
    shiftF10[1].ki.wVk = shiftF10[2].ki.wVk = VK_F10;
    shiftF10[2].ki.dwFlags = shiftF10[3].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(4, shiftF10, sizeof(INPUT));
    pick({'W'});
    SendKey(VK_APPS);
    pick({'Y'});
    for (const WORD reminder : {'7', '3'}) {  // a week and 30 days before
        SendKey(VK_APPS);
        pick({reminder});
    }
    SendKey(VK_APPS);
    pick({VK_UP, VK_RETURN});
    const HWND daysOff = WaitFor([this] {
        const HWND found = FindDialogWindow(gadget_->pid());
        return found && WindowText(found) == L"休日の設定" ? found : nullptr;
    });
    ASSERT_TRUE(daysOff);
    ::Sleep(300);
    Type(L"12/29-01/03 08/13");
    SendKey(VK_RETURN);
    WaitDestroyed(daysOff);
    Press(dialog, BTok);
    ASSERT_TRUE(WaitHidden(dialog));
    const std::u16string saved = SavedText();
    EXPECT_NE(saved.find(u"\nOFFDAYS=12/29-01/03 08/13\nITEM1=first,2026/01/01,2026/12/31\nCNT1=T\n"
                         u"ITEM2=second,,\nCNT2=WY\nRMD2=7,30\nITEM3=third,2025/01/01,2025/06/01\n"),
              std::u16string::npos)
        << ToUtf8(saved);
}

TEST_F(SettingsDialogTest, BurstOfCharactersPostedToTheGridIsKeptWhole) {
    HWND dialog = OpenDialog();
    ASSERT_TRUE(dialog);
    // What an input method delivers for a confirmed string: its characters one after the other,
    // all queued before the cell's editor has opened.
    for (const wchar_t c : std::wstring(L"目標テスト")) ::PostMessageW(::GetDlgItem(dialog, SGdata), WM_CHAR, c, 0);
    Press(dialog, BTok);
    ASSERT_TRUE(WaitHidden(dialog));
    const std::u16string saved = SavedText();
    EXPECT_NE(saved.find(u"\nITEM1=目標テスト,2026/01/01,2026/12/31\n"), std::u16string::npos) << ToUtf8(saved);
}

TEST_F(SettingsDialogTest, FocusStaysWhereItWasAfterNoticesQuestionsAndThePicker) {
    HWND dialog = OpenDialog();
    ASSERT_TRUE(dialog);
    const HWND across = ::GetDlgItem(dialog, EDhnum);
    ClickOn(across);
    SendKey(VK_END);
    Type(L"51");  // 151 panels
    SendKey(VK_RETURN);
    HWND notice = WaitForMessageDialog(gadget_->pid());
    ASSERT_TRUE(notice);
    ::Sleep(300);
    ::PostMessageW(notice, WM_COMMAND, IDOK, 0);
    WaitDestroyed(notice);
    EXPECT_EQ(FocusOf(dialog), across);
    SendKey(VK_BACK);  // the field that had the keyboard still has it: 151 becomes 15
    EXPECT_EQ(WindowText(across), L"15");

    const HWND title = ::GetDlgItem(dialog, EDtitl);
    ClickOn(title);
    ::PostMessageW(::GetDlgItem(dialog, SPtstr), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    HWND picker = WaitForMessageDialog(gadget_->pid());
    ASSERT_TRUE(picker);
    ::Sleep(300);
    ::PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
    WaitDestroyed(picker);
    EXPECT_EQ(FocusOf(dialog), title);

    const HWND grid = ::GetDlgItem(dialog, SGdata);
    ClickOn(grid);
    ::PostMessageW(::GetDlgItem(dialog, BTdel), BM_CLICK, 0, 0);
    HWND question = WaitForMessageDialog(gadget_->pid());
    ASSERT_TRUE(question);
    ::Sleep(300);
    ::PostMessageW(question, WM_COMMAND, IDNO, 0);
    WaitDestroyed(question);
    // Where the keyboard was: on the grid, or on the button when clicking took it there.
    const HWND focus = FocusOf(dialog);
    EXPECT_TRUE(focus == grid || focus == ::GetDlgItem(dialog, BTdel));
    Press(dialog, BTcancel);
    EXPECT_TRUE(WaitHidden(dialog));
}

// Every label, radio button and check box shows its whole caption: the last columns of its own
// rectangle carry no ink (a clipped caption runs to the edge), and no label lies under another
// control.
TEST_F(SettingsDialogTest, EveryCaptionIsWholeAndClearOfItsNeighbours) {
    HWND dialog = OpenDialog();
    ASSERT_TRUE(dialog);
    ::Sleep(500);
    RECT area{};
    ::GetWindowRect(dialog, &area);
    const std::vector<std::uint32_t> pixels = ScreenPixels(area);
    const int width = area.right - area.left;
    const std::uint32_t background = ::GetSysColor(COLOR_BTNFACE);
    const std::uint32_t face = ((background & 0xFF) << 16) | (background & 0xFF00) | ((background >> 16) & 0xFF);
    auto inkInColumn = [&](int x, const RECT& r) {
        for (int y = r.top; y < r.bottom; ++y) {
            if (pixels[static_cast<std::size_t>((y - area.top) * width + (x - area.left))] != face) return true;
        }
        return false;
    };
    struct Control {
        HWND hwnd;
        RECT rect;
        std::wstring className;
        LONG style;
    };
    std::vector<Control> controls;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[32] = {};
        ::GetClassNameW(child, className, 32);
        RECT r{};
        ::GetWindowRect(child, &r);
        controls.push_back({child, r, className, static_cast<LONG>(::GetWindowLongPtrW(child, GWL_STYLE))});
    }
    int checked = 0;
    for (const Control& c : controls) {
        const bool label = c.className == L"Static" && ::GetDlgCtrlID(c.hwnd) >= FirstLabel;
        const LONG kind = c.style & BS_TYPEMASK;
        const bool choice = c.className == L"Button" && (kind == BS_AUTORADIOBUTTON || kind == BS_AUTOCHECKBOX);
        if (!label && !choice) continue;
        ++checked;
        const std::wstring caption = WindowText(c.hwnd);
        EXPECT_FALSE(inkInColumn(c.rect.right - 1, c.rect)) << "clipped: " << ToUtf8(FromWide(caption));
        if (!label) continue;
        for (const Control& other : controls) {
            const bool group = other.className == L"Button" && (other.style & BS_TYPEMASK) == BS_GROUPBOX;
            RECT overlap{};
            if (other.hwnd == c.hwnd || group || !::IntersectRect(&overlap, &c.rect, &other.rect)) continue;
            // Where a label and a control meet, neither draws: the label's ink ends before it.
            bool ink = false;
            for (int x = overlap.left; x < overlap.right && !ink; ++x) ink = inkInColumn(x, overlap);
            EXPECT_FALSE(ink) << "under another control: " << ToUtf8(FromWide(caption));
        }
    }
    EXPECT_GE(checked, 38);  // every label, radio button and check box was looked at
    Press(dialog, BTcancel);
    EXPECT_TRUE(WaitHidden(dialog));
}

}  // namespace
}  // namespace kestrival::e2e
