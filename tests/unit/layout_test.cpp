#include "render/layout.h"

#include <gtest/gtest.h>

#include "tests/common/test_canvas.h"

namespace kestrival {
namespace {

class RecordingWindow : public GadgetWindow {
public:
    void SetBounds(const Rect& b) override { bounds = b; }
    void SetColorKey(bool enabled, std::int32_t colour) override {
        keyEnabled = enabled;
        keyColour = colour;
    }
    void SetAlpha(std::uint8_t a) override { alpha = a; }
    Point Position() const override { return {bounds.left, bounds.top}; }

    Rect bounds;
    bool keyEnabled = false;
    std::int32_t keyColour = -1;
    std::uint8_t alpha = 0;
};

ExecuteSetting Setting(std::int32_t CL, std::int32_t RW, std::int32_t bandExtra = 0) {
    ExecuteSetting s;
    s.CL = CL;
    s.RW = RW;
    s.Style.BandExtra = bandExtra;
    return s;
}

TEST(LayoutTest, SizeFromCounts) {
    EXPECT_EQ(GadgetSize(Setting(1, 1), 12), (Size{168, 96}));
    EXPECT_EQ(GadgetSize(Setting(1, 1, 1), 15), (Size{168, 100}));
    EXPECT_EQ(GadgetSize(Setting(2, 3), 13), (Size{330, 13 + 216 + 12}));
    // Odd hand-edited counts: a title band one column wide, or at most 150 panels.
    EXPECT_EQ(GadgetSize(Setting(0, 5), 13), (Size{168, 25}));
    EXPECT_EQ(GadgetSize(Setting(-5, -5), 13), (Size{168, 25}));
    EXPECT_EQ(GadgetSize(Setting(2147483647, 1), 13), (Size{150 * 162 + 6, 13 + 72 + 12}));
    EXPECT_EQ(GadgetSize(Setting(1, 2147483647), 13), (Size{168, 13 + 150 * 72 + 12}));
}

struct PositionCase {
    std::int32_t anchor, offset, extent, expected;
};

TEST(LayoutTest, HorizontalAnchorsAndClamping) {
    const PositionCase cases[] = {
        {1, 0, 330, 1590},          {2, 0, 330, 795},     {7, 99, 330, 795}, {0, -50, 330, 0},
        {0, 1919, 330, 1919},       {0, 1920, 330, 1590}, {2, 0, 2500, 0},   {1, -2147483647 - 1, 330, 1590},
        {0, 2147483647, 330, 1590}, {1, 100, 330, 1490},
    };
    for (const auto& c : cases) {
        ExecuteSetting s;
        s.HB = c.anchor;
        s.DX = c.offset;
        s.VB = 0;
        EXPECT_EQ(GadgetPosition(s, {c.extent, 100}, {1920, 1080}).x, c.expected) << c.anchor << "/" << c.offset;
    }
}

TEST(LayoutTest, VerticalAnchorsAndClamping) {
    const PositionCase cases[] = {
        {0, 10, 100, 10}, {1, 10, 100, 970}, {2, 10, 100, 490}, {0, 1080, 100, 980}, {0, -1, 100, 0},
    };
    for (const auto& c : cases) {
        ExecuteSetting s;
        s.HB = 0;
        s.VB = c.anchor;
        s.DY = c.offset;
        EXPECT_EQ(GadgetPosition(s, {168, c.extent}, {1920, 1080}).y, c.expected);
    }
}

TEST(LayoutTest, LayoutAppliesBoundsKeyAndReturnsPosition) {
    ExecuteSetting s = Setting(2, 1);
    s.HB = 1;
    s.DX = 10;
    s.VB = 0;
    s.DY = 20;
    s.TB = 0;
    s.BBCOLOR = 0x00FF00;
    TestCanvas canvas({1, 1});
    canvas.SetFontSize(9);
    RecordingWindow window;
    const Point at = LayoutGadget(s, canvas, {1920, 1080}, window);
    EXPECT_EQ(window.bounds, (Rect{1580, 20, 1910, 20 + 13 + 72 + 12}));
    EXPECT_EQ(at, (Point{1580, 20}));
    EXPECT_FALSE(window.keyEnabled);
    EXPECT_EQ(window.keyColour, 0x00FF00);
    s.TB = 1;
    LayoutGadget(s, canvas, {1920, 1080}, window);
    EXPECT_TRUE(window.keyEnabled);
}

TEST(LayoutTest, OpacityIsKeptVisible) {
    const std::pair<std::int32_t, std::uint8_t> cases[] = {
        {100, 255}, {90, 229}, {50, 127}, {10, 25}, {0, 25}, {-2147483647 - 1, 25}, {1000, 255}, {2147483647, 255},
    };
    for (const auto& [percent, alpha] : cases) {
        RecordingWindow window;
        ApplyOpacity(window, percent);
        EXPECT_EQ(window.alpha, alpha) << percent;
    }
}

}  // namespace
}  // namespace kestrival
