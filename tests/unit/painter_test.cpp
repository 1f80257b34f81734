#include "render/drawing.h"
#include "render/painter.h"

#include <gtest/gtest.h>

#include "render/layout.h"
#include "support/text.h"
#include "tests/common/test_canvas.h"

namespace kestrival {
namespace {

constexpr LocalDateTime kNow{{2010, 1, 6}, 12, 0, 0, 0};

class PainterTest : public ::testing::Test {
protected:
    PainterTest() {
        setting_.FileLines.Clear();
        setting_.ReadValues(kNow.date, goals_);  // defaults
        setting_.Style = ChooseRenderStyle(6);
        setting_.TBCOLOR = 0x808080;
        setting_.DVIEW = 0;
        goals_.Clear();
    }
    TestCanvas CanvasFor() { return TestCanvas(GadgetSize(setting_, 13), -1); }
    void AddGoals(int count) {
        for (int i = 0; i < count; ++i) goals_.Add(FormatText(u"g%d,2010/01/01,2010/01/11", {i}));
    }
    // Goal numbers in the order their titles were drawn, from the cells' title positions.
    static std::u16string TitleAt(const TestCanvas& canvas, int column, int row, int h = 14) {
        const auto texts = canvas.TextsAt({column * 162 + 4 + 4, row * 72 + h + 10 + 4});
        return texts.empty() ? u"" : texts.front();
    }

