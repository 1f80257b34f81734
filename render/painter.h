#pragma once
// The gadget's painter: the background, the outer frame, the title band and the panel cells in
// their order.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "render/canvas.h"
#include "settings/execute_setting.h"
#include "support/civil_date.h"

namespace kestrival {

// What the title band's right end shows, by DVIEW: nothing, today's date, or the days since the
// birth date (nothing without a readable birth date).
inline constexpr std::int32_t kSubtitleShowsToday = 1;
inline constexpr std::int32_t kSubtitleShowsBirthDays = 2;
std::u16string TitleSubtitle(std::int32_t DVIEW, const std::optional<CivilDate>& birth, double now,
                             std::u16string_view todayText);

// Draws the title band and every panel cell; with `fullPaint` also the background and the outer
// frame lines. Empties setting.BIRTH when it does not read as a date. Returns the title band's
// bottom edge, the height of the drag zone.
std::int32_t PaintGadget(Canvas& canvas, ExecuteSetting& setting, const GoalList& goals, const LocalDateTime& now,
                         bool fullPaint);

}  // namespace kestrival
