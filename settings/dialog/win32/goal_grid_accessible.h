#pragma once
// The goal grid for screen readers on Windows: a table whose children (ids from 1) are the three
// header cells and then the goal cells row by row, each named by its text and described by its
// column and row; the current cell has the focus and the selection.
#include <windows.h>

#include <functional>

#include "settings/dialog/goal_grid.h"
#include "support/win32/window_accessible.h"

namespace kestrival {

class GridAccessible final : public WindowAccessible {
public:
    // `cellRect` gives a cell's rectangle in the grid's client area, nothing while it is scrolled
    // out of view; `grid` must outlive the window.
    GridAccessible(HWND window, const GoalGrid& grid, std::function<std::optional<RECT>(int, int)> cellRect)
        : WindowAccessible(window), grid_(grid), cellRect_(std::move(cellRect)) {}

protected:
    long ChildCount() const override;
    std::u16string Name(long child) const override;
    std::u16string Description(long child) const override;
    long Role(long child) const override;
    long State(long child) const override;
    std::optional<RECT> Bounds(long child) const override;
    long FocusedChild() const override;

private:
    long CurrentChild() const;

    const GoalGrid& grid_;
    std::function<std::optional<RECT>(int, int)> cellRect_;
};

}  // namespace kestrival