    ExecuteSetting setting_;
    GoalList goals_;
};

TEST_F(PainterTest, DarkenColor) {
    EXPECT_EQ(DarkenColor(0x808080, 24), 0x686868);
    EXPECT_EQ(DarkenColor(0x000000, 24), 0x000000);
    EXPECT_EQ(DarkenColor(0xFFFFFF, 24), 0xE7E7E7);
    EXPECT_EQ(DarkenColor(0x10FF05, 24), 0x00E700);
    EXPECT_EQ(DarkenColor(0x306090, 24), 0x184878);    // red (low byte), green and blue each on its own
    EXPECT_EQ(DarkenColor(0x7F808080, 24), 0x686868);  // fourth byte dropped
}

TEST_F(PainterTest, TitleBandGeometryForTextHeight13) {
    TestCanvas canvas = CanvasFor();
    const std::int32_t W = canvas.ClientSize().width;
    EXPECT_EQ(PaintGadget(canvas, setting_, goals_, kNow, true), 22);
    EXPECT_EQ(canvas.PixelAt(4, 4), 0x808080);
    EXPECT_EQ(canvas.PixelAt(W - 5, 12), 0x808080);
    EXPECT_EQ(canvas.PixelAt(4, 13), 0x686868);
    EXPECT_EQ(canvas.PixelAt(4, 21), 0x686868);
    EXPECT_EQ(canvas.PixelAt(4, 22), setting_.BBCOLOR);
    EXPECT_EQ(canvas.PixelAt(W - 4, 8), setting_.BBCOLOR);
    EXPECT_EQ(canvas.TextsAt({6, 6}), std::vector<std::u16string>{u"Kestrival"});
}

TEST_F(PainterTest, FrameLinesFollowTheFlags) {
    setting_.FM = {1, 0, 0, 1};
    setting_.BFCOLOR = 0x0000FF;
    TestCanvas canvas = CanvasFor();
    const Size s = canvas.ClientSize();
    PaintGadget(canvas, setting_, goals_, kNow, true);
    EXPECT_EQ(canvas.PixelAt(0, 0), 0x0000FF);
    EXPECT_EQ(canvas.PixelAt(s.width - 1, 0), 0x0000FF);
    EXPECT_EQ(canvas.PixelAt(s.width - 1, s.height - 1), 0x0000FF);
    EXPECT_EQ(canvas.PixelAt(0, s.height - 1), setting_.BBCOLOR);
    EXPECT_EQ(canvas.PixelAt(0, 30), setting_.BBCOLOR);
}

TEST_F(PainterTest, TimerPassLeavesBackgroundAndFrameAlone) {
    TestCanvas canvas = CanvasFor();
    const Size s = canvas.ClientSize();
    canvas.Fill({0, 0, s.width, s.height}, 0x123456);
    PaintGadget(canvas, setting_, goals_, kNow, false);
    EXPECT_EQ(canvas.PixelAt(0, 0), 0x123456);
    EXPECT_EQ(canvas.PixelAt(2, 40), 0x123456);
    EXPECT_EQ(canvas.PixelAt(4, 4), 0x808080);
    EXPECT_EQ(canvas.PixelAt(4, 24), setting_.BBCOLOR);  // the empty cell's background
}

TEST_F(PainterTest, PanelOrderFollowsSR) {
    setting_.CL = 2;
    setting_.RW = 3;
    AddGoals(10);
    TestCanvas byColumns = CanvasFor();
    PaintGadget(byColumns, setting_, goals_, kNow, true);
    EXPECT_EQ(TitleAt(byColumns, 0, 0), u"g0");
    EXPECT_EQ(TitleAt(byColumns, 0, 2), u"g2");
    EXPECT_EQ(TitleAt(byColumns, 1, 0), u"g3");
    EXPECT_EQ(TitleAt(byColumns, 1, 2), u"g5");

    setting_.SR = 1;
    TestCanvas byRows = CanvasFor();
    PaintGadget(byRows, setting_, goals_, kNow, true);
    EXPECT_EQ(TitleAt(byRows, 1, 0), u"g1");
    EXPECT_EQ(TitleAt(byRows, 0, 1), u"g2");
    // Goals past CL x RW are not drawn.
    for (const auto& t : byRows.Texts()) EXPECT_NE(t.text, u"g6");
    EXPECT_EQ(byRows.FontSize(), setting_.Style.PanelFontSize);
}

TEST_F(PainterTest, HandEditedCountsStayBounded) {
    struct Case {
        std::int32_t CL, RW, cells;
    };
    for (const Case c : {Case{0, 5, 0}, Case{-2, -3, 0}, Case{1, 1000000, 150}, Case{20, 20, 140},
                         Case{2147483647, 2147483647, 150}, Case{3, 50, 150}, Case{151, 1, 150}, Case{1, 151, 150}}) {
        setting_.CL = c.CL;
        setting_.RW = c.RW;
        goals_.Clear();
        AddGoals(200);
        TestCanvas canvas = CanvasFor();
        PaintGadget(canvas, setting_, goals_, kNow, true);
        int titles = 0;
        for (const auto& t : canvas.Texts()) titles += t.text[0] == u'g';
        EXPECT_EQ(titles, c.cells) << c.CL << "x" << c.RW;
    }
}

TEST_F(PainterTest, SubtitleAndBirthDate) {
    struct Case {
        std::int32_t DVIEW;
        const char16_t* birth;
        const char16_t* subtitle;  // empty: none
        const char16_t* birthAfter;
    };
    const Case cases[] = {
        {1, u"", u"2010/01/06", u""},
        {2, u"", u"", u""},
        {2, u"2010/01/08", u"-1", u"2010/01/08"},
        {2, u"2010/01/06", u"0", u"2010/01/06"},
        {2, u"2010/01/05", u"1", u"2010/01/05"},
        {2, u"1980/02/30", u"", u""},
        {0, u"not a date", u"", u""},
        {7, u"2010/01/05", u"", u"2010/01/05"},
    };
    for (const auto& c : cases) {
        setting_.DVIEW = c.DVIEW;
        setting_.BIRTH = c.birth;
        TestCanvas canvas = CanvasFor();
        PaintGadget(canvas, setting_, goals_, kNow, true);
        const std::u16string subtitle = c.subtitle;
        const std::int32_t x = (canvas.ClientSize().width - 4) - static_cast<std::int32_t>(subtitle.size()) * 6 - 2;
        EXPECT_EQ(canvas.TextsAt({x, 6}),
                  subtitle.empty() ? std::vector<std::u16string>{} : std::vector<std::u16string>{subtitle});
        EXPECT_EQ(setting_.BIRTH, c.birthAfter);
    }
}

}  // namespace
}  // namespace kestrival
