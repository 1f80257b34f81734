// Kestrival.exe as a screen reader reads it, from another process: the gadget's own IAccessible,
// handed over by the system, with the title band and every goal with its numbers and place.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "settings/dialog/setup_form_table.h"
#include "support/text.h"
#include "support/win32/clock.h"
#include "support/win32/wide_text.h"
#include "tests/common/win32/accessible_reader.h"
#include "tests/common/win32/wine_helpers.h"

namespace kestrival::e2e {
namespace {

class AccessibilityTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteTree(DocumentsFolder() + L"\\ZKFILES"); }
    void TearDown() override { DeleteTree(DocumentsFolder() + L"\\ZKFILES"); }
    ComApartment com_;
};

TEST_F(AccessibilityTest, AReaderInAnotherProcessFindsTheTitleBandAndEveryGoal) {
    WriteBytes(DefaultSettingsPath(),
               Utf16File(u"TITLE=目標\r\nDVIEW=1\r\nCL=1\r\nRW=3\r\n"
                         u"ITEM1=試験,2020/01/01,2099/01/01\r\nITEM2=禁煙,2020/06/01,\r\nCNT2=T\r\n"));
    GadgetProcess gadget;
    HWND window = gadget.WaitForGadget();
    ASSERT_TRUE(window);
    gadget.WaitIdle();
    const ReadWindow read = ReadAccessible(window);
    ASSERT_EQ(read.result, S_OK);
    const LocalDateTime now = Win32Clock().Now();
    const auto daysTo = [today = DaysOf(now)](CivilDate date) {
        return static_cast<std::int32_t>(DayNumber(date) - today);
    };
    EXPECT_EQ(read.self.name, L"目標、" + Wide(DateText(now.date)));
    ASSERT_EQ(read.children.size(), 2u);
    EXPECT_EQ(read.children[0].name, L"試験");
    EXPECT_EQ(read.children[0].value, Wide(FormatText(u"2020/01/01 から 2099/01/01、経過 %d 日、残り %d 日",
                                                      {-daysTo({2020, 1, 1}), daysTo({2099, 1, 1})})));
    EXPECT_EQ(read.children[1].name, L"禁煙");
    // Counting today, and saying so.
    EXPECT_EQ(read.children[1].value, L"2020/06/01 から " + Wide(DateText(now.date)) +
                                          Wide(FormatText(u"、経過 %d 日、今日を含める", {1 - daysTo({2020, 6, 1})})));
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    for (const ReadElement& panel : read.children) {
        EXPECT_EQ(panel.role, ROLE_SYSTEM_STATICTEXT);
        EXPECT_TRUE(panel.place.left >= bounds.left && panel.place.right <= bounds.right &&
                    panel.place.top >= bounds.top && panel.place.bottom <= bounds.bottom &&
                    panel.place.bottom > panel.place.top)
            << "a panel's place lies within the window";
    }
    EXPECT_EQ(gadget.CloseAndWait(), 0);
}

