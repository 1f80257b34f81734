#include "render/goal_panel.h"

#include <gtest/gtest.h>

#include "render/drawing.h"
#include "render/painter.h"
#include "support/text.h"
#include "tests/common/test_canvas.h"

namespace kestrival {
namespace {

double At(CivilDate date, int hour = 0) { return DaysOf({date, hour, 0, 0, 0}); }

struct PanelCase {
    const char* name;
    const char16_t* line;
    CivilDate today;
    int hour;
    const char16_t* shownStart;
    const char16_t* shownEnd;
    bool hasStart, hasEnd;
    std::int32_t elapsed, remaining, span, progress;
};

TEST(GoalPanelTest, FiguresForRunningNotStartedAndEndedGoals) {
    const PanelCase cases[] = {
        {"running",
         u"t,2010/01/01,2010/01/11",
         {2010, 1, 6},
         12,
         u"2010/01/01",
         u"2010/01/11",
         true,
         true,
         5,
         4,
         10,
         5},
        {"start day",
         u"t,2010/01/01,2010/01/11",
         {2010, 1, 1},
         8,
         u"2010/01/01",
         u"2010/01/11",
         true,
         true,
         0,
         9,
         10,
         0},
        {"end day",
         u"t,2010/01/01,2010/01/11",
         {2010, 1, 11},
         9,
         u"2010/01/01",
         u"2010/01/11",
         true,
         true,
         10,
         0,
         10,
         10},
        {"one-day goal",
         u"t,2010/01/05,2010/01/05",
         {2010, 1, 5},
         9,
         u"2010/01/05",
         u"2010/01/05",
         true,
         true,
         0,
         0,
         0,
         0},
        {"starts tomorrow",
         u"t,2010/01/06,2010/02/01",
         {2010, 1, 5},
         1,
         u"2010/01/05",
         u"2010/01/06",
         true,
         true,
         0,
         0,
         1,
         1},
        {"starts in 10 days",
         u"t,2010/01/15,2010/02/01",
         {2010, 1, 5},
         1,
         u"2010/01/05",
         u"2010/01/15",
         true,
         true,
         0,
         9,
         1,
         1},
        {"ended yesterday",
         u"t,2009/12/01,2010/01/04",
         {2010, 1, 5},
         1,
         u"2010/01/04",
         u"2010/01/05",
         true,
         true,
         1,
         0,
         1,
         1},
        {"title only", u"only a title", {2010, 1, 5}, 13, u"2010/01/05", u"2010/01/05", false, false, 0, 0, 1, 1},
        {"blanks trimmed",
         u" t , 2010/01/01 ,2010/01/11\t",
         {2010, 1, 6},
         12,
         u"2010/01/01",
         u"2010/01/11",
         true,
         true,
         5,
         4,
         10,
         5},
    };
    for (const auto& c : cases) {
        const GoalPanelFigures f = ComputeGoalPanel(c.line, At(c.today, c.hour), DateText(c.today));
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(f.datesRead);
        EXPECT_EQ(f.ShownStart, c.shownStart);
        EXPECT_EQ(f.ShownEnd, c.shownEnd);
        EXPECT_EQ(f.HasStart, c.hasStart);
        EXPECT_EQ(f.HasEnd, c.hasEnd);
        EXPECT_EQ(f.ElapsedDays, c.elapsed);
        EXPECT_EQ(f.RemainingDays, c.remaining);
        EXPECT_EQ(f.SpanDays, c.span);
        EXPECT_EQ(f.ProgressDays, c.progress);
    }
}

TEST(GoalPanelTest, UnreadableDatesSkipTheCell) {
    // Letters sort after digits: the start counts as "not started", becomes the end and fails to parse.
    EXPECT_FALSE(ComputeGoalPanel(u"t,abc,2010/01/11", At({2010, 1, 6}), u"2010/01/06").datesRead);
    EXPECT_FALSE(ComputeGoalPanel(u"t,2010/01/01,2010/02/30", At({2010, 1, 6}), u"2010/01/06").datesRead);
}

TEST(GoalPanelTest, ProgressRightEdge) {
    EXPECT_EQ(ProgressRight(5, 10, 10), 10 + 74);
    EXPECT_EQ(ProgressRight(0, 10, 10), 10);
    EXPECT_EQ(ProgressRight(10, 10, 10), 10 + 148);
    EXPECT_EQ(ProgressRight(-3, 10, 10), 10);
    EXPECT_EQ(ProgressRight(30, 10, 10), 10 + 148);
    EXPECT_EQ(ProgressRight(0, 0, 10), 10 + 148);
    EXPECT_EQ(ProgressRight(1, 3, 0), 49);  // 49.33 truncated
    EXPECT_EQ(ProgressRight(2, 3, 0), 98);  // 98.67 truncated
    // 5/37 of 148 is 20 exactly, but the quotient rounded in extended precision lands just below.
    EXPECT_EQ(ProgressRight(5, 37, 0), 19);
    EXPECT_EQ(ProgressRight(5, 37, 8), 27);  // the bar's left edge is added in the same precision
}

class PanelPaintTest : public ::testing::Test {
protected:
    PanelPaintTest() : canvas_({400, 200}, -1) {
        setting_.Style = ChooseRenderStyle(6);
        setting_.BBCOLOR = 0x000000;
        setting_.PFCOLOR = 0xEEEEEE;
        setting_.CBCOLOR = 0x808080;
        setting_.GBCOLOR = 0x775577;
        setting_.GFCOLOR = 0x0000FF;
    }
    ExecuteSetting setting_;
    TestCanvas canvas_;
};

TEST_F(PanelPaintTest, RunningGoalLayout) {
    const std::int32_t x0 = 4, y0 = 24, h = 14;
    PaintGoalPanel(canvas_, setting_, u"目標,2010/01/01,2010/01/11", x0, y0, h, At({2010, 1, 6}, 12), u"2010/01/06");
    EXPECT_EQ(canvas_.PixelAt(x0, y0), 0xEEEEEE);  // frame
    EXPECT_EQ(canvas_.PixelAt(x0 + 159, y0 + 69), 0xEEEEEE);
    EXPECT_EQ(canvas_.PixelAt(x0 + 1, y0 + 1), 0x000000);      // background inside the frame
    EXPECT_EQ(canvas_.PixelAt(x0 + 2, y0 + 2), 0x808080);      // title strip, upper half
    EXPECT_EQ(canvas_.PixelAt(x0 + 157, y0 + 2), 0x808080);    // its last column
    EXPECT_EQ(canvas_.PixelAt(x0 + 158, y0 + 2), 0x000000);    // and the background after it
    EXPECT_EQ(canvas_.PixelAt(x0 + 2, y0 + 2 + 8), 0x686868);  // lower half darkened (h / 2 + 1 = 8 rows each)
    EXPECT_EQ(canvas_.PixelAt(x0 + 157, y0 + h + 3), 0x686868);
    EXPECT_EQ(canvas_.PixelAt(x0 + 2, y0 + h + 4), 0x000000);
    // Panel font 8 points: t = 11; bar top b = y0 + h + t - 4 + 10.
    const std::int32_t b = y0 + h + 11 - 4 + 10;
    EXPECT_EQ(canvas_.PixelAt(x0 + 6, b), 0x0000FF);  // bar frame over the fill
    EXPECT_EQ(canvas_.PixelAt(x0 + 7, b + 1), 0x775577);
    EXPECT_EQ(canvas_.PixelAt(x0 + 79, b + 1), 0x775577);  // last filled column: r - 1 = x0 + 79
    EXPECT_EQ(canvas_.PixelAt(x0 + 80, b + 1), 0x000000);
    EXPECT_EQ(canvas_.PixelAt(x0 + 7, b + 8), DarkenColor(0x775577, 24));
    EXPECT_EQ(canvas_.TextsAt({x0 + 4, y0 + 4}), std::vector<std::u16string>{u"目標"});
    EXPECT_EQ(canvas_.TextsAt({x0 + 4, y0 + h + 8 - 3}), std::vector<std::u16string>{u"2010/01/01"});
    EXPECT_EQ(canvas_.TextsAt({x0 + 156 - 60, y0 + h + 8 - 3}), std::vector<std::u16string>{u"2010/01/11"});
    EXPECT_EQ(canvas_.TextsAt({x0 + 4, b + 17 - 4}), std::vector<std::u16string>{u"5"});
    EXPECT_EQ(canvas_.TextsAt({x0 + 156 - 6, b + 17 - 4}), std::vector<std::u16string>{u"4"});
    EXPECT_EQ(canvas_.FontSize(), setting_.Style.PanelFontSize);
}

TEST_F(PanelPaintTest, EmptyLineShowsOnlyBackgroundAndMissingDatesHideTheirNumbers) {
    PaintGoalPanel(canvas_, setting_, u"", 4, 24, 14, At({2010, 1, 6}), u"2010/01/06");
    EXPECT_EQ(canvas_.PixelAt(4, 24), 0x000000);
    EXPECT_TRUE(canvas_.Texts().empty());

    PaintGoalPanel(canvas_, setting_, u"title only", 4, 24, 14, At({2010, 1, 6}), u"2010/01/06");
    ASSERT_EQ(canvas_.Texts().size(), 3u);                                     // title and two dates, no numbers
    EXPECT_EQ(canvas_.PixelAt(4 + 152, 24 + 14 + 11 - 4 + 10 + 1), 0x775577);  // full bar
}

TEST_F(PanelPaintTest, ClassicStyleHasNoShading) {
    setting_.Style = ChooseRenderStyle(5);
    PaintGoalPanel(canvas_, setting_, u"t,2010/01/01,2010/01/11", 4, 24, 14, At({2010, 1, 6}, 12), u"2010/01/06");
    EXPECT_EQ(canvas_.PixelAt(6, 24 + 2 + 8), 0x808080);
}

TEST_F(PanelPaintTest, SkippedCellKeepsWhatWasThere) {
    canvas_.Fill({0, 0, 400, 200}, 0x123456);
    PaintGoalPanel(canvas_, setting_, u"t,2010/13/01,", 4, 24, 14, At({2010, 1, 6}), u"2010/01/06");
    EXPECT_EQ(canvas_.PixelAt(4, 24), 0x123456);
}

}  // namespace
}  // namespace kestrival

