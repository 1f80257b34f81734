#pragma once
#include <cstdint>
#include <string>

#include "render/canvas.h"
#include "settings/execute_setting.h"
#include "support/civil_date.h"

namespace kestrival {

// Each channel lowered by `step`, not below 0; any fourth byte of the colour is dropped.
std::int32_t DarkenColor(std::int32_t colour, std::int32_t step);

// The text height of "H" at the current font size, raised to an even number: the unit of the
// vertical layout of the band and of every panel.
std::int32_t EvenTextHeight(Canvas& canvas);

// A rectangle's outline `thickness` pixels wide, inside the rectangle: a frame line of the 96-DPI
// design, one pixel there, scaled.
void FrameLines(Canvas& canvas, const Rect& rect, std::int32_t colour, std::int32_t thickness);

// Draws the title band and every panel cell; with `fullPaint` also the background and the outer
// frame lines. Empties setting.BIRTH when it does not read as a date. Returns the title band's
// bottom edge, the height of the drag zone.
std::int32_t PaintGadget(Canvas& canvas, ExecuteSetting& setting, const GoalList& goals, const LocalDateTime& now,
                         bool fullPaint);

}  // namespace kestrival