// Every control of the settings dialog has a name no other control has, as the system's objects
// and the swatches' own give it: the label before it, with its group's caption where another
// control has the same label, and a swatch's colour as its value. The goal grid has its name.
TEST_F(AccessibilityTest, EveryControlOfTheSettingsDialogHasItsName) {
    WriteBytes(DefaultSettingsPath(), Utf16File(u"PNCOLOR=00DD00\r\n"));
    GadgetProcess gadget;
    HWND window = gadget.WaitForGadget();
    ASSERT_TRUE(window);
    HWND dialog = OpenSettingsDialog(gadget, window);
    ASSERT_TRUE(dialog);
    gadget.WaitIdle();
    std::wstring unnamed;
    std::map<std::wstring, int> named;
    for (const ControlRow& row : SetupFormRows()) {
        if (row.id == 0) continue;
        HWND control = ::GetDlgItem(dialog, row.id);
        ASSERT_TRUE(control) << row.id;
        const ReadWindow read = ReadAccessible(control);
        ASSERT_EQ(read.result, S_OK) << row.id;
        if (read.self.name != Wide(ControlName(row.id))) {
            unnamed += std::to_wstring(row.id) + L"=" + read.self.name + L" ";
        }
        // A spinner goes by its edit's name.
        if (row.kind != ControlKind::kSpinner) {
            const auto [first, added] = named.emplace(read.self.name, row.id);
            EXPECT_TRUE(added) << "one name for " << first->second << " and " << row.id;
        }
        if (row.kind == ControlKind::kSwatch) {
            EXPECT_EQ(read.self.role, ROLE_SYSTEM_PUSHBUTTON);
        }
    }
    EXPECT_EQ(unnamed, L"") << "controls whose names are not their labels";
    const ReadWindow elapsedColour = ReadAccessible(::GetDlgItem(dialog, setup_ids::SPppdy));
    EXPECT_EQ(elapsedColour.self.name, L"経過日数色");
    EXPECT_EQ(elapsedColour.self.value, L"赤 0、緑 221、青 0");
    EXPECT_EQ(ReadAccessible(::GetDlgItem(dialog, setup_ids::SPfbck)).self.name, L"外観 背景色");
    // A radio button renamed for its group still reads as the system's radio buttons do.
    const ReadWindow verticalCentre = ReadAccessible(::GetDlgItem(dialog, setup_ids::RBvcnt));
    EXPECT_EQ(verticalCentre.self.name, L"縦設定 中央");
    EXPECT_EQ(verticalCentre.self.role, ReadAccessible(::GetDlgItem(dialog, setup_ids::RBvtop)).self.role);
    EXPECT_EQ(ReadAccessible(::GetDlgItem(dialog, setup_ids::SGdata)).self.name, L"目標の一覧");
    // A named edit still reads as the system's edit, with its text as its value.
    const ReadWindow panelsAcross = ReadAccessible(::GetDlgItem(dialog, setup_ids::EDhnum));
    EXPECT_EQ(panelsAcross.self.role, ROLE_SYSTEM_TEXT);
    EXPECT_EQ(panelsAcross.self.value, L"1");
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    gadget.WaitIdle();
    EXPECT_EQ(gadget.CloseAndWait(), 0);
}

std::vector<LONG> focusedChildren;
void CALLBACK OnFocus(HWINEVENTHOOK, DWORD, HWND, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT) focusedChildren.push_back(child);
}

