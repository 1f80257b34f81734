#include "render/geometry.h"

#include <algorithm>

namespace kestrival {

PanelGrid EffectivePanelGrid(std::int32_t CL, std::int32_t RW) {
    if (CL < 1 || RW < 1) return {0, 0};
    PanelGrid grid{std::min(CL, kMaxPanels), std::min(RW, kMaxPanels)};
    if (grid.Cells() > kMaxPanels) grid.rows = kMaxPanels / grid.columns;
    return grid;
}

}  // namespace kestrival
