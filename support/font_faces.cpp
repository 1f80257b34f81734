#include "support/font_faces.h"

namespace kestrival {

bool CellFitsLayout(std::int32_t cellHeight, std::int32_t pixelSize) {
    return cellHeight > 0 && std::int64_t{cellHeight} * 6 <= std::int64_t{pixelSize} * 7;
}

std::u16string ChooseFace(std::u16string_view wanted, std::int32_t pixelSize, const FaceQueries& system,
                          std::u16string_view systemDefault) {
    if (system.installed(wanted)) return std::u16string(wanted);
    for (std::u16string_view face : kWindowsJapaneseFaces) {
        if (face != wanted && system.installed(face)) return std::u16string(face);
    }
    std::u16string_view firstInstalled;
    for (std::u16string_view face : kFallbackJapaneseFaces) {
        if (!system.installed(face)) continue;
        if (CellFitsLayout(system.cellHeight(face, pixelSize), pixelSize)) return std::u16string(face);
        if (firstInstalled.empty()) firstInstalled = face;
    }
    return std::u16string(firstInstalled.empty() ? systemDefault : firstInstalled);
}

}  // namespace kestrival
