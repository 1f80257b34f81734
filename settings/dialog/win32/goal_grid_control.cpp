#include "settings/dialog/win32/goal_grid_control.h"

#include <windowsx.h>

#include <algorithm>
#include <array>
#include <string>

#include "settings/dialog/count_menu.h"
#include "settings/dialog/grid_reading.h"
#include "settings/dialog/win32/goal_grid_accessible.h"
#include "support/ui_texts.h"
#include "support/win32/gdi_handles.h"
#include "support/win32/handles.h"
#include "support/win32/named_control.h"
#include "support/win32/wide_text.h"
#include "support/win32/window_proc.h"

namespace kestrival {
namespace {

constexpr const wchar_t* kGridClass = L"KestrivalGoalGrid";
// At 96 DPI.
constexpr std::array<const char16_t*, kGoalColumns> kHeaders = {texts::kGridTitle, texts::kGridStart, texts::kGridEnd};

RECT AsRECT(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

// The width `text` takes in the font selected into `dc`; 0 for no text.
int TextWidth(HDC dc, const std::wstring& text) {
    if (text.empty()) return 0;
    RECT measured{};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    return measured.right - measured.left;
}

void RegisterGridClass(WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kGridClass;
    ::RegisterClassExW(&windowClass);
}

}  // namespace

GoalGridControl::GoalGridControl(HWND parent, int id, const RECT& bounds, HFONT font, GoalGrid& grid,
                                 std::function<CivilDate()> today, std::int32_t dpi)
    : font_(font), grid_(grid), today_(std::move(today)), layout_(GridLayout::AtDpi(dpi)) {
    RegisterGridClass(&RoutedWindowProc<GoalGridControl>);
    hwnd_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, kGridClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL,
                              bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), this);
    editor_ = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 10, 10, hwnd_, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(editor_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    // Named for readers before the grid's own subclass, which hands on to this one.
    NameForReaders(editor_, GridCellPlace({grid_.column, grid_.row}));
    ::SetWindowLongPtrW(editor_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    editorDefault_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(editor_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&GoalGridControl::EditorProc)));
    UpdateScrollBar();
}

GoalGridControl::~GoalGridControl() {
    if (editor_) {
        ::SetWindowLongPtrW(editor_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editorDefault_));
        ::SetWindowLongPtrW(editor_, GWLP_USERDATA, 0);
    }
    if (hwnd_) ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
}

LRESULT GoalGridControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_GETDLGCODE:
            // Enter belongs to the grid, so it never presses the dialog's OK; Tab leaves the grid.
            return DLGC_WANTARROWS | DLGC_WANTCHARS |
                   (lParam && reinterpret_cast<MSG*>(lParam)->wParam == VK_RETURN ? DLGC_WANTMESSAGE : 0);
        case WM_LBUTTONDOWN:
            OnClick(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), false);
            return 0;
        case WM_LBUTTONDBLCLK:
            OnClick(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), true);
            return 0;
        case WM_KEYDOWN:
            OnKeyDown(wParam);
            return 0;
        case WM_SYSKEYDOWN:
            // Shift+F10 opens the row's menu, as the menu key does.
            if (wParam == VK_F10 && (::GetKeyState(VK_SHIFT) & 0x8000)) {
                ShowCountMenuAtCurrentCell();
                return 0;
            }
            return ::DefWindowProcW(hwnd_, message, wParam, lParam);
        case WM_RBUTTONDOWN:
            OnRightButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_CONTEXTMENU:
            // From the mouse only: the grid answers the keys that ask for a menu itself, and the
            // system's own message for them would open a second one.
            if (lParam != -1) OnContextMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        case WM_CHAR:
            OnChar(static_cast<wchar_t>(wParam));
            return 0;
        case WM_IME_STARTCOMPOSITION:
            OnStartComposition();
            return ::SendMessageW(editor_, message, wParam, lParam);
        case WM_IME_COMPOSITION:
        case WM_IME_ENDCOMPOSITION:
            // The editor owns the composition once it is open.
            if (grid_.editorOpen) return ::SendMessageW(editor_, message, wParam, lParam);
            return ::DefWindowProcW(hwnd_, message, wParam, lParam);
        case kCompositionEndedMessage:
            OnCompositionEnded();
            return 0;
        case WM_VSCROLL:
            OnVScroll(LOWORD(wParam));
            return 0;
        case WM_MOUSEWHEEL:
            topRow_ = ScrolledTopRow(GridScroll::kWheel, topRow_, VisibleRows(),
                                     GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA);
            UpdateScrollBar();
            PlaceEditor();
            ::InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        case WM_SETFOCUS:
            ::InvalidateRect(hwnd_, nullptr, FALSE);
            AnnounceCurrentCell();
            return 0;
        case WM_GETOBJECT:
            if (LRESULT answer = OnGetObject(wParam, lParam)) return answer;
            return ::DefWindowProcW(hwnd_, message, wParam, lParam);
        case WM_DESTROY:
            accessible_.Reset();
            return 0;
        case WM_KILLFOCUS:
            OnFocusLeft(reinterpret_cast<HWND>(wParam));
            return 0;
        default:
            return ::DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

