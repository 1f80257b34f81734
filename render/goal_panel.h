#pragma once
// One goal panel: the figures a goal line shows today, and the panel's drawing.
#include <cstdint>
#include <string>
#include <string_view>

#include "render/canvas.h"
#include "settings/count_choices.h"
#include "settings/execute_setting.h"
#include "settings/reminder_choices.h"
#include "support/work_calendar.h"

namespace kestrival {

// What one goal line shows, relative to now. A goal not started yet counts down to its start;
// one that has ended counts the days since its end. Its counting choices may move yearly dates
// forward, count today and count working days only; the progress bar keeps calendar time.
struct GoalPanelFigures {
    std::u16string title;
    std::u16string ShownStart;
    std::u16string ShownEnd;
    bool HasStart = false;
    bool HasEnd = false;
    bool Substituted = false;
    bool datesRead = false;  // false: a date does not parse and the cell is skipped
    std::int32_t ElapsedDays = 0;
    std::int32_t RemainingDays = 0;
    std::int32_t SpanDays = 0;
    std::int32_t ProgressDays = 0;
    CountChoices choices;
    ReminderChoices reminders;  // only marked on the panel
};

// `calendar` decides the working days; without one a goal counting working days counts
// calendar days.
GoalPanelFigures ComputeGoalPanel(std::u16string_view goalLine, double now, std::u16string_view todayText,
                                  const CountChoices& choices = {}, const WorkCalendar* calendar = nullptr);

// What the panel of goal `index` (from 0) shows: the one computation behind the panel, the goals
// as text and what a screen reader reads, so all three agree.
GoalPanelFigures GoalFigures(const ExecuteSetting& setting, const GoalList& goals, std::int32_t index,
                             const WorkCalendar& calendar, double now, std::u16string_view todayText);

inline constexpr std::int32_t kBarWidth = 148;
// Right edge of the progress bar's fill for a bar starting at `barLeft`, `barWidth` pixels wide
// (148 at 96 DPI, scaled on other displays).
std::int32_t ProgressRight(std::int32_t progressDays, std::int32_t spanDays, std::int32_t barLeft,
                           std::int32_t barWidth = kBarWidth);

// Draws one 160 x 70 cell, scaled to the canvas's DPI, at (x0, y0); h is the band text height of
// the pass.
void PaintGoalPanel(Canvas& canvas, const ExecuteSetting& setting, const GoalPanelFigures& figures, std::int32_t x0,
                    std::int32_t y0, std::int32_t h);
// The same for a goal line without choices.
void PaintGoalPanel(Canvas& canvas, const ExecuteSetting& setting, std::u16string_view goalLine, std::int32_t x0,
                    std::int32_t y0, std::int32_t h, double now, std::u16string_view todayText);

}  // namespace kestrival