namespace kestrival {
namespace {

// The marks of a goal's choices and reminders sit between the two numbers, clear of both and of
// the dates.
TEST(PanelMarkTest, ChoicesShowBetweenTheNumbers) {
    ExecuteSetting setting;
    GoalList goals;
    setting.ReadValues({2026, 12, 10}, goals);
    TestCanvas canvas({200, 120});
    const WorkCalendar calendar;
    GoalPanelFigures figures = ComputeGoalPanel(u"試験,2026/12/01,2027/01/31", DaysOf({{2026, 12, 10}, 12}),
                                                u"2026/12/10", ParseCountChoices(u"TWY"), &calendar);
    figures.reminders = ParseReminderChoices(u"0,30");
    PaintGoalPanel(canvas, setting, figures, 4, 24, 14);
    const DrawnText* mark = nullptr;
    for (const auto& text : canvas.Texts()) {
        if (text.text == u"今平毎鈴") mark = &text;
    }
    ASSERT_NE(mark, nullptr);
    for (const auto& text : canvas.Texts()) {
        if (&text == mark || text.at.y != mark->at.y) continue;
        // Another text on the mark's row is a number: left of the mark or right of it.
        const std::int32_t right = text.at.x + canvas.TextExtent(text.text).width;
        const std::int32_t markRight = mark->at.x + canvas.TextExtent(mark->text).width;
        EXPECT_TRUE(right <= mark->at.x || text.at.x >= markRight) << "a text at x " << text.at.x;
    }
    EXPECT_EQ(mark->colour, setting.PFCOLOR);

    canvas.ClearTexts();
    PaintGoalPanel(canvas, setting,
                   ComputeGoalPanel(u"試験,2026/12/01,2027/01/31", DaysOf({{2026, 12, 10}, 12}), u"2026/12/10"), 4, 24,
                   14);
    for (const auto& text : canvas.Texts()) EXPECT_NE(text.text, u"");
    EXPECT_EQ(canvas.Texts().size(), 5u);  // title, two dates, two numbers: no mark
}

}  // namespace
}  // namespace kestrival
