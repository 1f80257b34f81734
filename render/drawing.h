#pragma once
// Drawing helpers the painter and the goal panel share: the shaded colour, the frame line and
// the height unit of the vertical layout.
#include <cstdint>

#include "render/canvas.h"

namespace kestrival {

// Each channel lowered by `step`, not below 0; any fourth byte of the colour is dropped.
std::int32_t DarkenColor(std::int32_t colour, std::int32_t step);

// The text height of "H" at the current font size, raised to an even number: the unit of the
// vertical layout of the band and of every panel.
std::int32_t EvenTextHeight(Canvas& canvas);

// A rectangle's outline `thickness` pixels wide, inside the rectangle: a frame line of the 96-DPI
// design, one pixel there, scaled.
void FrameLines(Canvas& canvas, const Rect& rect, std::int32_t colour, std::int32_t thickness);

}  // namespace kestrival
