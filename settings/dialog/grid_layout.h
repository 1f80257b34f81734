#pragma once
// The goal grid's table in pixels of its client area: a header row and three columns, one grid
// line after each cell, and the goal rows scrolled so that `top` is the first one shown under the
// header. Every platform's grid paints and hit-tests through this, and scrolls by its rules.
#include <array>
#include <cstdint>
#include <optional>

#include "settings/dialog/goal_grid.h"
#include "support/coordinates.h"

namespace kestrival {

struct GridCellAt {
    std::int32_t column = 0;
    std::int32_t row = 0;  // 0 is the header
    bool operator==(const GridCellAt&) const = default;
};

// A title cell split between the title and the row's counting-choice marks.
struct TitleCellParts {
    Rect title;
    Rect marks;  // empty (left == right) for a row without choices
    bool operator==(const TitleCellParts&) const = default;
};

struct GridLayout {
    std::array<std::int32_t, kGoalColumns> columnWidths{};
    std::int32_t rowHeight = 0;
    std::int32_t line = 0;
    // Blank kept between a cell's text and its sides.
    std::int32_t textInset = 0;
    // Blank kept between a title and the marks after it, so that an elided title's last dots
    // never run into the first mark.
    std::int32_t marksGap = 0;

    // The grid's 96-DPI design scaled to a display of `dpi`.
    static GridLayout AtDpi(std::int32_t dpi);

    std::int32_t RowPitch() const { return rowHeight + line; }
    // The left edge of a column; of kGoalColumns, the right edge of the whole table.
    std::int32_t ColumnLeft(std::int32_t column) const;
    // A cell's rectangle, without its grid lines; row 0 is the header, which never scrolls.
    Rect CellRect(std::int32_t column, std::int32_t row, std::int32_t top) const;
    // How many goal rows a client area of `clientHeight` shows under the header: at least one.
    std::int32_t VisibleRows(std::int32_t clientHeight) const;
    // The cell under a point, grid lines counting to the cell before them; nothing left or right of
    // the columns, above the client area or past the last goal row.
    std::optional<GridCellAt> CellAt(Point at, std::int32_t top) const;
    // Where a title and its row's marks go in `cell`, the marks being `marksWidth` wide in the
    // grid's font. The marks sit whole at the right end, as they are short and say something only
    // whole; the title takes the rest of the column and is elided to fit it. Both platforms'
    // grids draw through this, so their titles end at the same place.
    TitleCellParts SplitTitleCell(const Rect& cell, std::int32_t marksWidth) const;
};

// The first goal row shown, kept between 1 and the top of the last page (which ends at row 150).
std::int32_t ClampTopRow(std::int32_t top, std::int32_t visibleRows);
// The first row shown once the grid has scrolled just far enough to show `row` whole.
std::int32_t TopRowShowing(std::int32_t row, std::int32_t top, std::int32_t visibleRows);

enum class GridScroll { kLineUp, kLineDown, kPageUp, kPageDown, kTop, kBottom, kThumb, kWheel };
// The first row shown after a scroll bar request (kThumb: to `amount`) or wheel turn (kWheel:
// `amount` notches, positive away from the user, three rows each).
std::int32_t ScrolledTopRow(GridScroll request, std::int32_t top, std::int32_t visibleRows, std::int32_t amount = 0);

}  // namespace kestrival
