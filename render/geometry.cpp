#include "render/geometry.h"

#include <algorithm>

#include "support/display_scale.h"

namespace kestrival {

PanelGrid EffectivePanelGrid(std::int32_t CL, std::int32_t RW) {
    if (CL < 1 || RW < 1) return {0, 0};
    PanelGrid grid{std::min(CL, kMaxPanels), std::min(RW, kMaxPanels)};
    if (grid.Cells() > kMaxPanels) grid.rows = kMaxPanels / grid.columns;
    return grid;
}

Point PanelCellOrigin(std::int32_t index, const PanelGrid& grid, std::int32_t SR, std::int32_t bandTextHeight,
                      std::int32_t dpi) {
    const Scaler S(dpi);
    const std::int32_t column = SR == 0 ? index / grid.rows : index % grid.columns;
    const std::int32_t row = SR == 0 ? index % grid.rows : index / grid.columns;
    return {S(column * kCellPitchX + 4), S(row * kCellPitchY + 10) + bandTextHeight};
}

}  // namespace kestrival
