// How goals count with their choices: the figures a panel shows, the choices in the settings
// file, their place in the dialog's grid and its context menu.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/goal_panel.h"
#include "settings/dialog/count_menu.h"
#include "settings/dialog/setup_dialog.h"
#include "support/message_dialogs.h"
#include "support/text.h"
#include "tests/common/fakes.h"

namespace kestrival {
namespace {

struct CountCase {
    const char* name;
    const char16_t* line;
    const char16_t* choices;
    CivilDate today;
    const char16_t* shownStart;
    const char16_t* shownEnd;
    std::int32_t elapsed, remaining;
};

GoalPanelFigures FiguresAtNoon(const CountCase& c, const WorkCalendar& calendar) {
    return ComputeGoalPanel(c.line, DaysOf({c.today, 12, 0, 0, 0}), DateText(c.today), ParseCountChoices(c.choices),
                            &calendar);
}

TEST(CountingTest, TodayIncludedAndWorkingDays) {
    // December 2026: the 1st is a Tuesday, the 10th a Thursday; 23 November is a Monday holiday.
    const CountCase cases[] = {
        {"calendar days", u"t,2026/12/01,2026/12/31", u"", {2026, 12, 10}, u"2026/12/01", u"2026/12/31", 9, 20},
        {"today included", u"t,2026/12/01,2026/12/31", u"T", {2026, 12, 10}, u"2026/12/01", u"2026/12/31", 10, 21},
        {"start day is day 1", u"t,2026/12/10,2026/12/31", u"T", {2026, 12, 10}, u"2026/12/10", u"2026/12/31", 1, 21},
        {"end day", u"t,2026/12/01,2026/12/10", u"T", {2026, 12, 10}, u"2026/12/01", u"2026/12/10", 10, 0},
        {"not started: only the days left count today",
         u"t,2026/12/20,2026/12/31",
         u"T",
         {2026, 12, 10},
         u"2026/12/10",
         u"2026/12/20",
         0,
         10},
        {"ended goals count as before",
         u"t,2026/11/01,2026/12/05",
         u"T",
         {2026, 12, 10},
         u"2026/12/05",
         u"2026/12/10",
         5,
         0},
        {"working days", u"t,2026/12/01,2026/12/31", u"W", {2026, 12, 10}, u"2026/12/01", u"2026/12/31", 7, 14},
        {"working days with today",
         u"t,2026/12/01,2026/12/31",
         u"TW",
         {2026, 12, 10},
         u"2026/12/01",
         u"2026/12/31",
         8,
         15},
        {"today a holiday: not counted",
         u"t,2026/11/16,2026/11/30",
         u"WT",
         {2026, 11, 23},
         u"2026/11/16",
         u"2026/11/30",
         5,
         4},
        {"working days since an end",
         u"t,2026/11/01,2026/11/20",
         u"W",
         {2026, 11, 30},
         u"2026/11/20",
         u"2026/11/30",
         5,
         0},
        {"working days to a start",
         u"t,2026/12/14,2026/12/31",
         u"W",
         {2026, 12, 10},
         u"2026/12/10",
         u"2026/12/14",
         0,
         1},
    };
    const WorkCalendar calendar;
    for (const auto& c : cases) {
        const GoalPanelFigures f = FiguresAtNoon(c, calendar);
        EXPECT_EQ(f.ShownStart, c.shownStart) << c.name;
        EXPECT_EQ(f.ShownEnd, c.shownEnd) << c.name;
        EXPECT_EQ(f.ElapsedDays, c.elapsed) << c.name;
        EXPECT_EQ(f.RemainingDays, c.remaining) << c.name;
    }
}

TEST(CountingTest, YearlyGoalsMoveForwardByWholeYears) {
    const CountCase cases[] = {
        {"a birthday counts down to the next one",
         u"誕生日,2000/05/10,2000/05/10",
         u"Y",
         {2026, 12, 10},
         u"2026/12/10",
         u"2027/05/10",
         0,
         150},
        {"a year from April runs again",
         u"年度,2025/04/01,2026/03/31",
         u"Y",
         {2026, 12, 10},
         u"2026/04/01",
         u"2027/03/31",
         253,
         110},
        {"an end of today is not past",
         u"t,2025/12/01,2025/12/10",
         u"Y",
         {2026, 12, 10},
         u"2026/12/01",
         u"2026/12/10",
         9,
         0},
        {"a goal not ended stays",
         u"t,2026/12/01,2026/12/31",
         u"Y",
         {2026, 12, 10},
         u"2026/12/01",
         u"2026/12/31",
         9,
         20},
        {"29 February in a common year",
         u"t,2024/02/29,2024/02/29",
         u"Y",
         {2025, 2, 1},
         u"2025/02/01",
         u"2025/02/28",
         0,
         26},
        {"29 February once the 28th has passed",
         u"t,2024/02/29,2024/02/29",
         u"Y",
         {2025, 3, 1},
         u"2025/03/01",
         u"2026/02/28",
         0,
         363},
        {"29 February in the next leap year",
         u"t,2024/02/29,2024/02/29",
         u"Y",
         {2027, 3, 1},
         u"2027/03/01",
         u"2028/02/29",
         0,
         364},
        {"only an end", u"t,,2020/06/01", u"Y", {2026, 12, 10}, u"2026/12/10", u"2027/06/01", 0, 172},
        {"yearly with today included",
         u"t,2025/12/01,2025/12/31",
         u"YT",
         {2026, 12, 10},
         u"2026/12/01",
         u"2026/12/31",
         10,
         21},
    };
    const WorkCalendar calendar;
    for (const auto& c : cases) {
        const GoalPanelFigures f = FiguresAtNoon(c, calendar);
        EXPECT_EQ(f.ShownStart, c.shownStart) << c.name;
        EXPECT_EQ(f.ShownEnd, c.shownEnd) << c.name;
        EXPECT_EQ(f.ElapsedDays, c.elapsed) << c.name;
        EXPECT_EQ(f.RemainingDays, c.remaining) << c.name;
    }
}

// Dates to the last day the file can hold, past the years the equinox formula was made for, and
// leap days, with each counting choice. September 5088: the 1st is a Saturday, the 17th Respect
// for the Aged Day, the 22nd (a Saturday) the autumn equinox; December 9999 has no holiday.
TEST(CountingTest, FarDatesWithEveryChoice) {
    const CountCase cases[] = {
        {"calendar days past 2150",
         u"t,2150/03/01,9999/12/31",
         u"",
         {2150, 3, 21},
         u"2150/03/01",
         u"9999/12/31",
         20,
         2867072},
        {"today included", u"t,2150/03/01,9999/12/31", u"T", {2150, 3, 21}, u"2150/03/01", u"9999/12/31", 21, 2867073},
        {"on the last day", u"t,2026/01/01,9999/12/31", u"T", {9999, 12, 31}, u"2026/01/01", u"9999/12/31", 2912443, 0},
        {"yearly 29 February moves to a common year's 28th",
         u"t,9996/02/29,9996/02/29",
         u"Y",
         {9997, 3, 1},
         u"9997/03/01",
         u"9998/02/28",
         0,
         363},
        {"yearly with no year left to move to ends",
         u"t,9999/02/01,9999/02/01",
         u"Y",
         {9999, 12, 31},
         u"9999/02/01",
         u"9999/12/31",
         333,
         0},
        {"working days in the last week",
         u"t,9999/12/20,9999/12/31",
         u"W",
         {9999, 12, 24},
         u"9999/12/20",
         u"9999/12/31",
         4,
         4},
        {"working days with today in the last week",
         u"t,9999/12/20,9999/12/31",
         u"TW",
         {9999, 12, 24},
         u"9999/12/20",
         u"9999/12/31",
         5,
         5},
        {"working days round the equinox of 5088",
         u"t,5088/09/01,5088/09/30",
         u"TW",
         {5088, 9, 15},
         u"5088/09/01",
         u"5088/09/30",
         10,
         9},
        {"working days over 29 February 2400",
         u"t,2400/02/28,2400/03/01",
         u"W",
         {2400, 2, 29},
         u"2400/02/28",
         u"2400/03/01",
         1,
         0},
        {"and with today", u"t,2400/02/28,2400/03/01", u"WT", {2400, 2, 29}, u"2400/02/28", u"2400/03/01", 2, 1},
    };
    const WorkCalendar calendar;
    for (const auto& c : cases) {
        const GoalPanelFigures f = FiguresAtNoon(c, calendar);
        EXPECT_EQ(f.ShownStart, c.shownStart) << c.name;
        EXPECT_EQ(f.ShownEnd, c.shownEnd) << c.name;
        EXPECT_EQ(f.ElapsedDays, c.elapsed) << c.name;
        EXPECT_EQ(f.RemainingDays, c.remaining) << c.name;
    }
}

// Over centuries a goal counting working days counts exactly the working days among the days its
// calendar figures cover, whatever days off the user has, at any day up to the last, yearly goals
// moved on included.
TEST(CountingTest, WorkingDaysOverCenturiesAreTheDaysThatWork) {
    const struct {
        const char16_t* line;
        CivilDate from, to;  // the days the figures may cover
        std::vector<CivilDate> todays;
    } goals[] = {
        {u"t,2100/03/01,3200/02/29",
         {2100, 1, 1},
         {3205, 1, 1},
         {{2100, 3, 1}, {2309, 1, 5}, {3200, 2, 29}, {3203, 3, 1}}},
        {u"t,9000/01/01,9999/12/31", {9000, 1, 1}, {9999, 12, 31}, {{9000, 1, 1}, {9500, 6, 30}, {9999, 12, 31}}},
    };
    for (const char16_t* daysOff : {u"", u"12/29-01/03 02/29 2300/05/01-2310/04/30 9999/12/30"}) {
        const WorkCalendar calendar{DaysOff(daysOff)};
        const WorkCalendar dayByDay{DaysOff(daysOff)};
        for (const auto& goal : goals) {
            // Working days before each day, asked of another calendar one day at a time.
            const std::int32_t first = DayNumber(goal.from);
            std::vector<std::int32_t> before{0};
            for (std::int32_t d = first; d <= DayNumber(goal.to); ++d)
                before.push_back(before.back() + (dayByDay.IsWorkingDay(d) ? 1 : 0));
            auto working = [&](std::int32_t from, std::int32_t days) {
                return before[static_cast<std::size_t>(from + days - first)] -
                       before[static_cast<std::size_t>(from - first)];
            };
            for (const CivilDate& today : goal.todays) {
                for (const std::u16string choices : {u"", u"T", u"Y", u"TY"}) {
                    const std::u16string withWorkingDays = choices + u"W";
                    const GoalPanelFigures days =
                        FiguresAtNoon({"", goal.line, choices.c_str(), today, u"", u"", 0, 0}, calendar);
                    const GoalPanelFigures work =
                        FiguresAtNoon({"", goal.line, withWorkingDays.c_str(), today, u"", u"", 0, 0}, calendar);
                    const std::int32_t start = DayNumber(*ParseDateText(days.ShownStart));
                    const std::int32_t end = DayNumber(*ParseDateText(days.ShownEnd));
                    EXPECT_EQ(work.ElapsedDays, working(start, days.ElapsedDays)) << today.year;
                    EXPECT_EQ(work.RemainingDays, working(end - days.RemainingDays, days.RemainingDays)) << today.year;
                }
            }
        }
    }
}

TEST(CountingTest, TheBarKeepsCalendarTimeAndDaysOffCount) {
    const WorkCalendar calendar{DaysOff(u"12/07-12/08")};
    const GoalPanelFigures f = ComputeGoalPanel(u"t,2026/12/01,2026/12/31", DaysOf({{2026, 12, 10}, 12, 0, 0, 0}),
                                                u"2026/12/10", ParseCountChoices(u"W"), &calendar);
    EXPECT_EQ(f.ElapsedDays, 5);  // 1 to 4 and 9 December
    EXPECT_EQ(f.SpanDays, 30);
    EXPECT_EQ(f.ProgressDays, 9);
}

TEST(CountingTest, ChoiceLettersAndMarks) {
    EXPECT_EQ(CountChoicesText(ParseCountChoices(u"ywt")), u"TWY");
    EXPECT_EQ(CountChoicesText(ParseCountChoices(u"x W-")), u"W");
    EXPECT_FALSE(ParseCountChoices(u"").Any());
    EXPECT_EQ(CountChoicesMark(ParseCountChoices(u"WY")), u"平毎");
    EXPECT_EQ(CountChoicesMark({}), u"");
}

TEST(CountingTest, GoalFiguresTakeEachGoalsOwnChoices) {
    ExecuteSetting setting;
    GoalList goals;
    goals.Add(u"a,2026/12/01,2026/12/31");
    goals.Add(u"b,2026/12/01,2026/12/31");
    setting.CNT = {ParseCountChoices(u"T")};  // the second goal has none
    const WorkCalendar calendar;
    const double now = DaysOf({{2026, 12, 10}, 12, 0, 0, 0});
    EXPECT_EQ(GoalFigures(setting, goals, 0, calendar, now, u"2026/12/10").ElapsedDays, 10);
    EXPECT_EQ(GoalFigures(setting, goals, 1, calendar, now, u"2026/12/10").ElapsedDays, 9);
    EXPECT_FALSE(GoalFigures(setting, goals, 5, calendar, now, u"2026/12/10").choices.Any());
}

TEST(CountMenuTest, ItemsTurnTheRowsChoices) {
    CountChoices choices;
    EXPECT_TRUE(CountMenuChecked(CountMenuItem::kCalendar, choices));
    ApplyCountMenuItem(CountMenuItem::kTodayIncluded, choices);
    ApplyCountMenuItem(CountMenuItem::kWorkingDays, choices);
    ApplyCountMenuItem(CountMenuItem::kYearly, choices);
    EXPECT_EQ(CountChoicesText(choices), u"TWY");
    EXPECT_FALSE(CountMenuChecked(CountMenuItem::kCalendar, choices));
    ApplyCountMenuItem(CountMenuItem::kTodayIncluded, choices);
    EXPECT_EQ(CountChoicesText(choices), u"WY");
    ApplyCountMenuItem(CountMenuItem::kCalendar, choices);  // calendar days; yearly stays
    EXPECT_EQ(CountChoicesText(choices), u"Y");
    ApplyCountMenuItem(CountMenuItem::kDaysOff, choices);
    ApplyCountMenuItem(CountMenuItem::kHeading, choices);
    EXPECT_EQ(CountChoicesText(choices), u"Y");
    EXPECT_EQ(DaysOffText(u"  12/29-01/03 \u3000"), u"12/29-01/03");
}

class ChoicesInTheDialogTest : public ::testing::Test {
protected:
    ChoicesInTheDialogTest() {
        InitMessageDialogs(6, &backend_);
        setting_.ReadValues({2026, 12, 10}, goals_);
        goals_.Clear();
        for (const char16_t* line : {u"a,2026/01/01,2026/12/31", u"b,,", u"c,2026/01/01,"}) goals_.Add(line);
        setting_.CNT = {ParseCountChoices(u"T"), ParseCountChoices(u"W"), ParseCountChoices(u"Y")};
        setting_.OFFDAYS = u"12/29-01/03";
        FormShow(controls_, setting_, goals_, geometry_, 1);
    }
    ~ChoicesInTheDialogTest() override { InitMessageDialogs(6, nullptr); }
    std::u16string Choices() const {
        std::u16string text;
        for (const auto& choices : setting_.CNT) text += CountChoicesText(choices) + u"|";
        return text;
    }

