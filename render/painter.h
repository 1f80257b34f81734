#pragma once
// The gadget's painter: the background, the outer frame, the title band and the panel cells in
// their order.
#include <cstdint>
#include <string>

#include "render/canvas.h"
#include "settings/execute_setting.h"
#include "support/civil_date.h"

namespace kestrival {

// Draws the title band and every panel cell; with `fullPaint` also the background and the outer
// frame lines. Empties setting.BIRTH when it does not read as a date. Returns the title band's
// bottom edge, the height of the drag zone.
std::int32_t PaintGadget(Canvas& canvas, ExecuteSetting& setting, const GoalList& goals, const LocalDateTime& now,
                         bool fullPaint);

}  // namespace kestrival
