#pragma once
// The goal grid as a screen reader meets it: the header cells and the goal cells numbered as one
// list of children, and the words that place a cell in its column and row.
#include <cstdint>
#include <optional>
#include <string>

#include "settings/dialog/grid_layout.h"

namespace kestrival {

// Children from 1: the three header cells, then the goal rows' cells row by row.
inline constexpr std::int32_t kGridChildren = (kGoalRows + 1) * kGoalColumns;
std::int32_t GridChildOf(GridCellAt cell);
std::optional<GridCellAt> GridCellOfChild(std::int32_t child);

// A header cell's text, for columns 0 to 2; empty for any other.
std::u16string GridHeader(std::int32_t column);
// Where a goal cell stands, in words: its column's header and its row ("表題、3 行目").
std::u16string GridCellPlace(GridCellAt cell);

}  // namespace kestrival
