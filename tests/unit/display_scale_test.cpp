#include "support/display_scale.h"

#include <gtest/gtest.h>

#include "app/gadget_rules.h"
#include "render/goal_panel.h"
#include "render/layout.h"
#include "render/painter.h"
#include "settings/dialog/setup_dialog.h"
#include "tests/common/test_canvas.h"

namespace kestrival {
namespace {

TEST(DisplayScaleTest, LengthsAtTheCommonScales) {
    struct Case {
        std::int32_t length, dpi, scaled;
    };
    const Case cases[] = {
        {162, 96, 162},
        {1, 96, 1},
        {0, 144, 0},  // 100 %: unchanged
        {162, 120, 203},
        {2, 120, 3},
        {1, 120, 1},
        {6, 120, 8},  // 125 %: halves away from zero
        {162, 144, 243},
        {1, 144, 2},
        {3, 144, 5},
        {148, 144, 222},  // 150 %
        {162, 168, 284},
        {4, 168, 7},
        {1, 168, 2},  // 175 %
        {162, 192, 324},
        {1, 192, 2},
        {596, 192, 1192},  // 200 %
        {-3, 144, -5},
        {-2, 120, -3},  // offsets left of the screen
        {2147483647, 192, 2147483647},
        {5, 0, 5},  // no overflow; no DPI: 96
    };
    for (const auto& c : cases) EXPECT_EQ(ScaleLength(c.length, c.dpi), c.scaled) << c.length << " at " << c.dpi;
}

TEST(DisplayScaleTest, OffsetsComeBackUnchanged) {
    for (const std::int32_t dpi : {96, 120, 144, 168, 192, 240}) {
        for (std::int32_t length = -400; length <= 4000; ++length) {
            ASSERT_EQ(UnscaleLength(ScaleLength(length, dpi), dpi), length) << length << " at " << dpi;
        }
    }
    EXPECT_EQ(UnscaleLength(1001, 144), 667);  // a dragged position rounds to the nearest unit
}

TEST(DisplayScaleTest, GadgetSizeAndPlaceAreTheDesignScaled) {
    ExecuteSetting setting;
    setting.CL = 3;
    setting.RW = 2;
    setting.Style.BandExtra = 0;
    // At 96 DPI: 3 * 162 + 6 wide, text + 2 * 72 + 12 high.
    EXPECT_EQ(GadgetSize(setting, 13, 96), (Size{492, 13 + 156}));
    EXPECT_EQ(GadgetSize(setting, 20, 144), (Size{738, 20 + 234}));
    EXPECT_EQ(GadgetSize(setting, 16, 120), (Size{615, 16 + 195}));
    setting.HB = 1;
    setting.DX = 10;
    setting.VB = 0;
    setting.DY = 20;
    EXPECT_EQ(GadgetPosition(setting, {738, 254}, {2880, 1620}, 144), (Point{2880 - 738 - 15, 30}));
}

TEST(DisplayScaleTest, DraggedPositionIsStoredInDesignUnits) {
    ExecuteSetting setting;
    setting.HB = 1;
    setting.DX = 7;
    EXPECT_FALSE(ApplyMovedWindowRule(setting, {300, 200}, {300, 200}, 144));
    EXPECT_EQ(setting.HB, 1);  // not dragged: the anchors stay as they were
    EXPECT_EQ(setting.DX, 7);
    EXPECT_TRUE(ApplyMovedWindowRule(setting, {450, 301}, {300, 200}, 144));
    EXPECT_EQ(setting.DX, 300);
    EXPECT_EQ(setting.DY, 201);  // 200.67
    // Laid out again at the same scale, it stands where it was dropped (to the pixel when exact).
    EXPECT_EQ(GadgetPosition(setting, {100, 100}, {2880, 1620}, 144), (Point{450, 302}));
}

TEST(DisplayScaleTest, DraggedGadgetIsBroughtBackOntoASmallerScreen) {
    const Size window{168, 96};
    EXPECT_EQ(KeptOnScreen({1180, 100}, window, {1024, 768}), (Point{856, 100}));
    EXPECT_EQ(KeptOnScreen({900, 700}, window, {1024, 768}), (Point{900, 700}));  // still on it: stays
    EXPECT_EQ(KeptOnScreen({-50, 900}, window, {1024, 768}), (Point{0, 672}));
}

TEST(DisplayScaleTest, AnchorButtonsSeeDesignUnits) {
    const WindowGeometry g = DesignUnitGeometry({1500, 300, 1752, 444}, {2880, 1620}, 144);
    EXPECT_EQ(g.window, (Rect{1000, 200, 1168, 296}));
    EXPECT_EQ(g.display, (Size{1920, 1080}));
    EXPECT_EQ(DesignUnitGeometry({10, 20, 30, 40}, {800, 600}, 96).window, (Rect{10, 20, 30, 40}));
}

TEST(DisplayScaleTest, PanelsAndBarSitAtScaledPositions) {
    ExecuteSetting setting;
    GoalList goals;
    setting.ReadValues({2026, 12, 10}, goals);
    setting.Style = ChooseRenderStyle(6);
    setting.CL = 2;
    setting.RW = 1;
    setting.BBCOLOR = 0x202020;
    setting.PFCOLOR = 0xEEEEEE;
    setting.GFCOLOR = 0x0000FF;
    goals.Clear();
    goals.Add(u"a,2026/12/05,2026/12/15");
    goals.Add(u"b,2026/12/05,2026/12/15");
    const LocalDateTime now{{2026, 12, 10}, 12, 0, 0};
    for (const std::int32_t dpi : {96, 144, 192}) {
        const Scaler S(dpi);
        TestCanvas canvas(GadgetSize(setting, 13, dpi), -1);
        canvas.SetDpi(dpi);
        const std::int32_t band = PaintGadget(canvas, setting, goals, now, true);
        const std::int32_t h = band - S(8);
        // The second panel's frame starts at the scaled cell pitch, and is as thick as a scaled line.
        const std::int32_t x1 = S(162 + 4), y0 = S(10) + h;
        EXPECT_EQ(canvas.PixelAt(x1, y0), 0xEEEEEE) << dpi;
        EXPECT_EQ(canvas.PixelAt(x1 + S(1) - 1, y0 + S(20)), 0xEEEEEE) << dpi;
        EXPECT_EQ(canvas.PixelAt(x1 + S(1), y0 + S(20)), 0x202020) << dpi;
        EXPECT_EQ(canvas.PixelAt(x1 + S(160) - 1, y0 + S(20)), 0xEEEEEE) << dpi;
        // The bar is 148 pixels scaled, half full, its frame as thick as the panel's.
        canvas.SetFontSize(setting.Style.PanelFontSize);
        const std::int32_t t = canvas.TextExtent(u"H").height;
        const std::int32_t barTop = y0 + h + t + S(setting.Style.BarGap) + S(10);
        const std::int32_t barLeft = S(4) + S(6);
        EXPECT_EQ(canvas.PixelAt(barLeft, barTop), 0x0000FF) << dpi;
        EXPECT_EQ(canvas.PixelAt(barLeft + S(148) - 1, barTop + S(14) - 1), 0x0000FF) << dpi;
        EXPECT_EQ(ProgressRight(5, 10, barLeft, S(148)), barLeft + S(148) / 2) << dpi;
    }
}

}  // namespace
}  // namespace kestrival
