#include "settings/dialog/grid_layout.h"

#include <gtest/gtest.h>

#include <optional>

namespace kestrival {
namespace {

// At 96 DPI: columns of 128, 70 and 72 pixels, rows of 19, each followed by a one-pixel line.
const GridLayout kLayout = GridLayout::AtDpi(96);

TEST(GridLayoutTest, CellsAndTheirPlaceWhenScrolled) {
    EXPECT_EQ(kLayout.RowPitch(), 20);
    EXPECT_EQ(kLayout.ColumnLeft(kGoalColumns), 273);
    EXPECT_EQ(kLayout.CellRect(0, 0, 1), (Rect{0, 0, 128, 19}));       // the header
    EXPECT_EQ(kLayout.CellRect(0, 0, 60), (Rect{0, 0, 128, 19}));      // does not scroll
    EXPECT_EQ(kLayout.CellRect(1, 1, 1), (Rect{129, 20, 199, 39}));    // the first goal row
    EXPECT_EQ(kLayout.CellRect(2, 5, 1), (Rect{200, 100, 272, 119}));  // the last column
    EXPECT_EQ(kLayout.CellRect(2, 64, 60), (Rect{200, 100, 272, 119}));
    const GridLayout scaled = GridLayout::AtDpi(144);
    EXPECT_EQ(scaled.CellRect(1, 1, 1), (Rect{194, 31, 299, 60}));  // 192 and a 2-pixel line; rows of 29
}

TEST(GridLayoutTest, HitTest) {
    struct Case {
        Point at;
        std::int32_t top;
        std::optional<GridCellAt> cell;
    };
    const Case cases[] = {
        {{0, 0}, 1, GridCellAt{0, 0}},
        {{127, 19}, 1, GridCellAt{0, 0}},  // the header's line belongs to the header
        {{128, 25}, 1, GridCellAt{0, 1}},  // a column's line belongs to the column before it
        {{129, 20}, 1, GridCellAt{1, 1}},
        {{272, 39}, 1, GridCellAt{2, 1}},
        {{272, 40}, 1, GridCellAt{2, 2}},
        {{50, 45}, 100, GridCellAt{0, 101}},
        {{50, 40}, 149, GridCellAt{0, 150}},
        {{50, 60}, 149, std::nullopt},  // below the last goal row
        {{273, 30}, 1, std::nullopt},   // right of the table
        {{-1, 30}, 1, std::nullopt},
        {{10, -1}, 1, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kLayout.CellAt(c.at, c.top), c.cell) << c.at.x << "," << c.at.y << " top " << c.top;
    }
}

TEST(GridLayoutTest, VisibleRowsAreWholeRowsUnderTheHeader) {
    EXPECT_EQ(kLayout.VisibleRows(473), 22);
    EXPECT_EQ(kLayout.VisibleRows(480), 23);
    EXPECT_EQ(kLayout.VisibleRows(10), 1);  // never none
    EXPECT_EQ(kLayout.VisibleRows(0), 1);
}

TEST(GridLayoutTest, ScrollingKeepsTheTopRowOnTheTable) {
    struct Case {
        const char* what;
        std::int32_t got;
        std::int32_t expected;
    };
    constexpr std::int32_t kPage = 22;  // the last page starts at row 129
    const Case cases[] = {
        {"clamp below 1", ClampTopRow(-5, kPage), 1},
        {"clamp 0", ClampTopRow(0, kPage), 1},
        {"clamp inside", ClampTopRow(60, kPage), 60},
        {"clamp the last page's top", ClampTopRow(129, kPage), 129},
        {"clamp past it", ClampTopRow(130, kPage), 129},
        {"clamp with every row showing", ClampTopRow(40, 200), 1},
        {"show a row above", TopRowShowing(3, 10, kPage), 3},
        {"show a row below", TopRowShowing(40, 10, kPage), 19},
        {"show a row already shown", TopRowShowing(12, 10, kPage), 10},
        {"show row 150", TopRowShowing(150, 1, kPage), 129},
        {"line up at the top", ScrolledTopRow(GridScroll::kLineUp, 1, kPage), 1},
        {"line down", ScrolledTopRow(GridScroll::kLineDown, 50, kPage), 51},
        {"line down at the end", ScrolledTopRow(GridScroll::kLineDown, 129, kPage), 129},
        {"page down from the middle", ScrolledTopRow(GridScroll::kPageDown, 50, kPage), 72},
        {"page down near the end", ScrolledTopRow(GridScroll::kPageDown, 120, kPage), 129},
        {"page up from the middle", ScrolledTopRow(GridScroll::kPageUp, 50, kPage), 28},
        {"page up near the top", ScrolledTopRow(GridScroll::kPageUp, 10, kPage), 1},
        {"to the top", ScrolledTopRow(GridScroll::kTop, 90, kPage), 1},
        {"to the bottom", ScrolledTopRow(GridScroll::kBottom, 5, kPage), 129},
        {"thumb", ScrolledTopRow(GridScroll::kThumb, 5, kPage, 77), 77},
        {"thumb past the end", ScrolledTopRow(GridScroll::kThumb, 5, kPage, 200), 129},
        {"wheel away", ScrolledTopRow(GridScroll::kWheel, 10, kPage, 1), 7},
        {"wheel towards", ScrolledTopRow(GridScroll::kWheel, 10, kPage, -2), 16},
        {"wheel away at the top", ScrolledTopRow(GridScroll::kWheel, 2, kPage, 1), 1},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;
}

TEST(GridLayoutTest, TitleCellKeepsTheMarksWholeAtItsRightEnd) {
    struct Case {
        const char* what;
        std::int32_t dpi;
        Rect cell;
        std::int32_t marksWidth;
        TitleCellParts parts;
    };
    const Case cases[] = {
        {"no choices: the title has the whole cell", 96, {0, 20, 128, 39}, 0, {{2, 20, 126, 39}, {126, 20, 126, 39}}},
        {"three marks at 100 %", 96, {0, 20, 128, 39}, 36, {{2, 20, 86, 39}, {90, 20, 126, 39}}},
        {"three marks at 150 %", 144, {0, 31, 192, 60}, 54, {{3, 31, 129, 60}, {135, 31, 189, 60}}},
        {"three marks at 200 %", 192, {0, 40, 256, 78}, 72, {{4, 40, 172, 78}, {180, 40, 252, 78}}},
        {"marks wider than the text area use the inset, no more",
         96,
         {0, 20, 128, 39},
         130,
         {{2, 20, 2, 39}, {0, 20, 126, 39}}},
        {"a cell narrower than its insets", 96, {10, 0, 12, 19}, 5, {{12, 0, 12, 19}, {10, 0, 12, 19}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GridLayout::AtDpi(c.dpi).SplitTitleCell(c.cell, c.marksWidth), c.parts) << c.what;
}

// At every scale, with the marks as wide as the grid's font makes them, the title ends a gap before
// marks that are whole and inside the cell.
TEST(GridLayoutTest, TitleAndMarksNeverOverlapAtAnyScale) {
    for (const std::int32_t dpi : {96, 120, 144, 168, 192, 288}) {
        const GridLayout layout = GridLayout::AtDpi(dpi);
        const Rect cell = layout.CellRect(kTitleColumn, 7, 3);
        const std::int32_t glyph = (12 * dpi + 48) / 96;  // a 9-point font's full-width character
        for (const std::int32_t marks : {1, 2, 3}) {
            const TitleCellParts parts = layout.SplitTitleCell(cell, marks * glyph);
            EXPECT_EQ(parts.marks.right - parts.marks.left, marks * glyph) << dpi << " " << marks;
            EXPECT_LE(parts.marks.right, cell.right - layout.textInset) << dpi;
            EXPECT_LE(parts.title.right + layout.marksGap, parts.marks.left) << dpi << " " << marks;
            EXPECT_EQ(parts.title.left, cell.left + layout.textInset) << dpi;
            // Room is left for at least half the title column's characters.
            EXPECT_GE(parts.title.right - parts.title.left, (cell.right - cell.left) / 2) << dpi << " " << marks;
            EXPECT_EQ(parts.title.top, cell.top);
            EXPECT_EQ(parts.marks.bottom, cell.bottom);
        }
    }
}

}  // namespace
}  // namespace kestrival
