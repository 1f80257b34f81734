#include "render/painter.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "render/drawing.h"
#include "render/goal_panel.h"
#include "support/text.h"

namespace kestrival {

namespace {

void PaintBackgroundAndFrame(Canvas& canvas, const ExecuteSetting& setting, Size size, const Scaler& S) {
    const std::int32_t W = size.width;
    const std::int32_t H = size.height;
    canvas.Fill({0, 0, W, H}, setting.BBCOLOR);
    const std::int32_t t = S(1);  // a frame line's width
    if (setting.FM[kFrameTop]) canvas.Fill({0, 0, W, t}, setting.BFCOLOR);
    if (setting.FM[kFrameBottom]) canvas.Fill({0, H - t, W, H}, setting.BFCOLOR);
    if (setting.FM[kFrameLeft]) canvas.Fill({0, 0, t, H}, setting.BFCOLOR);
    if (setting.FM[kFrameRight]) canvas.Fill({W - t, 0, W, H}, setting.BFCOLOR);
}

void PaintTitleBand(Canvas& canvas, ExecuteSetting& setting, Size size, std::int32_t h, double now,
                    std::u16string_view todayText, const Scaler& S) {
    const std::int32_t W = size.width;
    const std::int32_t split = S(4) + (h + S(4)) / 2;
    canvas.Fill({S(4), S(4), W - S(4), split}, setting.TBCOLOR);
    canvas.Fill({S(4), split, W - S(4), h + S(8)},
                setting.Style.Shaded ? DarkenColor(setting.TBCOLOR, 24) : setting.TBCOLOR);
    canvas.Text({S(6), S(6)}, setting.TITLE, setting.TTCOLOR);
    // A birth date that does not read as a date is forgotten, whatever the subtitle shows.
    const std::optional<CivilDate> birth = ParseDateText(setting.BIRTH);
    if (!birth) setting.BIRTH.clear();
    const std::u16string subtitle = TitleSubtitle(setting.DVIEW, birth, now, todayText);
    if (!subtitle.empty()) {
        canvas.Text({(W - S(4)) - canvas.TextExtent(subtitle).width - S(2), S(6)}, subtitle, setting.TTCOLOR);
    }
}

}  // namespace

std::u16string TitleSubtitle(std::int32_t DVIEW, const std::optional<CivilDate>& birth, double now,
                             std::u16string_view todayText) {
    if (DVIEW == kSubtitleShowsToday) return std::u16string(todayText);
    if (DVIEW == kSubtitleShowsBirthDays && birth) {
        return FormatText(u"%d", {static_cast<std::int32_t>(std::trunc(now - DayNumber(*birth)))});
    }
    return {};
}

std::int32_t PaintGadget(Canvas& canvas, ExecuteSetting& setting, const GoalList& goals, const LocalDateTime& now,
                         bool fullPaint) {
    const Size size = canvas.ClientSize();
    const Scaler S(canvas.Dpi());
    canvas.SetFontSize(setting.Style.TitleFontSize);
    if (fullPaint) PaintBackgroundAndFrame(canvas, setting, size, S);

    const double nowDays = DaysOf(now);
    const std::u16string todayText = DateText(now.date);
    const std::int32_t h = EvenTextHeight(canvas);
    PaintTitleBand(canvas, setting, size, h, nowDays, todayText, S);

    const PanelGrid grid = EffectivePanelGrid(setting.CL, setting.RW);
    const WorkCalendar calendar{DaysOff(setting.OFFDAYS)};
    for (std::int32_t i = 0; i < grid.Cells(); ++i) {
        const Point at = PanelCellOrigin(i, grid, setting.SR, h, S.dpi());
        PaintGoalPanel(canvas, setting, GoalFigures(setting, goals, i, calendar, nowDays, todayText), at.x, at.y, h);
    }
    return h + S(8);
}

}  // namespace kestrival
