// The gadget painted with the program's GDI canvas, checked pixel by pixel. Goal dates are chosen
// relative to today, so the figures hold on any day.
#include "render/win32/gdi_canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "render/goal_panel.h"
#include "render/layout.h"
#include "render/drawing.h"
#include "render/painter.h"
#include "support/text.h"
#include "support/win32/clock.h"
#include "support/win32/font_faces.h"
#include "tests/common/win32/gdi_drawn_canvas.h"

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

// Every 32-bit word of the canvas's pixels, top row first.
std::vector<std::uint32_t> AllPixels(GdiCanvas& canvas) {
    const Size size = canvas.ClientSize();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.width;
    info.bmiHeader.biHeight = -size.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height));
    ::GdiFlush();
    ::GetDIBits(canvas.dc(), static_cast<HBITMAP>(::GetCurrentObject(canvas.dc(), OBJ_BITMAP)), 0,
                static_cast<UINT>(size.height), pixels.data(), &info, DIB_RGB_COLORS);
    return pixels;
}

std::size_t FirstDifference(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    const auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    return static_cast<std::size_t>(ia - a.begin());
}

TEST_F(GdiPaintTest, FillsAndFramesGiveGdisPixelsAtTheEdgesToo) {
    const Rect cases[] = {
        {3, 4, 20, 9},    {0, 0, 40, 30},   {-5, -5, 6, 7},  {35, 25, 60, 50}, {-10, 10, 50, 11}, {10, -3, 11, 40},
        {12, 12, 12, 20}, {20, 20, 10, 25}, {50, 0, 60, 10}, {0, 30, 40, 40},  {5, 5, 6, 6},      {7, 7, 9, 8},
    };
    for (const Rect& rect : cases) {
        GdiCanvas own(setting_.Style.Font);
        GdiDrawnCanvas gdi(setting_.Style.Font);
        for (GdiCanvas* canvas : {&own, static_cast<GdiCanvas*>(&gdi)}) {
            canvas->Resize({40, 30});
            canvas->Fill({0, 0, 40, 30}, 0x123456);
            canvas->Fill(rect, 0x00FFEE);
            canvas->Frame(rect, 0xAA0011);
        }
        const auto expected = AllPixels(gdi), actual = AllPixels(own);
        EXPECT_EQ(FirstDifference(actual, expected), actual.size())
            << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
    }
}

// A full and a timer pass of 150 panels with long titles that run into the next cell, with the
// frame on every edge: the same image, pixel for pixel, as GDI's own fills and frames give.
TEST_F(GdiPaintTest, A150PanelImageIsGdisImage) {
    setting_.CL = 15;
    setting_.RW = 10;
    setting_.FM = {1, 1, 1, 1};
    goals_.Clear();
    for (int i = 0; i < 150; ++i) {
        const std::u16string title = i % 3 ? u"長い長い長い長い目標の名前がとなりのパネルまで続く" : u"目標";
        goals_.Add(title + FormatText(u"%d,", {i}) + DayText(-i, now_) + u"," + DayText(i % 7 ? 150 - i : -1, now_));
    }
    GdiCanvas own(setting_.Style.Font);
    GdiDrawnCanvas gdi(setting_.Style.Font);
    for (GdiCanvas* canvas : {&own, static_cast<GdiCanvas*>(&gdi)}) {
        canvas->Resize(GadgetSize(setting_, canvas->TextExtent(u"H").height));
        PaintGadget(*canvas, setting_, goals_, now_, true);
    }
    const auto expected = AllPixels(gdi);
    EXPECT_EQ(FirstDifference(AllPixels(own), expected), expected.size()) << "full pass";
    setting_.TITLE = u"別のタイトル";
    for (GdiCanvas* canvas : {&own, static_cast<GdiCanvas*>(&gdi)}) PaintGadget(*canvas, setting_, goals_, now_, false);
    const auto expectedAfterTimer = AllPixels(gdi);
    EXPECT_EQ(FirstDifference(AllPixels(own), expectedAfterTimer), expectedAfterTimer.size()) << "timer pass";
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
