#pragma once
// Which installed face draws the program's Japanese text.
#include <functional>
#include <string>
#include <string_view>

namespace kestrival {

// The faces tried, in order, when the wanted one is missing: the Japanese UI faces of Windows
// first, then faces Linux and Wine users have.
inline constexpr std::u16string_view kJapaneseUiFaces[] = {
    u"Meiryo UI", u"Yu Gothic UI", u"MS UI Gothic", u"Noto Sans CJK JP", u"IPAPGothic", u"Noto Sans JP",
};

// The wanted face when it is installed, else the first installed face of kJapaneseUiFaces, else
// `systemDefault`.
std::u16string ChooseFace(std::u16string_view wanted, const std::function<bool(std::u16string_view)>& installed,
                          std::u16string_view systemDefault);

}  // namespace kestrival
