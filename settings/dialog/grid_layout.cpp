#include "settings/dialog/grid_layout.h"

#include <algorithm>

#include "support/display_scale.h"

namespace kestrival {
namespace {

constexpr std::array<std::int32_t, kGoalColumns> kColumnWidths = {128, 70, 72};
constexpr std::int32_t kRowHeight = 19;
constexpr std::int32_t kLine = 1;
constexpr std::int32_t kTextInset = 2;
constexpr std::int32_t kMarksGap = 4;
constexpr std::int32_t kWheelRows = 3;

}  // namespace

GridLayout GridLayout::AtDpi(std::int32_t dpi) {
    const Scaler scaled(dpi);
    GridLayout layout;
    for (std::size_t c = 0; c < kColumnWidths.size(); ++c) layout.columnWidths[c] = scaled(kColumnWidths[c]);
    layout.rowHeight = scaled(kRowHeight);
    layout.line = scaled(kLine);
    layout.textInset = scaled(kTextInset);
    layout.marksGap = scaled(kMarksGap);
    return layout;
}

std::int32_t GridLayout::ColumnLeft(std::int32_t column) const {
    std::int32_t x = 0;
    for (std::int32_t c = 0; c < column && c < kGoalColumns; ++c) x += columnWidths[static_cast<std::size_t>(c)] + line;
    return x;
}

Rect GridLayout::CellRect(std::int32_t column, std::int32_t row, std::int32_t top) const {
    const std::int32_t left = ColumnLeft(column);
    const std::int32_t y = row == 0 ? 0 : (row - top + 1) * RowPitch();
    return {left, y, left + columnWidths[static_cast<std::size_t>(column)], y + rowHeight};
}

std::int32_t GridLayout::VisibleRows(std::int32_t clientHeight) const {
    return std::max(1, (clientHeight - RowPitch()) / std::max(1, RowPitch()));
}

std::optional<GridCellAt> GridLayout::CellAt(Point at, std::int32_t top) const {
    if (at.x < 0 || at.y < 0 || at.x >= ColumnLeft(kGoalColumns)) return std::nullopt;
    GridCellAt cell;
    while (cell.column + 1 < kGoalColumns && at.x >= ColumnLeft(cell.column + 1)) ++cell.column;
    cell.row = at.y < RowPitch() ? 0 : top + (at.y - RowPitch()) / std::max(1, RowPitch());
    if (cell.row > kGoalRows) return std::nullopt;
    return cell;
}

TitleCellParts GridLayout::SplitTitleCell(const Rect& cell, std::int32_t marksWidth) const {
    const std::int32_t textLeft = std::min(cell.left + textInset, cell.right);
    const std::int32_t textRight = std::max(textLeft, cell.right - textInset);
    TitleCellParts parts{{textLeft, cell.top, textRight, cell.bottom}, {textRight, cell.top, textRight, cell.bottom}};
    if (marksWidth <= 0) return parts;
    // Marks wider than the text area may take the left inset too, but never leave the cell.
    parts.marks.left = std::max(cell.left, textRight - marksWidth);
    parts.title.right = std::max(textLeft, parts.marks.left - marksGap);
    return parts;
}

std::int32_t ClampTopRow(std::int32_t top, std::int32_t visibleRows) {
    return std::clamp(top, 1, std::max(1, kGoalRows - visibleRows + 1));
}

std::int32_t TopRowShowing(std::int32_t row, std::int32_t top, std::int32_t visibleRows) {
    if (row < top) top = row;
    if (row > top + visibleRows - 1) top = row - visibleRows + 1;
    return ClampTopRow(top, visibleRows);
}

std::int32_t ScrolledTopRow(GridScroll request, std::int32_t top, std::int32_t visibleRows, std::int32_t amount) {
    switch (request) {
        case GridScroll::kLineUp:
            return ClampTopRow(top - 1, visibleRows);
        case GridScroll::kLineDown:
            return ClampTopRow(top + 1, visibleRows);
        case GridScroll::kPageUp:
            return ClampTopRow(top - visibleRows, visibleRows);
        case GridScroll::kPageDown:
            return ClampTopRow(top + visibleRows, visibleRows);
        case GridScroll::kTop:
            return 1;
        case GridScroll::kBottom:
            return ClampTopRow(kGoalRows, visibleRows);
        case GridScroll::kThumb:
            return ClampTopRow(amount, visibleRows);
        case GridScroll::kWheel:
            return ClampTopRow(top - amount * kWheelRows, visibleRows);
    }
    return ClampTopRow(top, visibleRows);
}

}  // namespace kestrival