LRESULT CALLBACK GoalGridControl::EditorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* control = reinterpret_cast<GoalGridControl*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!control) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    bool handled = false;
    const LRESULT result = control->HandleEditorKey(message, wParam, lParam, handled);
    return handled ? result : ::CallWindowProcW(control->editorDefault_, hwnd, message, wParam, lParam);
}

LRESULT GoalGridControl::HandleEditorKey(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    switch (message) {
        case WM_GETDLGCODE: {
            const LRESULT code = ::CallWindowProcW(editorDefault_, editor_, message, wParam, lParam);
            const auto* msg = reinterpret_cast<MSG*>(lParam);
            const bool enterOrEscape = msg && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE);
            return code | DLGC_WANTARROWS | (enterOrEscape ? DLGC_WANTMESSAGE : 0);
        }
        case WM_CHAR:
            if (wParam == VK_RETURN) {
                Enter();
                return 0;
            }
            if (wParam == VK_ESCAPE) return 0;
            break;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {  // abandons the typing and shows the cell as it was
                Press(GridKey::kCancelEdit);
                return 0;
            }
            if (wParam == VK_UP || wParam == VK_DOWN) {
                TakeEditorText();
                Press(wParam == VK_UP ? GridKey::kUp : GridKey::kDown);
                return 0;
            }
            break;
        case WM_KILLFOCUS:
            ::CallWindowProcW(editorDefault_, editor_, message, wParam, lParam);
            if (reinterpret_cast<HWND>(wParam) != hwnd_) OnFocusLeft(reinterpret_cast<HWND>(wParam));
            return 0;
        case WM_IME_ENDCOMPOSITION:
            // Looked at once the composition's result, if any, has been typed into the editor.
            if (composingInNewEditor_) ::PostMessageW(hwnd_, kCompositionEndedMessage, 0, 0);
            break;
        default:
            break;
    }
    handled = false;
    return 0;
}

void GoalGridControl::OnCompositionEnded() {
    if (!composingInNewEditor_) return;
    composingInNewEditor_ = false;
    // A composition that opened the editor and was cancelled (Esc) before it committed any text
    // leaves the cell as it was: an empty editor would otherwise blank the cell when left.
    if (grid_.editorOpen && ::GetWindowTextLengthW(editor_) == 0) CloseEditor();
}

int GoalGridControl::VisibleRows() const {
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    return layout_.VisibleRows(client.bottom);
}

RECT GoalGridControl::CellRect(int column, int row) const { return AsRECT(layout_.CellRect(column, row, topRow_)); }

void GoalGridControl::UpdateScrollBar() {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 1;
    info.nMax = kGoalRows;
    info.nPage = static_cast<UINT>(VisibleRows());
    info.nPos = topRow_;
    ::SetScrollInfo(hwnd_, SB_VERT, &info, TRUE);
}

