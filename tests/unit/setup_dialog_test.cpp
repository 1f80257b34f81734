#include "settings/dialog/setup_dialog.h"

#include <gtest/gtest.h>

#include "support/message_dialogs.h"
#include "tests/common/fakes.h"
#include "support/text.h"
#include "support/ui_texts.h"

namespace kestrival {
namespace {

constexpr CivilDate kToday{2026, 12, 10};

class SetupDialogTest : public ::testing::Test {
protected:
    SetupDialogTest() {
        InitMessageDialogs(6, &backend_);
        setting_.ReadValues(kToday, goals_);
        goals_.Clear();
        goals_.Add(u"a,2026/01/01,2026/12/31");
        goals_.Add(u"b,,");
        goals_.Add(u"c,d,e,f");
    }
    ~SetupDialogTest() override { InitMessageDialogs(6, nullptr); }
    void Show(std::int32_t tag = 1) { FormShow(controls_, setting_, goals_, geometry_, tag); }
    bool Ok() { return BTokClick(controls_, setting_, goals_, kToday); }

    RecordingBackend backend_;
    ExecuteSetting setting_;
    GoalList goals_;
    SetupControls controls_;
    WindowGeometry geometry_{{1000, 300, 1200, 400}, {1920, 1080}};
};

TEST_F(SetupDialogTest, FillShowsTheSettingsAndGoals) {
    setting_.HB = 1;
    setting_.DX = 33;
    setting_.VB = 5;
    setting_.DY = -4;
    setting_.TR = 55;
    Show();
    EXPECT_TRUE(controls_.RBhrit);
    EXPECT_EQ(controls_.EDhofs, u"33");  // the stored offset, not the one the button offers
    EXPECT_FALSE(controls_.RBvtop || controls_.RBvbtm || controls_.RBvcnt);
    EXPECT_EQ(controls_.EDvofs, u"-4");
    EXPECT_EQ(controls_.TBftrr, 9);
    EXPECT_EQ(controls_.SGdata.Cell(0, 1), u"a");
    EXPECT_EQ(controls_.SGdata.Cell(2, 3), u"e");  // a fourth field is not shown
    EXPECT_EQ(controls_.SGdata.Cell(0, 4), u"");
    EXPECT_EQ(controls_.SGdata.row, 1);
    EXPECT_EQ(controls_.SGdata.column, 0);
}

TEST_F(SetupDialogTest, TrackBarMapping) {
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {100, 18}, {55, 9}, {97, 17}, {12, 0}, {0, 0}, {1000, 18}, {-2147483647 - 1, 0}, {2147483647, 18}};
    for (const auto& [tr, position] : cases) EXPECT_EQ(TrackBarPosition(tr), position) << tr;
    setting_.TR = 97;
    Show();
    ASSERT_TRUE(Ok());
    EXPECT_EQ(setting_.TR, 95);
}

TEST_F(SetupDialogTest, DraggedWindowShowsLeftTopAnchorsAtItsPosition) {
    setting_.HB = 1;
    setting_.VB = 2;
    Show(0);
    EXPECT_TRUE(controls_.RBhlft && controls_.RBvtop);
    EXPECT_FALSE(controls_.RBhrit || controls_.RBvcnt);
    EXPECT_EQ(controls_.EDhofs, u"1000");
    EXPECT_EQ(controls_.EDvofs, u"300");
    ASSERT_TRUE(Ok());
    EXPECT_EQ(setting_.HB, 0);
    EXPECT_EQ(setting_.DX, 1000);
    EXPECT_EQ(setting_.VB, 0);
    EXPECT_EQ(setting_.DY, 300);
}

TEST_F(SetupDialogTest, AnchorButtonsOfferTheCurrentPosition) {
    Show();
    controls_.RBhlft = controls_.RBhcnt = false;
    controls_.RBhrit = true;
    RBhritClick(controls_, geometry_);
    EXPECT_EQ(controls_.EDhofs, u"720");  // 1920 - 1000 - 200
    controls_.RBhrit = false;
    controls_.RBhcnt = true;
    RBhritClick(controls_, geometry_);  // not selected: nothing
    EXPECT_EQ(controls_.EDhofs, u"720");
    controls_.RBvbtm = true;
    RBvbtmClick(controls_, geometry_);
    EXPECT_EQ(controls_.EDvofs, u"680");  // 1080 - 300 - 100
}

TEST_F(SetupDialogTest, PanelCountChecks) {
    struct Case {
        const char16_t* across;
        const char16_t* down;
        bool passes;
        std::int32_t CL, RW;
    };
    const Case cases[] = {
        {u"3", u"50", true, 3, 50},        {u"3", u"51", false, 0, 0},  {u"0", u"5", false, 0, 0},
        {u"-2", u"-3", false, 0, 0},       {u"x", u"1", true, 1, 1},    {u"1", u"x", true, 1, 5},
        {u"150", u"1", true, 150, 1},      {u"151", u"1", false, 0, 0}, {u"1", u"151", false, 0, 0},
        {u"99999", u"99999", false, 0, 0},
    };
    for (const auto& c : cases) {
        Show();
        controls_.EDhnum = c.across;
        controls_.EDvnum = c.down;
        backend_.requests.clear();
        EXPECT_EQ(Ok(), c.passes) << ToUtf8(c.across) << "x" << ToUtf8(c.down);
        if (c.passes) {
            EXPECT_EQ(setting_.CL, c.CL);
            EXPECT_EQ(setting_.RW, c.RW);
            EXPECT_TRUE(backend_.Texts().empty());
        } else {
            EXPECT_EQ(backend_.Texts(), std::vector<std::u16string>{texts::kPanelCountNotice});
        }
    }
}

TEST_F(SetupDialogTest, GoalRowChecksReportTheFirstFailingRow) {
    struct Case {
        std::vector<std::array<const char16_t*, 3>> rows;
        std::int32_t row;
        const char16_t* message;
    };
    const Case cases[] = {
        {{{u"a,b", u"", u""}}, 1, texts::kCommaInTitle},
        {{{u"ok", u"", u""}, {u"x", u"2026/02/01", u"2026/01/01"}, {u"y,z", u"", u""}}, 2, texts::kStartAfterEnd},
        {{{u"a,b", u"2026/02/01", u"2026/01/01"}}, 1, texts::kCommaInTitle},
        {{{u"a", u"2/1", u"1/1"}}, 1, texts::kStartAfterEnd},  // compared after normalising
        {{{u"a", u"2026/02/01", u""}}, 0, nullptr},
        {{{u"a", u"2026/02/01", u"2026/02/01"}}, 0, nullptr},
        {{{u"a，b", u"x", u"2026/02/01"}}, 0, nullptr},  // full-width comma, invalid start
    };
    for (const auto& c : cases) {
        GoalGrid grid;
        for (std::size_t r = 0; r < c.rows.size(); ++r) {
            for (int col = 0; col < 3; ++col) grid.Cell(col, static_cast<std::int32_t>(r + 1)) = c.rows[r][col];
        }
        const auto problem = CheckGoalRows(grid, kToday);
        if (c.message) {
            ASSERT_TRUE(problem);
            EXPECT_EQ(problem->row, c.row);
            EXPECT_EQ(problem->message, c.message);
        } else {
            EXPECT_FALSE(problem);
        }
    }
}

TEST_F(SetupDialogTest, FailingRowBecomesCurrentAndNothingIsWritten) {
    Show();
    controls_.SGdata.Cell(0, 3) = u"x,y";
    controls_.SGdata.row = 20;  // an empty row: no delete
    SGdataClick(controls_);
    ASSERT_FALSE(controls_.BTdelEnabled);
    controls_.EDtitl = u"changed";
    EXPECT_FALSE(Ok());
    EXPECT_EQ(controls_.SGdata.row, 3);
    EXPECT_EQ(controls_.SGdata.column, 0);
    EXPECT_TRUE(controls_.BTdelEnabled);  // the delete button follows the moved cell
    EXPECT_EQ(backend_.Texts(), std::vector<std::u16string>{texts::kCommaInTitle});
    EXPECT_EQ(setting_.TITLE, u"Kestrival");
    EXPECT_EQ(goals_.Count(), 3);
}

TEST_F(SetupDialogTest, CommitTrimsDropsEmptyRowsAndKeepsThreeFields) {
    Show();
    controls_.SGdata.Cell(0, 5) = u" \u3000 ";
    controls_.SGdata.Cell(0, 7) = u"  late  ";
    controls_.SGdata.Cell(1, 7) = u"\u30002026/01/01 ";
    controls_.EDtitl = u"  spaced ";
    ASSERT_TRUE(Ok());
    const std::vector<std::u16string> expected = {u"a,2026/01/01,2026/12/31", u"b,,", u"c,d,e", u"late,2026/01/01,"};
    EXPECT_EQ(goals_.ToVector(), expected);
    EXPECT_EQ(setting_.TITLE, u"  spaced ");
}

TEST_F(SetupDialogTest, GoalsPastTheGridsRowsStayAfterItsRows) {
    goals_.Clear();
    for (int i = 1; i <= 200; ++i) goals_.Add(FormatText(u"g%d,2026/01/01,2026/12/31", {i}));
    Show();
    controls_.SGdata.Cell(0, 2) = u"";  // the second goal is emptied in the grid
    controls_.SGdata.Cell(1, 2) = u"";
    controls_.SGdata.Cell(2, 2) = u"";
    ASSERT_TRUE(Ok());
    ASSERT_EQ(goals_.Count(), 199);
    EXPECT_EQ(goals_.LineAt(148), u"g150,2026/01/01,2026/12/31");
    EXPECT_EQ(goals_.LineAt(149), u"g151,2026/01/01,2026/12/31");
    EXPECT_EQ(goals_.LineAt(198), u"g200,2026/01/01,2026/12/31");
}

TEST_F(SetupDialogTest, UnknownAnchorAndDisplayValuesCommitAsZero) {
    setting_.HB = 5;
    setting_.DVIEW = 9;
    Show();
    EXPECT_FALSE(controls_.RBhlft || controls_.RBhrit || controls_.RBhcnt);
    ASSERT_TRUE(Ok());
    EXPECT_EQ(setting_.HB, 0);
    EXPECT_EQ(setting_.DVIEW, 0);
}

TEST_F(SetupDialogTest, BirthDateIsNormalisedOnOk) {
    Show();
    controls_.EDtbdy = u"19800229";
    ASSERT_TRUE(Ok());
    EXPECT_EQ(setting_.BIRTH, u"1980/02/29");
    Show();
    controls_.EDtbdy = u"abc";
    ASSERT_TRUE(Ok());
    EXPECT_EQ(setting_.BIRTH, u"");
}

TEST_F(SetupDialogTest, DeleteAsksAndOnlyYesEmptiesTheRow) {
    Show();
    controls_.SGdata.row = 2;
    backend_.answer = 7;
    BTdelClick(controls_);
    EXPECT_EQ(controls_.SGdata.Cell(0, 2), u"b");
    EXPECT_EQ(backend_.Texts(), std::vector<std::u16string>{texts::kDeleteQuestion});
    backend_.answer = 6;
    BTdelClick(controls_);
    EXPECT_EQ(controls_.SGdata.Cell(0, 2), u"");
    // Cancelling the dialog now keeps every goal: nothing reached the list.
    EXPECT_EQ(goals_.Count(), 3);
    ASSERT_TRUE(Ok());
    EXPECT_EQ(goals_.ToVector(), (std::vector<std::u16string>{u"a,2026/01/01,2026/12/31", u"c,d,e"}));
    SGdataClick(controls_);
    EXPECT_FALSE(controls_.BTdelEnabled);
    Show();  // the first row is current again and holds a goal
    EXPECT_TRUE(controls_.BTdelEnabled);
    controls_.SGdata.row = 3;  // past the two goals left
    SGdataClick(controls_);
    EXPECT_FALSE(controls_.BTdelEnabled);
    controls_.SGdata.Cell(2, 3) = u" ";
    SGdataClick(controls_);
    EXPECT_TRUE(controls_.BTdelEnabled);
}

TEST(GoalGridTest, EnterMovesOnAndNormalisesTheCellLeft) {
    GoalGrid grid;
    SGdataEnter(grid, kToday);  // no editor: opens one
    EXPECT_TRUE(grid.editorOpen);
    EXPECT_EQ(grid.column, 0);
    SGdataEnter(grid, kToday);
    EXPECT_EQ(grid.column, 1);
    grid.Cell(1, 1) = u"12/31";
    SGdataEnter(grid, kToday);
    EXPECT_EQ(grid.Cell(1, 1), u"2026/12/31");
    EXPECT_EQ(grid.column, 2);
    grid.Cell(2, 1) = u"2/30";
    SGdataEnter(grid, kToday);
    EXPECT_EQ(grid.Cell(2, 1), u"");
    EXPECT_EQ(grid.column, 0);
    EXPECT_EQ(grid.row, 2);
    EXPECT_TRUE(grid.editorOpen);

    SelectCell(grid, 2, 150, kToday);
    grid.Cell(2, 150) = u"240501";
    SGdataEnter(grid, kToday);
    EXPECT_FALSE(grid.editorOpen);
    EXPECT_EQ(grid.row, 150);
    EXPECT_EQ(grid.column, 2);
    EXPECT_EQ(grid.Cell(2, 150), u"240501");  // Enter there only closes the editor
    SelectCell(grid, 0, 150, kToday);         // leaving the cell normalises it
    EXPECT_EQ(grid.Cell(2, 150), u"2024/05/01");
}

TEST(GoalGridTest, KeysMoveOpenAndCancel) {
    struct Case {
        std::int32_t column, row;
        bool editorOpen;
        GridKey key;
        std::int32_t toColumn, toRow;
        bool toEditorOpen;
        GridAction action;
    };
    constexpr std::int32_t kVisible = 23;
    const Case cases[] = {
        {1, 5, false, GridKey::kUp, 1, 4, false, GridAction::kMoved},
        {1, 1, false, GridKey::kUp, 1, 1, false, GridAction::kMoved},   // stays, still a move
        {1, 5, true, GridKey::kDown, 1, 6, false, GridAction::kMoved},  // Down in the editor closes it
        {0, 5, false, GridKey::kLeft, 0, 5, false, GridAction::kMoved},
        {2, 5, false, GridKey::kRight, 2, 5, false, GridAction::kMoved},
        {0, 5, false, GridKey::kRight, 1, 5, false, GridAction::kMoved},
        {0, 30, false, GridKey::kPageUp, 0, 7, false, GridAction::kMoved},
        {0, 10, false, GridKey::kPageUp, 0, 1, false, GridAction::kMoved},
        {0, 140, false, GridKey::kPageDown, 0, 150, false, GridAction::kMoved},
        {1, 40, false, GridKey::kPageDown, 1, 63, false, GridAction::kMoved},  // a whole page from the middle
        {2, 70, false, GridKey::kHome, 2, 1, false, GridAction::kMoved},
        {2, 70, false, GridKey::kEnd, 2, 150, false, GridAction::kMoved},
        {1, 9, false, GridKey::kEdit, 1, 9, true, GridAction::kEditorOpened},
        {1, 9, true, GridKey::kCancelEdit, 1, 9, false, GridAction::kEditorClosed},
    };
    for (const auto& c : cases) {
        GoalGrid grid;
        grid.column = c.column;
        grid.row = c.row;
        grid.editorOpen = c.editorOpen;
        EXPECT_EQ(PressGridKey(grid, c.key, kVisible, kToday), c.action) << static_cast<int>(c.key) << " at " << c.row;
        EXPECT_EQ(grid.column, c.toColumn) << static_cast<int>(c.key) << " at " << c.row;
        EXPECT_EQ(grid.row, c.toRow) << static_cast<int>(c.key) << " at " << c.row;
        EXPECT_EQ(grid.editorOpen, c.toEditorOpen) << static_cast<int>(c.key) << " at " << c.row;
    }
}

TEST(GoalGridTest, MovingNormalisesTheDateLeftAndEscapeKeepsTheCell) {
    GoalGrid grid;
    grid.column = kStartColumn;
    grid.Cell(kStartColumn, 1) = u"3/4";
    PressGridKey(grid, GridKey::kDown, 10, kToday);
    EXPECT_EQ(grid.Cell(kStartColumn, 1), u"2026/03/04");
    grid.Cell(kStartColumn, 2) = u"old";
    EXPECT_EQ(TypeIntoGrid(grid, u'n'), u"n");  // typing replaces the cell's text in the editor
    EXPECT_TRUE(grid.editorOpen);
    PressGridKey(grid, GridKey::kCancelEdit, 10, kToday);
    EXPECT_EQ(grid.Cell(kStartColumn, 2), u"old");
}

TEST(GoalGridTest, TitleCellsAreNeverNormalised) {
    GoalGrid grid;
    grid.Cell(0, 1) = u"12/31";
    SelectCell(grid, 1, 1, kToday);
    EXPECT_EQ(grid.Cell(0, 1), u"12/31");
}

}  // namespace
}  // namespace kestrival
