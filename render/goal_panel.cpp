#include "render/goal_panel.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "render/drawing.h"
#include "support/civil_date.h"
#include "support/text.h"

namespace kestrival {
namespace {

constexpr std::int32_t kBarHeight = 14;

// Whole days of a difference, truncated toward zero. Both ends come from real dates and the
// clock, so the difference always fits.
std::int32_t WholeDays(double days) { return static_cast<std::int32_t>(std::trunc(days)); }

std::u16string NextField(std::u16string& line) { return std::u16string(TrimControlAndSpace(TakeField(line, &line))); }

// A yearly goal whose end has passed moves both dates forward by the fewest whole years that
// bring the end to today or later. The texts stay as they are when nothing moves.
void MoveYearly(std::u16string& start, std::u16string& end, const CivilDate& today) {
    const auto endDate = ParseDateText(end);
    const auto startDate = ParseDateText(start);
    if (!endDate || (!start.empty() && !startDate)) return;
    const std::int32_t todayDay = DayNumber(today);
    if (DayNumber(*endDate) >= todayDay) return;
    std::int32_t years = today.year - endDate->year;
    auto movedEnd = YearsLater(*endDate, years);
    if (movedEnd && DayNumber(*movedEnd) < todayDay) movedEnd = YearsLater(*endDate, ++years);
    const auto movedStart = startDate ? YearsLater(*startDate, years) : std::nullopt;
    if (!movedEnd || (startDate && !movedStart)) return;
    end = DateText(*movedEnd);
    if (movedStart) start = DateText(*movedStart);
}

// Counts a number of days kept to working days: the `days` days that start at `first`.
std::int32_t WorkingDaysFrom(const WorkCalendar& calendar, std::int32_t first, std::int32_t days) {
    return calendar.CountWorkingDays(first, first + std::max(days, 0));
}

}  // namespace

GoalPanelFigures ComputeGoalPanel(std::u16string_view goalLine, double now, std::u16string_view todayText,
                                  const CountChoices& choices, const WorkCalendar* calendar) {
    GoalPanelFigures f;
    f.choices = choices;
    std::u16string line(goalLine);
    f.title = NextField(line);
    std::u16string start = NextField(line);
    std::u16string end = NextField(line);
    const auto today = ParseDateText(todayText);
    if (choices.Yearly && today) MoveYearly(start, end, *today);

    f.HasStart = !start.empty();
    if (!f.HasStart) {
        start = todayText;
        f.Substituted = true;
    }
    f.HasEnd = !end.empty();
    if (!f.HasEnd) {
        end = todayText;
        f.Substituted = true;
    }
    // Canonical date texts order like the dates they stand for, so plain text comparison decides.
    const bool notStarted = start > todayText;
    if (notStarted) {  // count down to the start
        end = start;
        start = todayText;
        f.Substituted = true;
    }
    const bool ended = end < todayText;
    if (ended) {  // count the days since the end
        start = end;
        end = todayText;
        f.Substituted = true;
    }
    f.ShownStart = start;
    f.ShownEnd = end;

    const auto startDate = ParseDateText(start);
    const auto endDate = ParseDateText(end);
    if (!startDate || !endDate) return f;
    f.datesRead = true;
    const double startDay = DayNumber(*startDate);
    const double endDay = DayNumber(*endDate);
    f.ElapsedDays = WholeDays(now - startDay);
    f.RemainingDays = WholeDays(endDay - now);
    if (f.Substituted) {
        f.SpanDays = 1;
        f.ProgressDays = 1;
    } else {
        f.SpanDays = WholeDays(endDay - startDay);
        f.ProgressDays = WholeDays(now - startDay);
    }
    if (choices.TodayIncluded && today) {
        // The start day is day 1 while the goal runs; counting down, today is one of the days left.
        const std::int32_t todayDay = DayNumber(*today);
        if (!notStarted && !ended) f.ElapsedDays = todayDay - DayNumber(*startDate) + 1;
        if (!ended) f.RemainingDays = DayNumber(*endDate) - todayDay;
    }
    if (choices.WorkingDays && calendar) {
        // Exactly the days the calendar numbers cover: the first ones from the shown start, the
        // last ones before the shown end.
        const std::int32_t first = DayNumber(*startDate), last = DayNumber(*endDate);
        f.ElapsedDays = WorkingDaysFrom(*calendar, first, f.ElapsedDays);
        f.RemainingDays = WorkingDaysFrom(*calendar, last - std::max(f.RemainingDays, 0), f.RemainingDays);
    }
    return f;
}

GoalPanelFigures GoalFigures(const ExecuteSetting& setting, const GoalList& goals, std::int32_t index,
                             const WorkCalendar& calendar, double now, std::u16string_view todayText) {
    GoalPanelFigures figures =
        ComputeGoalPanel(goals.LineAt(index), now, todayText, ChoicesOfGoal(setting, index), &calendar);
    figures.reminders = RemindersOfGoal(setting, index).choices;
    return figures;
}

std::int32_t ProgressRight(std::int32_t progressDays, std::int32_t spanDays, std::int32_t barLeft,
                           std::int32_t barWidth) {
    progressDays = std::max(progressDays, 0);
    progressDays = std::min(progressDays, spanDays);
    if (spanDays == 0) {
        spanDays = 1;
        progressDays = 1;
    }
    // Divide, multiply, add, in extended precision: the order decides the pixel on exact halves.
    const long double right =
        static_cast<long double>(progressDays) / spanDays * barWidth + static_cast<long double>(barLeft);
    return static_cast<std::int32_t>(std::trunc(right));
}

void PaintGoalPanel(Canvas& canvas, const ExecuteSetting& setting, std::u16string_view goalLine, std::int32_t x0,
                    std::int32_t y0, std::int32_t h, double now, std::u16string_view todayText) {
    PaintGoalPanel(canvas, setting, ComputeGoalPanel(goalLine, now, todayText), x0, y0, h);
}

void PaintGoalPanel(Canvas& canvas, const ExecuteSetting& setting, const GoalPanelFigures& f, std::int32_t x0,
                    std::int32_t y0, std::int32_t h) {
    if (!f.datesRead) return;  // leaves the cell as it is for this pass
    const RenderStyle& style = setting.Style;
    const Scaler S(canvas.Dpi());
    auto lowerHalfColour = [&style](std::int32_t colour) { return style.Shaded ? DarkenColor(colour, 24) : colour; };

    const Rect cell{x0, y0, x0 + S(kCellWidth), y0 + S(kCellHeight)};
    canvas.Fill(cell, setting.BBCOLOR);
    if (f.title.empty() && !f.HasStart && !f.HasEnd) return;
    FrameLines(canvas, cell, setting.PFCOLOR, S(1));

    const std::int32_t stripSplit = y0 + S(2) + (h + S(2)) / 2;
    canvas.Fill({x0 + S(2), y0 + S(2), x0 + S(158), stripSplit}, setting.CBCOLOR);
    canvas.Fill({x0 + S(2), stripSplit, x0 + S(158), y0 + h + S(4)}, lowerHalfColour(setting.CBCOLOR));
    canvas.SetFontSize(style.TitleFontSize);
    canvas.Text({x0 + S(4), y0 + S(4)}, f.title, setting.CTCOLOR);

    canvas.SetFontSize(style.PanelFontSize);
    const std::int32_t t = canvas.TextExtent(u"H").height;
    const std::int32_t endWidth = canvas.TextExtent(f.ShownEnd).width;
    const std::int32_t dateRow = y0 + h + S(8) + S(style.DateRowOffset);
    canvas.Text({x0 + S(4), dateRow}, f.ShownStart, setting.SDCOLOR);
    canvas.Text({x0 + S(156) - endWidth, dateRow}, f.ShownEnd, setting.EDCOLOR);

    const std::int32_t b = y0 + h + t + S(style.BarGap) + S(10);
    const std::int32_t barLeft = x0 + S(6);
    const std::int32_t barWidth = S(kBarWidth), barHeight = S(kBarHeight);
    const std::int32_t r = ProgressRight(f.ProgressDays, f.SpanDays, barLeft, barWidth);
    canvas.Fill({barLeft, b, r, b + barHeight / 2}, setting.GBCOLOR);
    canvas.Fill({barLeft, b + barHeight / 2, r, b + barHeight}, lowerHalfColour(setting.GBCOLOR));
    FrameLines(canvas, {barLeft, b, barLeft + barWidth, b + barHeight}, setting.GFCOLOR, S(1));

    const std::int32_t daysRow = b + S(17) + S(style.DaysRowOffset);
    if (f.HasStart) canvas.Text({x0 + S(4), daysRow}, FormatText(u"%d", {f.ElapsedDays}), setting.PNCOLOR);
    if (f.HasEnd) {
        const std::u16string remaining = FormatText(u"%d", {f.RemainingDays});
        canvas.Text({x0 + S(156) - canvas.TextExtent(remaining).width, daysRow}, remaining, setting.RNCOLOR);
    }
    // The choices and the reminders' mark sit centred between the two numbers, in the panel's
    // frame colour.
    const std::u16string mark = GoalMarks(f.choices, f.reminders);
    if (!mark.empty()) {
        canvas.Text({x0 + S(80) - canvas.TextExtent(mark).width / 2, daysRow}, mark, setting.PFCOLOR);
    }
}

}  // namespace kestrival
