#include "settings/dialog/grid_reading.h"

#include "support/text.h"
#include "support/ui_texts.h"

namespace kestrival {

std::int32_t GridChildOf(GridCellAt cell) { return cell.row * kGoalColumns + cell.column + 1; }

std::optional<GridCellAt> GridCellOfChild(std::int32_t child) {
    if (child < 1 || child > kGridChildren) return std::nullopt;
    return GridCellAt{(child - 1) % kGoalColumns, (child - 1) / kGoalColumns};
}

std::u16string GridHeader(std::int32_t column) {
    static constexpr const char16_t* kHeaders[kGoalColumns] = {texts::kGridTitle, texts::kGridStart, texts::kGridEnd};
    return column >= 0 && column < kGoalColumns ? std::u16string(kHeaders[column]) : std::u16string();
}

std::u16string GridCellPlace(GridCellAt cell) {
    return GridHeader(cell.column) + texts::kReadBandSeparator + FormatText(texts::kReadGridRow, {cell.row});
}

}  // namespace kestrival
