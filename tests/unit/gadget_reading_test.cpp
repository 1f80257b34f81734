#include "render/gadget_reading.h"

#include <gtest/gtest.h>

#include "render/layout.h"
#include "render/painter.h"
#include "support/text.h"
#include "support/ui_texts.h"
#include "tests/common/test_canvas.h"

namespace kestrival {
namespace {

constexpr LocalDateTime kNow{{2026, 12, 11}, 12, 0, 0, 0};

class GadgetReadingTest : public ::testing::Test {
protected:
    GadgetReadingTest() {
        setting_.FileLines.Clear();
        setting_.ReadValues(kNow.date, goals_);  // defaults
        setting_.Style = ChooseRenderStyle(6);
        goals_.Clear();
    }
    TestCanvas CanvasFor() { return TestCanvas(GadgetSize(setting_, 13), -1); }
    GadgetReading Read() {
        TestCanvas canvas = CanvasFor();
        return ReadGadget(canvas, setting_, goals_, kNow);
    }

    ExecuteSetting setting_;
    GoalList goals_;
};

TEST_F(GadgetReadingTest, PanelWordsFollowWhatThePanelShows) {
    struct Case {
        const char16_t* line;
        const char16_t* name;
        const char16_t* description;
    };
    const Case cases[] = {
        {u"試験,2026/01/01,2027/01/01", u"試験", u"2026/01/01 から 2027/01/01、経過 344 日、残り 20 日"},
        // not started: counts down to the start from today
        {u"旅行,2027/03/01,2027/04/01", u"旅行", u"2026/12/11 から 2027/03/01、経過 0 日、残り 79 日"},
        // ended: counts the days since the end
        {u"卒業,2020/01/01,2026/12/01", u"卒業", u"2026/12/01 から 2026/12/11、経過 10 日、残り 0 日"},
        // a missing end shows today and no remaining days; a missing start no elapsed days
        {u"禁煙,2026/12/01,", u"禁煙", u"2026/12/01 から 2026/12/11、経過 10 日"},
        {u"締切,,2026/12/31", u"締切", u"2026/12/11 から 2026/12/31、残り 19 日"},
        {u"メモ,,", u"メモ", u"2026/12/11 から 2026/12/11"},
        {u",2026/12/01,2026/12/21", u"", u"2026/12/01 から 2026/12/21、経過 10 日、残り 9 日"},
    };
    for (const Case& c : cases) {
        goals_.Clear();
        goals_.Add(c.line);
        const GadgetReading reading = Read();
        ASSERT_EQ(reading.panels.size(), 1u) << ToUtf8(c.line);
        EXPECT_EQ(reading.panels[0].name, c.name) << ToUtf8(c.line);
        EXPECT_EQ(reading.panels[0].description, c.description) << ToUtf8(c.line);
    }
}

// A goal's counting choices are spoken after its numbers, in the menu's words without the access
// key; a goal without choices reads as before. 2026/12/11 is a Friday.
TEST_F(GadgetReadingTest, CountingChoicesFollowTheDayCounts) {
    struct Case {
        const char16_t* line;
        const char16_t* letters;
        const char16_t* description;
    };
    const Case cases[] = {
        {u"締切,2026/12/01,2026/12/18", u"", u"2026/12/01 から 2026/12/18、経過 10 日、残り 6 日"},
        {u"締切,2026/12/01,2026/12/18", u"T", u"2026/12/01 から 2026/12/18、経過 11 日、残り 7 日、今日を含める"},
        // eight weekdays before today, four after it and before the end
        {u"締切,2026/12/01,2026/12/18", u"W", u"2026/12/01 から 2026/12/18、経過 8 日、残り 4 日、平日のみ"},
        {u"締切,2026/12/01,2026/12/18", u"WT",
         u"2026/12/01 から 2026/12/18、経過 9 日、残り 5 日、今日を含める、平日のみ"},
        // ended in 2020, so the dates come round to 2027 and the goal has not started yet
        {u"誕生日,2020/03/01,2020/04/01", u"Y", u"2026/12/11 から 2027/03/01、経過 0 日、残り 79 日、毎年くり返す"},
        {u"禁煙,2026/12/01,", u"YWT", u"2026/12/01 から 2026/12/11、経過 9 日、今日を含める、平日のみ、毎年くり返す"},
    };
    for (const Case& c : cases) {
        goals_.Clear();
        goals_.Add(c.line);
        setting_.CNT = {ParseCountChoices(c.letters)};
        const GadgetReading reading = Read();
        ASSERT_EQ(reading.panels.size(), 1u) << ToUtf8(c.letters);
        EXPECT_EQ(ToUtf8(reading.panels[0].description), ToUtf8(c.description)) << ToUtf8(c.letters);
    }
}

// Reminders follow the counting choices: the menu's heading, then each day in its words.
TEST_F(GadgetReadingTest, RemindersFollowTheChoices) {
    goals_.Add(u"締切,2026/12/01,2026/12/18");
    setting_.CNT = {ParseCountChoices(u"T")};
    setting_.RMD = {GoalReminders{ParseReminderChoices(u"30,0,7"), std::nullopt}};
    const GadgetReading reading = Read();
    ASSERT_EQ(reading.panels.size(), 1u);
    EXPECT_EQ(ToUtf8(reading.panels[0].description),
              ToUtf8(u"2026/12/01 から 2026/12/18、経過 11 日、残り 7 日、今日を含める、知らせる 当日 1週間前 30日前"));
}

TEST_F(GadgetReadingTest, CellsThatShowNoGoalAreLeftOut) {
    setting_.CL = 2;
    setting_.RW = 2;
    goals_.Add(u"a,2026/01/01,2027/01/01");
    goals_.Add(u"");                         // empty line: a blank cell
    goals_.Add(u"c,2026/13/45,2027/01/01");  // a date that does not read: the cell is skipped
    goals_.Add(u"d,2026/01/01,2027/01/01");
    goals_.Add(u"e,2026/01/01,2027/01/01");  // beyond the grid's four cells
    const GadgetReading reading = Read();
    ASSERT_EQ(reading.panels.size(), 2u);
    EXPECT_EQ(reading.panels[0].cell, 0);
    EXPECT_EQ(reading.panels[1].cell, 3);
    EXPECT_EQ(reading.panels[1].name, u"d");
}

// Every panel's words and place agree with what the painter draws in that place: its title, both
// dates and the day counts, on a grid filled across and drawn at 144 DPI.
TEST_F(GadgetReadingTest, ReadingMatchesThePaintedCells) {
    setting_.CL = 3;
    setting_.RW = 2;
    setting_.SR = 1;
    goals_.Add(u"一,2026/01/01,2027/01/01");
    goals_.Add(u"二,2026/06/01,");
    goals_.Add(u"三,,2027/02/01");
    goals_.Add(u"四,2025/01/01,2025/12/31");
    // Goals that count in their own ways: the reader gives the numbers the panel draws.
    setting_.CNT = {ParseCountChoices(u"TW"), {}, ParseCountChoices(u"T"), ParseCountChoices(u"Y")};
    setting_.OFFDAYS = u"12/29-01/03";
    TestCanvas canvas(GadgetSize(setting_, 13, 144), -1);
    canvas.SetDpi(144);
    PaintGadget(canvas, setting_, goals_, kNow, true);
    const GadgetReading reading = ReadGadget(canvas, setting_, goals_, kNow);
    ASSERT_EQ(reading.panels.size(), 4u);
    for (const PanelReading& panel : reading.panels) {
        std::u16string drawn;
        for (const DrawnText& text : canvas.Texts()) {
            const Point at = text.at;
            const Rect& b = panel.bounds;
            if (at.x >= b.left && at.x < b.right && at.y >= b.top && at.y < b.bottom) drawn += text.text + u"|";
        }
        const GoalPanelFigures figures = GoalFigures(
            setting_, goals_, panel.cell, WorkCalendar{DaysOff(u"12/29-01/03")}, DaysOf(kNow), DateText(kNow.date));
        std::u16string expected = figures.title + u"|" + figures.ShownStart + u"|" + figures.ShownEnd + u"|";
        if (figures.HasStart) expected += FormatText(u"%d|", {figures.ElapsedDays});
        if (figures.HasEnd) expected += FormatText(u"%d|", {figures.RemainingDays});
        if (figures.choices.Any()) expected += CountChoicesMark(figures.choices) + u"|";
        if (figures.HasStart) {
            EXPECT_NE(panel.description.find(FormatText(texts::kReadElapsedDays, {figures.ElapsedDays})),
                      std::u16string::npos)
                << panel.cell;
        }
        EXPECT_EQ(ToUtf8(drawn), ToUtf8(expected)) << panel.cell;
        EXPECT_EQ(panel.bounds.right - panel.bounds.left, 240);
        EXPECT_EQ(panel.bounds.bottom - panel.bounds.top, 105);
    }
    // across first: the fourth panel starts the second row
    EXPECT_EQ(reading.panels[3].bounds.left, reading.panels[0].bounds.left);
    EXPECT_GT(reading.panels[3].bounds.top, reading.panels[0].bounds.bottom);
}

TEST_F(GadgetReadingTest, WindowNameIsTheTitleBand) {
    struct Case {
        const char16_t* title;
        std::int32_t DVIEW;
        const char16_t* birth;
        const char16_t* name;
    };
    const Case cases[] = {
        {u"目標", 0, u"", u"目標"},
        {u"目標", 1, u"", u"目標、2026/12/11"},
        {u"目標", 2, u"2026/12/01", u"目標、生後 10 日"},
        {u"目標", 2, u"not a date", u"目標"},
        {u"", 1, u"", u"2026/12/11"},
        {u"  ", 0, u"", u"Kestrival"},
    };
    for (const Case& c : cases) {
        setting_.TITLE = c.title;
        setting_.DVIEW = c.DVIEW;
        setting_.BIRTH = c.birth;
        EXPECT_EQ(ToUtf8(Read().name), ToUtf8(c.name)) << ToUtf8(c.title) << " " << c.DVIEW;
    }
}

TEST(CompareReadingsTest, NamesTheChangesToAnnounce) {
    const GadgetReading before{u"t、2026/12/11",
                               {{0, u"a", u"x、残り 2 日", {0, 0, 10, 10}}, {2, u"b", u"y", {0, 10, 10, 20}}}};
    GadgetReading after = before;
    EXPECT_FALSE(CompareReadings(before, after).Any());

    after.name = u"t、2026/12/12";
    after.panels[1].description = u"y2";
    ReadingChanges changes = CompareReadings(before, after);
    EXPECT_TRUE(changes.name);
    EXPECT_FALSE(changes.children);
    EXPECT_TRUE(changes.panelNames.empty());
    EXPECT_EQ(changes.panelDescriptions, std::vector<std::size_t>{1});

    after = before;
    after.panels[0].name = u"a2";
    after.panels[0].bounds = {0, 0, 15, 15};
    changes = CompareReadings(before, after);
    EXPECT_EQ(changes.panelNames, std::vector<std::size_t>{0});
    EXPECT_EQ(changes.panelBounds, std::vector<std::size_t>{0});

    after = before;
    after.panels[1].cell = 1;  // the same count of panels in other cells
    EXPECT_TRUE(CompareReadings(before, after).children);
    after = before;
    after.panels.pop_back();
    EXPECT_TRUE(CompareReadings(before, after).children);
}

}  // namespace
}  // namespace kestrival