// The goal grid reads as a table: header cells, then each goal cell by its text, column and row;
// moving the current cell gives that cell the focus.
TEST_F(AccessibilityTest, TheGoalGridIsATableOfNamedCellsWithTheCurrentOneFocused) {
    WriteBytes(DefaultSettingsPath(), Utf16File(u"ITEM1=試験,2026/01/01,2027/01/01\r\nITEM2=禁煙,2026/06/01,\r\n"));
    GadgetProcess gadget;
    HWND window = gadget.WaitForGadget();
    ASSERT_TRUE(window);
    HWND dialog = OpenSettingsDialog(gadget, window);
    ASSERT_TRUE(dialog);
    gadget.WaitIdle();
    HWND grid = ::GetDlgItem(dialog, setup_ids::SGdata);
    const ReadWindow table = ReadAccessible(grid);
    ASSERT_EQ(table.result, S_OK);
    EXPECT_EQ(table.self.role, ROLE_SYSTEM_TABLE);
    ASSERT_EQ(table.children.size(), 3u * 151u);
    const struct {
        std::size_t index;
        long role;
        const wchar_t* name;
        const wchar_t* place;
    } cells[] = {
        {0, ROLE_SYSTEM_COLUMNHEADER, L"表題", L""},
        {2, ROLE_SYSTEM_COLUMNHEADER, L"終了日", L""},
        {3, ROLE_SYSTEM_CELL, L"試験", L"表題、1 行目"},
        {5, ROLE_SYSTEM_CELL, L"2027/01/01", L"終了日、1 行目"},
        {7, ROLE_SYSTEM_CELL, L"2026/06/01", L"開始日、2 行目"},
        {8, ROLE_SYSTEM_CELL, L"", L"終了日、2 行目"},
    };
    for (const auto& c : cells) {
        const ReadElement& cell = table.children[c.index];
        EXPECT_EQ(cell.role, c.role) << c.index;
        EXPECT_EQ(cell.name, c.name) << c.index;
    }
    // The cell's place in words, as its description.
    IAccessible* object = nullptr;
    ASSERT_EQ(::AccessibleObjectFromWindow(grid, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                           reinterpret_cast<void**>(&object)),
              S_OK);
    for (const auto& c : cells) {
        VARIANT child;
        ::VariantInit(&child);
        child.vt = VT_I4;
        child.lVal = static_cast<LONG>(c.index) + 1;
        BSTR text = nullptr;
        object->get_accDescription(child, &text);
        EXPECT_EQ(std::wstring(text ? text : L""), c.place) << c.index;
        ::SysFreeString(text);
    }
    object->Release();
    RECT gridRect{};
    ::GetWindowRect(grid, &gridRect);
    EXPECT_GE(table.children[3].place.top, gridRect.top);
    EXPECT_EQ(table.children[450].place.bottom, 0) << "row 150 is scrolled out of view";
    EXPECT_NE(table.children[450].state & STATE_SYSTEM_INVISIBLE, 0);

    // The grid has the keyboard with row 1's title current; a move right focuses the next cell.
    EXPECT_EQ(table.focus, 4);
    HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, OnFocus, gadget.pid(), 0,
                                           WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(hook);
    focusedChildren.clear();
    SendKey(VK_RIGHT);
    gadget.WaitIdle();
    for (int i = 0; i < 40 && focusedChildren.empty(); ++i) {
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        ::Sleep(25);
    }
    ::UnhookWinEvent(hook);
    EXPECT_EQ(focusedChildren, std::vector<LONG>{5});
    EXPECT_EQ(FocusOf(grid), 5);
    // Typing opens the cell's editor, which is named by the cell's column and row.
    SendKey('A');
    gadget.WaitIdle();
    HWND editor = ::GetFocus() ? nullptr : ::FindWindowExW(grid, nullptr, L"EDIT", nullptr);
    ASSERT_TRUE(editor);
    const ReadWindow editing = ReadAccessible(editor);
    EXPECT_EQ(editing.self.name, L"開始日、1 行目");
    EXPECT_EQ(editing.self.role, ROLE_SYSTEM_TEXT);
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    gadget.WaitIdle();
    EXPECT_EQ(gadget.CloseAndWait(), 0);
}

VARIANT ChildId(LONG id) {
    VARIANT child;
    ::VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

IAccessible* ObjectOf(HWND window) {
    IAccessible* object = nullptr;
    ::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                 reinterpret_cast<void**>(&object));
    return object;
}

// A child the object does not have gets "no such child" and nothing in return, whatever is asked.
void ExpectNoSuchChild(IAccessible* object, const VARIANT& child, const std::string& what) {
    IDispatch* element = nullptr;
    EXPECT_EQ(object->get_accChild(child, &element), E_INVALIDARG) << what;
    EXPECT_EQ(element, nullptr) << what;
    for (auto text : {&IAccessible::get_accName, &IAccessible::get_accValue, &IAccessible::get_accDescription}) {
        BSTR value = nullptr;
        EXPECT_EQ((object->*text)(child, &value), E_INVALIDARG) << what;
        EXPECT_EQ(value, nullptr) << what;
        ::SysFreeString(value);
    }
    for (auto property : {&IAccessible::get_accRole, &IAccessible::get_accState}) {
        VARIANT value;
        ::VariantInit(&value);
        EXPECT_EQ((object->*property)(child, &value), E_INVALIDARG) << what;
        EXPECT_EQ(value.vt, VT_EMPTY) << what;
    }
    LONG left = 1, top = 1, width = 1, height = 1;
    EXPECT_EQ(object->accLocation(&left, &top, &width, &height, child), E_INVALIDARG) << what;
    EXPECT_EQ(width, 0) << what;
    VARIANT next;
    ::VariantInit(&next);
    EXPECT_EQ(object->accNavigate(NAVDIR_NEXT, child, &next), E_INVALIDARG) << what;
    EXPECT_EQ(next.vt, VT_EMPTY) << what;
}

