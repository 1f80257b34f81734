#include "support/font_faces.h"

namespace kestrival {

std::u16string ChooseFace(std::u16string_view wanted, const std::function<bool(std::u16string_view)>& installed,
                          std::u16string_view systemDefault) {
    if (installed(wanted)) return std::u16string(wanted);
    for (std::u16string_view candidate : kJapaneseUiFaces) {
        if (candidate != wanted && installed(candidate)) return std::u16string(candidate);
    }
    return std::u16string(systemDefault);
}

}  // namespace kestrival
