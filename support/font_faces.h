#pragma once
// Which installed face draws the program's Japanese text.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kestrival {

// The Japanese UI faces of Windows, which the fixed layout of the gadget and the dialog was made
// for: any of them is taken as it is.
inline constexpr std::u16string_view kWindowsJapaneseFaces[] = {u"Meiryo UI", u"Yu Gothic UI", u"MS UI Gothic"};
// Faces Linux and Wine users have, in order of preference. Ume UI Gothic has the cell, the
// proportional kana and the half-width digits of MS UI Gothic; the Ume and IPA gothics keep the
// cell and the digits but set kana full width; Noto and VL Gothic are taller. (The proportional
// IPA and VL faces are left out: their wide digits make a panel's two dates overlap.)
inline constexpr std::u16string_view kFallbackJapaneseFaces[] = {
    u"Ume UI Gothic", u"Ume P Gothic", u"IPAGothic", u"TakaoGothic", u"Noto Sans CJK JP", u"Noto Sans JP", u"VL Gothic",
};

// What the system says about a face: whether it is installed, and the height of its character
// cell in pixels for a font `pixelSize` pixels high (its em).
struct FaceQueries {
    std::function<bool(std::u16string_view face)> installed;
    std::function<std::int32_t(std::u16string_view face, std::int32_t pixelSize)> cellHeight;
};

// Whether a cell this high fits the layout's rows, which leave a sixth of the em for ascenders
// and descenders beyond it.
bool CellFitsLayout(std::int32_t cellHeight, std::int32_t pixelSize);

// The wanted face when it is installed; else the first installed Windows face; else the first
// installed fallback face whose cell fits the layout; else the first installed fallback face; else
// `systemDefault`.
std::u16string ChooseFace(std::u16string_view wanted, std::int32_t pixelSize, const FaceQueries& system,
                          std::u16string_view systemDefault);

}  // namespace kestrival