void GoalGridControl::OnPaint() {
    const PaintScope paint(hwnd_);
    const HDC target = paint.dc();
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    // Drawn off screen and copied once, so scrolling does not flicker.
    MemoryDC memory;
    HDC dc = memory.get();
    Bitmap bitmap(::CreateCompatibleBitmap(target, client.right, client.bottom));
    ScopedSelect bitmapSelection(dc, bitmap.get());
    ScopedSelect fontSelection(dc, font_);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOW));
    ::SetBkMode(dc, TRANSPARENT);
    const bool focused = ::GetFocus() == hwnd_ || ::GetFocus() == editor_;
    const int lastRow = std::min(kGoalRows, topRow_ + VisibleRows());
    auto drawCell = [&](int column, int row) {
        const Rect area = layout_.CellRect(column, row, topRow_);
        RECT cell = AsRECT(area);
        const bool current = row == grid_.row && column == grid_.column;
        int background = row == 0 ? COLOR_BTNFACE : COLOR_WINDOW;
        if (current && focused) background = COLOR_HIGHLIGHT;
        ::FillRect(dc, &cell, ::GetSysColorBrush(background));
        ::SetTextColor(dc, ::GetSysColor(current && focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        const std::wstring text =
            row == 0 ? AsWide(kHeaders[static_cast<std::size_t>(column)]) : Wide(grid_.Cell(column, row));
        // A row's counting choices show at the right end of its title cell, in grey; a cell
        // without marks gives its text the whole cell inside the insets.
        const std::wstring mark = row != 0 && column == kTitleColumn
                                      ? Wide(GoalMarks(grid_.Choices(row), grid_.Reminders(row).choices))
                                      : std::wstring();
        const TitleCellParts parts = layout_.SplitTitleCell(area, TextWidth(dc, mark));
        if (!mark.empty()) {
            RECT marks = AsRECT(parts.marks);
            const COLORREF textColour = ::GetTextColor(dc);
            if (!(current && focused)) ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
            ::DrawTextW(dc, mark.c_str(), static_cast<int>(mark.size()), &marks,
                        DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
            ::SetTextColor(dc, textColour);
        }
        RECT title = AsRECT(parts.title);
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &title,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    };
    for (int c = 0; c < kGoalColumns; ++c) drawCell(c, 0);
    for (int r = topRow_; r <= lastRow; ++r) {
        for (int c = 0; c < kGoalColumns; ++c) drawCell(c, r);
    }
    {
        ScopedSelect pen(dc, ::GetStockObject(DC_PEN));
        ::SetDCPenColor(dc, ::GetSysColor(COLOR_BTNSHADOW));
        const int gridWidth = layout_.ColumnLeft(kGoalColumns);
        for (int r = 0; r <= lastRow - topRow_ + 1; ++r) {
            const int y = r * layout_.RowPitch() + layout_.rowHeight;
            ::MoveToEx(dc, 0, y, nullptr);
            ::LineTo(dc, gridWidth, y);
        }
        for (int c = 1; c <= kGoalColumns; ++c) {
            const int x = layout_.ColumnLeft(c) - layout_.line;
            ::MoveToEx(dc, x, 0, nullptr);
            ::LineTo(dc, x, client.bottom);
        }
    }
    ::BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
}

void GoalGridControl::OnClick(int x, int y, bool open) {
    ::SetFocus(hwnd_);
    const auto cell = layout_.CellAt({x, y}, topRow_);
    if (!cell || cell->row < 1) return;  // off the table, or its header
    Move(cell->column, cell->row);
    if (open) OpenEditor(true);
}

void GoalGridControl::Move(int column, int row) {
    TakeEditorText();
    SelectCell(grid_, column, row, today_());
    CloseEditor();
    ScrollToCurrent();
    ::InvalidateRect(hwnd_, nullptr, FALSE);
    NotifyClick();
}

void GoalGridControl::OnRightButtonDown(int x, int y) {
    ::SetFocus(hwnd_);
    const auto cell = layout_.CellAt({x, y}, topRow_);
    if (!cell || cell->row < 1) return;
    Move(cell->column, cell->row);
}

void GoalGridControl::OnContextMenu(POINT at) {
    // Only a goal row has choices: nothing for the header or past the columns.
    POINT client = at;
    ::ScreenToClient(hwnd_, &client);
    const auto cell = layout_.CellAt({client.x, client.y}, topRow_);
    if (cell && cell->row >= 1) ShowCountMenu(at);
}

void GoalGridControl::ShowCountMenuAtCurrentCell() {
    const RECT cell = CellRect(grid_.column, grid_.row);
    POINT at{cell.left, cell.bottom};
    ::ClientToScreen(hwnd_, &at);
    ShowCountMenu(at);
}

void GoalGridControl::ShowCountMenu(POINT at) {
    TakeEditorText();
    SGdataExit(grid_, today_());
    CloseEditor();
    const HMENU menu = ::CreatePopupMenu();
    if (!menu) return;
    CountChoices& choices = grid_.Choices(grid_.row);
    ReminderChoices& reminders = grid_.Reminders(grid_.row).choices;
    UINT command = 1;
    for (const CountMenuRow& row : CountMenuRows()) {
        if (row.separatorBefore) ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        item.fType = MFT_STRING | (row.mark == CountMenuMark::kRadio ? MFT_RADIOCHECK : 0);
        const bool heading = row.item == CountMenuItem::kHeading || row.item == CountMenuItem::kRemindHeading;
        item.fState = (heading ? MFS_GRAYED : MFS_ENABLED) |
                      (RowMenuChecked(row.item, choices, reminders) ? MFS_CHECKED : MFS_UNCHECKED);
        item.wID = command++;
        std::wstring text = AsWide(row.text);
        item.dwTypeData = text.data();
        ::InsertMenuItemW(menu, ::GetMenuItemCount(menu), TRUE, &item);
    }
    const auto chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, hwnd_, nullptr));
    ::DestroyMenu(menu);
    const auto rows = CountMenuRows();
    if (chosen == 0 || chosen > rows.size()) return;
    const CountMenuItem item = rows[chosen - 1].item;
    if (item == CountMenuItem::kDaysOff) {
        if (onDaysOff) onDaysOff();
    } else {
        ApplyRowMenuItem(item, choices, reminders);
    }
    ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void GoalGridControl::OnKeyDown(WPARAM key) {
    if (key == VK_APPS) {
        ShowCountMenuAtCurrentCell();
        return;
    }
    static constexpr struct {
        WPARAM virtualKey;
        GridKey key;
    } kKeys[] = {
        {VK_UP, GridKey::kUp},       {VK_DOWN, GridKey::kDown},    {VK_LEFT, GridKey::kLeft},
        {VK_RIGHT, GridKey::kRight}, {VK_PRIOR, GridKey::kPageUp}, {VK_NEXT, GridKey::kPageDown},
        {VK_HOME, GridKey::kHome},   {VK_END, GridKey::kEnd},      {VK_F2, GridKey::kEdit},
    };
    for (const auto& entry : kKeys) {
        if (entry.virtualKey == key) {
            Press(entry.key);
            return;
        }
    }
}

void GoalGridControl::Press(GridKey key) {
    switch (PressGridKey(grid_, key, VisibleRows(), today_())) {
        case GridAction::kMoved:
            CloseEditor();
            ScrollToCurrent();
            ::InvalidateRect(hwnd_, nullptr, FALSE);
            NotifyClick();
            break;
        case GridAction::kEditorOpened:
            OpenEditor(false);
            break;
        case GridAction::kEditorClosed:
            CloseEditor();
            break;
        case GridAction::kNone:
            break;
    }
}

void GoalGridControl::OnChar(wchar_t character) {
    if (character == VK_RETURN) {
        Enter();
    } else if (character >= 0x20) {
        if (grid_.editorOpen) {
            // More of a burst (an input method's result, a paste of keys) that was queued for
            // the grid before the editor took the focus: it continues the typing.
            ::SendMessageW(editor_, WM_CHAR, character, 0);
        } else {
            OpenEditor(false, Wide(TypeIntoGrid(grid_, static_cast<char16_t>(character))).c_str());
        }
    }
}

void GoalGridControl::OnStartComposition() {
    // An input method starts composing on the grid: the cell's editor opens empty, as typing
    // replaces the cell, and the composition happens in it.
    if (grid_.editorOpen) return;
    OpenEditor(false, L"");
    composingInNewEditor_ = true;
}

void GoalGridControl::Enter() {
    if (grid_.editorOpen) TakeEditorText();
    const int oldColumn = grid_.column, oldRow = grid_.row;
    SGdataEnter(grid_, today_());
    const bool moved = grid_.column != oldColumn || grid_.row != oldRow;
    if (grid_.editorOpen) {
        ScrollToCurrent();
        OpenEditor(true);
    } else {
        CloseEditor();
    }
    if (moved) NotifyClick();
    ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void GoalGridControl::OpenEditor(bool selectAll, const wchar_t* replaceWith) {
    grid_.editorOpen = true;
    NameForReaders(editor_, GridCellPlace({grid_.column, grid_.row}));
    ScrollToCurrent();
    const std::wstring text = replaceWith ? std::wstring(replaceWith) : Wide(grid_.Cell(grid_.column, grid_.row));
    ::SetWindowTextW(editor_, text.c_str());
    PlaceEditor();
    ::ShowWindow(editor_, SW_SHOW);
    ::SetFocus(editor_);
    if (selectAll) {
        ::SendMessageW(editor_, EM_SETSEL, 0, -1);
    } else {
        ::SendMessageW(editor_, EM_SETSEL, text.size(), text.size());
    }
}

void GoalGridControl::PlaceEditor() {
    if (!grid_.editorOpen) return;
    const RECT cell = CellRect(grid_.column, grid_.row);
    const bool visible = grid_.row >= topRow_ && grid_.row <= topRow_ + VisibleRows() - 1;
    ::SetWindowPos(editor_, HWND_TOP, cell.left, cell.top + 1, cell.right - cell.left, cell.bottom - cell.top - 1,
                   SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void GoalGridControl::CloseEditor() {
    grid_.editorOpen = false;
    composingInNewEditor_ = false;
    // A hidden editor must not keep the keyboard: the grid takes it back.
    if (::GetFocus() == editor_) ::SetFocus(hwnd_);
    ::ShowWindow(editor_, SW_HIDE);
    ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void GoalGridControl::TakeEditorText() {
    if (!grid_.editorOpen) return;
    const int length = ::GetWindowTextLengthW(editor_);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::GetWindowTextW(editor_, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    grid_.Cell(grid_.column, grid_.row) = FromWide(text);
}

void GoalGridControl::OnFocusLeft(HWND to) {
    if (to == editor_ || to == hwnd_) return;
    // The focus leaves the grid: the cell being left is normalised and the editor closes.
    TakeEditorText();
    SGdataExit(grid_, today_());
    CloseEditor();
}

void GoalGridControl::ScrollToCurrent() {
    topRow_ = TopRowShowing(grid_.row, topRow_, VisibleRows());
    UpdateScrollBar();
    PlaceEditor();
    ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void GoalGridControl::OnVScroll(WORD request) {
    static constexpr struct {
        WORD request;
        GridScroll scroll;
    } kRequests[] = {
        {SB_LINEUP, GridScroll::kLineUp},    {SB_LINEDOWN, GridScroll::kLineDown},
        {SB_PAGEUP, GridScroll::kPageUp},    {SB_PAGEDOWN, GridScroll::kPageDown},
        {SB_TOP, GridScroll::kTop},          {SB_BOTTOM, GridScroll::kBottom},
        {SB_THUMBTRACK, GridScroll::kThumb}, {SB_THUMBPOSITION, GridScroll::kThumb},
    };
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    ::GetScrollInfo(hwnd_, SB_VERT, &info);
    for (const auto& entry : kRequests) {
        if (entry.request == request) topRow_ = ScrolledTopRow(entry.scroll, topRow_, VisibleRows(), info.nTrackPos);
    }
    UpdateScrollBar();
    PlaceEditor();
    ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void GoalGridControl::Refresh() {
    if (grid_.editorOpen) {
        OpenEditor(true);
    } else {
        ::ShowWindow(editor_, SW_HIDE);
    }
    ScrollToCurrent();
    ::InvalidateRect(hwnd_, nullptr, FALSE);
}

LRESULT GoalGridControl::OnGetObject(WPARAM flags, LPARAM objectId) {
    if (static_cast<LONG>(objectId) != OBJID_CLIENT) return 0;
    if (!accessible_) {
        accessible_.Reset(new GridAccessible(hwnd_, grid_, [this](int column, int row) -> std::optional<RECT> {
            if (row != 0 && (row < topRow_ || row > topRow_ + VisibleRows() - 1)) return std::nullopt;
            return CellRect(column, row);
        }));
    }
    return accessible_->Answer(flags, objectId);
}

// The current cell becomes the selection and, while the grid has the keyboard, the focus: a
// reader then reads it by its text, column and row.
void GoalGridControl::AnnounceCurrentCell() const {
    const LONG child = GridChildOf({grid_.column, grid_.row});
    ::NotifyWinEvent(EVENT_OBJECT_SELECTION, hwnd_, OBJID_CLIENT, child);
    if (::GetFocus() == hwnd_) ::NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd_, OBJID_CLIENT, child);
}

void GoalGridControl::NotifyClick() {
    AnnounceCurrentCell();
    ::SendMessageW(::GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(::GetDlgCtrlID(hwnd_)), kGridClicked),
                   reinterpret_cast<LPARAM>(hwnd_));
}

}  // namespace kestrival