    RecordingBackend backend_;
    ExecuteSetting setting_;
    GoalList goals_;
    SetupControls controls_;
    WindowGeometry geometry_{{1000, 300, 1200, 400}, {1920, 1080}};
};

TEST_F(ChoicesInTheDialogTest, ChoicesMoveWithTheirRowsWhenRowsAreEmptied) {
    EXPECT_EQ(CountChoicesText(controls_.SGdata.Choices(2)), u"W");
    EXPECT_FALSE(controls_.SGdata.Choices(4).Any());
    EXPECT_EQ(controls_.EDoffd, u"12/29-01/03");
    // The first row is deleted, the second emptied by hand; a later row gets a choice.
    backend_.answer = 6;  // Yes
    controls_.SGdata.row = 1;
    BTdelClick(controls_);
    EXPECT_FALSE(controls_.SGdata.Choices(1).Any());
    for (int c = 0; c < kGoalColumns; ++c) controls_.SGdata.Cell(c, 2).clear();
    controls_.SGdata.Cell(0, 5) = std::u16string(u"e");
    ApplyCountMenuItem(CountMenuItem::kWorkingDays, controls_.SGdata.Choices(5));
    controls_.EDoffd = DaysOffText(u" 08/13 ");
    ASSERT_TRUE(BTokClick(controls_, setting_, goals_, {2026, 12, 10}));
    EXPECT_EQ(goals_.ToVector(), (std::vector<std::u16string>{u"c,2026/01/01,", u"e,,"}));
    EXPECT_EQ(Choices(), u"Y|W|");
    EXPECT_EQ(setting_.OFFDAYS, u"08/13");
}

TEST_F(ChoicesInTheDialogTest, GoalsPastTheGridKeepTheirChoices) {
    goals_.Clear();
    setting_.CNT.clear();
    for (int i = 1; i <= 152; ++i) {
        goals_.Add(FormatText(u"g%d,2026/01/01,2026/12/31", {i}));
        setting_.CNT.push_back(ParseCountChoices(i % 2 ? u"T" : u""));
    }
    FormShow(controls_, setting_, goals_, geometry_, 1);
    for (int c = 0; c < kGoalColumns; ++c) controls_.SGdata.Cell(c, 1).clear();
    ASSERT_TRUE(BTokClick(controls_, setting_, goals_, {2026, 12, 10}));
    ASSERT_EQ(setting_.CNT.size(), 151u);
    EXPECT_EQ(goals_.LineAt(149), u"g151,2026/01/01,2026/12/31");
    EXPECT_TRUE(setting_.CNT[149].TodayIncluded);
    EXPECT_FALSE(setting_.CNT[150].TodayIncluded);
    EXPECT_FALSE(setting_.CNT[0].TodayIncluded);  // g2 moved up into the first place
}

}  // namespace
}  // namespace kestrival
