#pragma once
// Pixel geometry of the gadget, in window coordinates with the origin at the top left.
// Rectangles are half-open: the right column and the bottom row are not part of them.
#include <cstdint>

#include "settings/execute_setting.h"
#include "support/coordinates.h"

namespace kestrival {

// A panel cell is 160 x 70 pixels; cells sit on a 162 x 72 pitch.
inline constexpr std::int32_t kCellWidth = 160;
inline constexpr std::int32_t kCellHeight = 70;
inline constexpr std::int32_t kCellPitchX = 162;
inline constexpr std::int32_t kCellPitchY = 72;

// The grid the gadget actually lays out and paints. The settings dialog keeps CL and RW at least 1
// with a product of at most 150; a hand-edited file can hold anything, so a count below 1 gives an
// empty grid, and a grid of more than 150 cells loses rows until it fits.
struct PanelGrid {
    std::int32_t columns = 0;
    std::int32_t rows = 0;
    std::int32_t Cells() const { return columns * rows; }
};

PanelGrid EffectivePanelGrid(std::int32_t CL, std::int32_t RW);

// Top-left corner of the panel cell `index` of `grid`, filled down the columns first (SR 0) or
// across the rows first; `bandTextHeight` is the band's text height of the pass, lengths scaled
// to `dpi`.
Point PanelCellOrigin(std::int32_t index, const PanelGrid& grid, std::int32_t SR, std::int32_t bandTextHeight,
                      std::int32_t dpi);

}  // namespace kestrival
