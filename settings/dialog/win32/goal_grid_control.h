#pragma once
// The goal grid as a Win32 control: a fixed header row and 150 goal rows of three cells, a
// vertical scroll bar, single-cell selection and editing in place. It draws and edits a GoalGrid.
#include <windows.h>

#include <array>
#include <functional>

#include "settings/dialog/goal_grid.h"
#include "settings/dialog/grid_layout.h"
#include "support/win32/window_accessible.h"
#include "support/display_scale.h"

namespace kestrival {

// Sent to the parent as WM_COMMAND with this notification code when the current cell changes or
// the grid is clicked.
inline constexpr WORD kGridClicked = 1;
// Posted to the grid by its editor when an input method's composition ends.
inline constexpr UINT kCompositionEndedMessage = WM_APP + 1;

class GoalGridControl {
public:
    // Creates the control as a child of `parent`; `today` gives the date that completes typed dates.
    // Its column widths and row height are scaled to `dpi`.
    GoalGridControl(HWND parent, int id, const RECT& bounds, HFONT font, GoalGrid& grid,
                    std::function<CivilDate()> today, std::int32_t dpi = kDesignDpi);
    ~GoalGridControl();
    GoalGridControl(const GoalGridControl&) = delete;
    GoalGridControl& operator=(const GoalGridControl&) = delete;

    HWND hwnd() const { return hwnd_; }
    // Takes the open editor's text into the grid (the editor stays open).
    void TakeEditorText();
    // Shows the grid's current state again: cells, current cell, editor.
    void Refresh();
    void ScrollToCurrent();
    // Called when the user asks for the days-off dialog from a row's menu.
    std::function<void()> onDaysOff;

private:
    template <typename Window>
    friend LRESULT CALLBACK RoutedWindowProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK EditorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleEditorKey(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    void OnPaint();
    void OnClick(int x, int y, bool open);
    void OnKeyDown(WPARAM key);
    void OnRightButtonDown(int x, int y);
    void OnContextMenu(POINT at);
    // The counting menu of the current row at `at` (screen coordinates).
    void ShowCountMenu(POINT at);
    // The menu for the keyboard: below the current cell's left end.
    void ShowCountMenuAtCurrentCell();
    void OnChar(wchar_t character);
    void OnStartComposition();
    void OnCompositionEnded();
    void Press(GridKey key);
    void OnVScroll(WORD request);
    void OnFocusLeft(HWND to);
    void Move(int column, int row);
    void Enter();
    void OpenEditor(bool selectAll, const wchar_t* replaceWith = nullptr);
    void CloseEditor();
    void PlaceEditor();
    void NotifyClick();
    void AnnounceCurrentCell() const;
    LRESULT OnGetObject(WPARAM flags, LPARAM objectId);
    RECT CellRect(int column, int row) const;
    int VisibleRows() const;
    void UpdateScrollBar();

    HWND hwnd_ = nullptr;
    HWND editor_ = nullptr;
    WNDPROC editorDefault_ = nullptr;
    // The editor was opened empty by an input method's composition that has not ended yet.
    bool composingInNewEditor_ = false;
    HFONT font_;
    GoalGrid& grid_;
    std::function<CivilDate()> today_;
    int topRow_ = 1;
    GridLayout layout_;
    // What a screen reader reads: made when one first asks.
    AccessibleRef accessible_;
};

}  // namespace kestrival
