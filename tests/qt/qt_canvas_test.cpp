// The Linux canvas draws what the core asks, pixel for pixel: a 150-panel gadget on the Qt canvas
// against the core's reference drawing of the same calls, everywhere but inside the text boxes
// (glyphs are the font's). The reference measures text with the Qt canvas, so both lay out alike.
#include "render/qt/qt_canvas.h"
#include "render/qt/translucent_image.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <algorithm>
#include <vector>

#include "render/painter.h"
#include "settings/execute_setting.h"
#include "support/text.h"
#include "tests/common/test_canvas.h"

namespace kestrival {
namespace {

// The core's reference canvas, measuring text as the Qt canvas does.
class MeasuredReference : public TestCanvas {
public:
    MeasuredReference(Size size, QtCanvas& measure) : TestCanvas(size, 0x123456), measure_(measure) {}
    void SetFontSize(std::int32_t points) override {
        TestCanvas::SetFontSize(points);
        measure_.SetFontSize(points);
    }
    Size TextExtent(std::u16string_view text) override { return measure_.TextExtent(text); }
    // Every text box drawn, with the font size it was drawn at.
    std::vector<Rect> TextBoxes() {
        std::vector<Rect> boxes;
        for (const auto& drawn : Texts()) {
            measure_.SetFontSize(drawn.fontSize);
            const Size extent = measure_.TextExtent(drawn.text);
            // A glyph's ink may overhang its cell by a pixel or two (bold is drawn a pixel wider,
            // some faces reach a pixel above their ascent).
            boxes.push_back(
                {drawn.at.x - 2, drawn.at.y - 1, drawn.at.x + extent.width + 2, drawn.at.y + extent.height + 1});
        }
        return boxes;
    }

private:
    QtCanvas& measure_;
};

ExecuteSetting GridOf150(GoalList& goals) {
    ExecuteSetting setting;
    setting.ReadValues({2026, 12, 10}, goals);
    setting.Style = ChooseRenderStyle(10);
    setting.CL = 15;
    setting.RW = 10;
    setting.TITLE = u"百五十の目標";
    setting.DVIEW = 1;
    goals.Clear();
    for (std::int32_t i = 0; i < 150; ++i) {
        const std::int32_t year = 2020 + i % 12;
        goals.Add(FormatText(u"目標 %d,%04d/01/01,%04d/06/30", {i + 1, year, year + 1 + i % 3}));
    }
    return setting;
}

TEST(QtCanvasTest, A150PanelGadgetMatchesTheReferenceOutsideTheTexts) {
    GoalList goals;
    ExecuteSetting setting = GridOf150(goals);
    const std::u16string face = ChooseQtFace(setting.Style.Font.face, 12);
    QtCanvas canvas(setting.Style.Font, face, kDesignDpi);
    QtCanvas measure(setting.Style.Font, face, kDesignDpi);
    const Size size{15 * 162 + 6, 10 * 72 + 40};
    canvas.Resize(size);
    MeasuredReference reference(size, measure);
    const LocalDateTime now{{2026, 12, 10}, 12, 0, 0, 0};
    ExecuteSetting forReference = setting;
    const std::int32_t band = PaintGadget(canvas, setting, goals, now, true);
    EXPECT_EQ(PaintGadget(reference, forReference, goals, now, true), band);

    const std::vector<Rect> boxes = reference.TextBoxes();
    ASSERT_GT(boxes.size(), 600u);
    for (std::size_t i = 0; i < 3; ++i)
        std::printf("box %d %d %d %d %s\n", boxes[i].left, boxes[i].top, boxes[i].right, boxes[i].bottom,
                    ToUtf8(reference.Texts()[i].text).c_str());  // a title, two dates and two day counts on each panel
    std::vector<bool> text(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height));
    for (const Rect& box : boxes) {
        for (std::int32_t y = std::max(box.top, 0); y < std::min(box.bottom, size.height); ++y) {
            for (std::int32_t x = std::max(box.left, 0); x < std::min(box.right, size.width); ++x) {
                text[static_cast<std::size_t>(y) * static_cast<std::size_t>(size.width) + static_cast<std::size_t>(x)] =
                    true;
            }
        }
    }
    auto inText = [&](std::int32_t x, std::int32_t y) {
        return text[static_cast<std::size_t>(y) * static_cast<std::size_t>(size.width) + static_cast<std::size_t>(x)];
    };
    std::int64_t compared = 0, differing = 0;
    const QImage& image = canvas.Image();
    for (std::int32_t y = 0; y < size.height; ++y) {
        for (std::int32_t x = 0; x < size.width; ++x) {
            if (inText(x, y)) continue;
            const std::int32_t expected = reference.PixelAt(x, y);
            if (expected == 0x123456) continue;  // the reference left it unpainted
            const QRgb pixel = image.pixel(x, y);
            const std::int32_t got = qRed(pixel) | (qGreen(pixel) << 8) | (qBlue(pixel) << 16);
            ++compared;
            if (got != expected && differing++ < 5) ADD_FAILURE() << "pixel " << x << "," << y << ": " << got;
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(compared, std::int64_t{size.width} * size.height / 2);
}

TEST(QtCanvasTest, TextIsDrawnInItsColourAtItsCell) {
    GadgetFont font;
    QtCanvas canvas(font, ChooseQtFace(u"Meiryo UI", 12), kDesignDpi);
    canvas.Resize({120, 40});
    canvas.Fill({0, 0, 120, 40}, 0x000000);
    canvas.SetFontSize(9);
    canvas.Text({10, 10}, u"目標", 0x0000FF);  // red
    const Size extent = canvas.TextExtent(u"目標");
    EXPECT_GT(extent.width, 12);
    EXPECT_GT(extent.height, 8);
    std::int32_t red = 0, outside = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 120; ++x) {
            const QRgb pixel = canvas.Image().pixel(x, y);
            if (pixel == qRgb(0, 0, 0)) continue;
            const bool inside = x >= 8 && x < 12 + extent.width && y >= 9 && y < 11 + extent.height;
            if (inside && qRed(pixel) > 0 && qGreen(pixel) == 0 && qBlue(pixel) == 0) ++red;
            if (!inside) ++outside;
        }
    }
    EXPECT_GT(red, 20);
    EXPECT_EQ(outside, 0);
}

TEST(TranslucentPixelsTest, TheWindowsAlphaInEveryPixelAndTheKeyTransparent) {
    QImage painted(3, 1, QImage::Format_RGB32);
    painted.setPixel(0, 0, qRgb(0x99, 0x99, 0xEE));
    painted.setPixel(1, 0, qRgb(0, 0, 0));  // the key colour, 0x000000
    painted.setPixel(2, 0, qRgb(0, 0, 1));  // one step from it
    const QImage pixels = TranslucentPixels(painted, 153, 0x000000);
    ASSERT_EQ(pixels.format(), QImage::Format_ARGB32_Premultiplied);
    // 0x99 * 153 / 255 = 91.8, 0xEE * 153 / 255 = 142.8: rounded to the nearest.
    EXPECT_EQ(reinterpret_cast<const QRgb*>(pixels.constScanLine(0))[0], qRgba(92, 92, 143, 153));
    EXPECT_EQ(qAlpha(reinterpret_cast<const QRgb*>(pixels.constScanLine(0))[1]), 0);
    EXPECT_EQ(qAlpha(reinterpret_cast<const QRgb*>(pixels.constScanLine(0))[2]), 153);
    // Without a key black is painted, and full opacity leaves every colour as it was.
    EXPECT_EQ(qAlpha(TranslucentPixels(painted, 153, std::nullopt).pixel(1, 0)), 153);
    const QImage opaque = TranslucentPixels(painted, 255, std::nullopt);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(opaque.pixel(x, 0), painted.pixel(x, 0)) << x;
}

}  // namespace
}  // namespace kestrival

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
