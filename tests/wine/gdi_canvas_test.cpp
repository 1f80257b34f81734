// The gadget painted with the program's GDI canvas, checked pixel by pixel. Goal dates are chosen
// relative to today, so the figures hold on any day.
#include "render/win32/gdi_canvas.h"

#include <gtest/gtest.h>

#include "render/goal_panel.h"
#include "render/layout.h"
#include "render/painter.h"
#include "support/text.h"
#include "support/win32/clock.h"
#include "support/win32/font_faces.h"

namespace kestrival {
namespace {

std::u16string DayText(std::int32_t offsetFromToday, const LocalDateTime& now) {
    return DateText(DateOfDayNumber(DayNumber(now.date) + offsetFromToday));
}

std::int32_t PixelOf(GdiCanvas& canvas, int x, int y) {
    return static_cast<std::int32_t>(::GetPixel(canvas.dc(), x, y));
}

class GdiPaintTest : public ::testing::Test {
protected:
    GdiPaintTest() {
        setting_.ReadValues(now_.date, goals_);
        setting_.OsMajorVersion = 6;
        setting_.Style = ChooseRenderStyle(6);
        setting_.BBCOLOR = 0x202020;
        setting_.TBCOLOR = 0x808080;
        setting_.GBCOLOR = 0x775577;
        setting_.PFCOLOR = 0xEEEEEE;
        setting_.GFCOLOR = 0x0000FF;
        setting_.CL = 2;
        setting_.RW = 1;
        goals_.Clear();
        goals_.Add(u"running," + DayText(-5, now_) + u"," + DayText(5, now_));
    }

    const LocalDateTime now_ = Win32Clock().Now();
    ExecuteSetting setting_;
    GoalList goals_;
};

TEST_F(GdiPaintTest, BandPanelAndBarPixels) {
    GdiCanvas canvas(setting_.Style.Font);
    const Size size = GadgetSize(setting_, canvas.TextExtent(u"H").height);
    canvas.Resize(size);
    const std::int32_t band = PaintGadget(canvas, setting_, goals_, now_, true);
    const std::int32_t h = band - 8;
    ASSERT_EQ(h % 2, 0);

    EXPECT_EQ(PixelOf(canvas, 4, 4), 0x808080);
    EXPECT_EQ(PixelOf(canvas, size.width - 5, 4), 0x808080);
    EXPECT_EQ(PixelOf(canvas, 4, h + 7), DarkenColor(0x808080, 24));
    EXPECT_EQ(PixelOf(canvas, 4, 4 + (h + 4) / 2), DarkenColor(0x808080, 24));
    EXPECT_EQ(PixelOf(canvas, 4, 4 + (h + 4) / 2 - 1), 0x808080);
    EXPECT_EQ(PixelOf(canvas, 0, 0), 0xEEEEEE);  // outer frame line
    EXPECT_EQ(PixelOf(canvas, 2, 2), 0x202020);  // background

    const std::int32_t x0 = 4, y0 = h + 10;
    EXPECT_EQ(PixelOf(canvas, x0, y0), 0xEEEEEE);
    EXPECT_EQ(PixelOf(canvas, x0 + 159, y0 + 69), 0xEEEEEE);
    canvas.SetFontSize(setting_.Style.PanelFontSize);
    const std::int32_t t = canvas.TextExtent(u"H").height;
    const std::int32_t b = y0 + h + t + setting_.Style.BarGap + 10;
    const std::int32_t r = ProgressRight(5, 10, x0 + 6);
    ASSERT_EQ(r, x0 + 80);
    EXPECT_EQ(PixelOf(canvas, x0 + 6, b), 0x0000FF);
    EXPECT_EQ(PixelOf(canvas, r - 1, b + 1), 0x775577);
    EXPECT_EQ(PixelOf(canvas, r - 1, b + 7), DarkenColor(0x775577, 24));
    EXPECT_EQ(PixelOf(canvas, r, b + 1), 0x202020);
    EXPECT_EQ(PixelOf(canvas, x0 + 153, b + 7), 0x0000FF);
    // The second cell has no goal: only its background.
    EXPECT_EQ(PixelOf(canvas, x0 + 162, y0), 0x202020);
}

// With the face this system gives, the day counts sit between the bar and the panel's bottom line,
// clear of that line, in both looks.
TEST_F(GdiPaintTest, DayCountsSitInsideThePanelInBothLooks) {
    for (const std::int32_t osMajor : {5, 6}) {
        setting_.Style = ChooseRenderStyle(osMajor);
        GdiCanvas canvas(setting_.Style.Font);
        const Size size = GadgetSize(setting_, canvas.TextExtent(u"H").height);
        canvas.Resize(size);
        const std::int32_t band = PaintGadget(canvas, setting_, goals_, now_, true);
        const std::int32_t x0 = 4, middle = x0 + 80;
        // Down the panel's middle: past the bar (blue frame), to the panel's bottom line.
        std::int32_t y = band + 2;
        while (y < size.height && PixelOf(canvas, middle, y) != 0x0000FF) ++y;
        while (y < size.height && PixelOf(canvas, middle, y) != 0x202020) ++y;
        const std::int32_t belowBar = y;
        while (y < size.height && PixelOf(canvas, middle, y) != 0xEEEEEE) ++y;
        const std::int32_t bottomLine = y;
        ASSERT_LT(bottomLine, size.height - 1) << "look of version " << osMajor;
        auto inkInRow = [&](std::int32_t row) {
            for (std::int32_t x = x0 + 1; x < x0 + 159; ++x) {
                if (PixelOf(canvas, x, row) != 0x202020) return true;
            }
            return false;
        };
        bool digits = false;
        for (std::int32_t row = belowBar; row < bottomLine; ++row) digits = digits || inkInRow(row);
        EXPECT_TRUE(digits) << "look of version " << osMajor;
        EXPECT_FALSE(inkInRow(bottomLine - 1)) << "look of version " << osMajor;
    }
}

TEST_F(GdiPaintTest, PixelsSurviveATimerPass) {
    GdiCanvas canvas(setting_.Style.Font);
    canvas.Resize(GadgetSize(setting_, canvas.TextExtent(u"H").height));
    PaintGadget(canvas, setting_, goals_, now_, true);
    setting_.BFCOLOR = 0x00FF00;
    PaintGadget(canvas, setting_, goals_, now_, false);
    EXPECT_EQ(PixelOf(canvas, 0, 0), 0xEEEEEE);  // frame not redrawn by a timer pass
}

TEST(GdiFaceTest, MissingFaceFallsBackToAnInstalledJapaneseFace) {
    const std::wstring face = ChooseInstalledFace(u"No Such Face 123", 12);
    EXPECT_FALSE(face.empty());
    EXPECT_NE(face, L"No Such Face 123");
    // Where the Windows faces are missing (as under Wine), the compact fallback the scripts install.
    EXPECT_EQ(ChooseInstalledFace(u"Meiryo UI", 12), L"Ume UI Gothic");
}

}  // namespace
}  // namespace kestrival