// Moving past either end of the children, or below a child, finds nothing.
void ExpectNothingPastTheEnds(IAccessible* object, LONG last) {
    const struct {
        LONG direction, from;
    } moves[] = {{NAVDIR_NEXT, last}, {NAVDIR_PREVIOUS, 1}, {NAVDIR_FIRSTCHILD, 1}, {NAVDIR_LASTCHILD, last}};
    for (const auto& move : moves) {
        VARIANT end;
        ::VariantInit(&end);
        EXPECT_EQ(object->accNavigate(move.direction, ChildId(move.from), &end), S_FALSE) << move.direction;
        EXPECT_EQ(end.vt, VT_EMPTY) << move.direction;
    }
}

// Questions a reader should not ask: children before the first and after the last, ids of the
// wrong type, moves past the ends, a point off the screen, also of an object held after its
// dialog has closed. Each gets its documented empty answer, and the gadget lives on to close
// normally.
TEST_F(AccessibilityTest, OddQuestionsGetEmptyAnswersAndTheGadgetLivesOn) {
    WriteBytes(DefaultSettingsPath(), Utf16File(u"DVIEW=1\r\nCL=1\r\nRW=3\r\nITEM1=試験,2026/01/01,2027/01/01\r\n"
                                                u"ITEM2=禁煙,2026/06/01,\r\n"));
    GadgetProcess gadget;
    HWND window = gadget.WaitForGadget();
    ASSERT_TRUE(window);
    gadget.WaitIdle();
    IAccessible* panels = ObjectOf(window);
    ASSERT_TRUE(panels);
    LONG panelCount = 0;
    ASSERT_EQ(panels->get_accChildCount(&panelCount), S_OK);
    ASSERT_EQ(panelCount, 2);
    VARIANT wrongType;
    ::VariantInit(&wrongType);
    wrongType.vt = VT_I2;
    wrongType.iVal = 1;
    for (const LONG id : {-1L, 3L, 150L, 151L, 0x7FFFFFFFL, -0x7FFFFFFFL - 1}) {
        ExpectNoSuchChild(panels, ChildId(id), "panel " + std::to_string(id));
    }
    ExpectNoSuchChild(panels, wrongType, "a panel id of the wrong type");
    ExpectNothingPastTheEnds(panels, 2);
    VARIANT hit;
    ::VariantInit(&hit);
    EXPECT_EQ(panels->accHitTest(-30000, -30000, &hit), S_FALSE);
    EXPECT_EQ(hit.vt, VT_EMPTY);

    HWND dialog = OpenSettingsDialog(gadget, window);
    ASSERT_TRUE(dialog);
    gadget.WaitIdle();
    IAccessible* cells = ObjectOf(::GetDlgItem(dialog, setup_ids::SGdata));
    ASSERT_TRUE(cells);
    for (const LONG id : {-1L, 454L, 0x7FFFFFFFL, -0x7FFFFFFFL - 1}) {
        ExpectNoSuchChild(cells, ChildId(id), "cell " + std::to_string(id));
    }
    ExpectNoSuchChild(cells, wrongType, "a cell id of the wrong type");
    ExpectNothingPastTheEnds(cells, 453);
    // Held past the dialog's closing: the form is kept, hidden, for its next opening, and its
    // grid's object still reads the grid.
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    gadget.WaitIdle();
    for (int i = 0; i < 250 && ::IsWindowVisible(dialog); ++i) ::Sleep(20);
    EXPECT_FALSE(::IsWindowVisible(dialog));
    BSTR name = nullptr;
    EXPECT_EQ(cells->get_accName(ChildId(4), &name), S_OK);
    EXPECT_EQ(std::wstring(name ? name : L""), L"試験");
    ::SysFreeString(name);
    name = nullptr;
    ExpectNoSuchChild(cells, ChildId(454), "a cell of the closed dialog");
    cells->Release();
    EXPECT_EQ(panels->get_accName(ChildId(1), &name), S_OK);
    EXPECT_EQ(std::wstring(name ? name : L""), L"試験");
    ::SysFreeString(name);
    panels->Release();
    EXPECT_EQ(gadget.CloseAndWait(), 0);
}

}  // namespace
}  // namespace kestrival::e2e
