#pragma once
// The goal grid of the settings dialog as data: 150 rows of title, start date and end date, the
// current cell and whether its editor is open. The Win32 control draws this and feeds it input.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/count_choices.h"
#include "settings/execute_setting.h"
#include "support/civil_date.h"

namespace kestrival {

inline constexpr std::int32_t kGoalRows = kMaxPanels;
inline constexpr std::int32_t kGoalColumns = 3;
enum GoalColumn : std::int32_t { kTitleColumn = 0, kStartColumn = 1, kEndColumn = 2 };

struct GoalRowProblem {
    std::int32_t row = 0;  // 1 to 150
    std::u16string message;
};

class GoalGrid {
public:
    // Cells of goal rows 1 to 150; row 0 is the fixed header and holds no goal.
    std::u16string& Cell(std::int32_t column, std::int32_t row);
    const std::u16string& Cell(std::int32_t column, std::int32_t row) const;
    // How the goal of a row counts; it goes with the row's cells.
    CountChoices& Choices(std::int32_t row);
    const CountChoices& Choices(std::int32_t row) const;
    // The row's reminders and the record of the last one shown; they go with the row's cells too.
    GoalReminders& Reminders(std::int32_t row);
    const GoalReminders& Reminders(std::int32_t row) const;

    std::int32_t column = 0;
    std::int32_t row = 1;
    bool editorOpen = false;

private:
    std::array<std::array<std::u16string, kGoalColumns>, kGoalRows + 1> cells_;
    std::array<CountChoices, kGoalRows + 1> choices_{};
    std::array<GoalReminders, kGoalRows + 1> reminders_{};
};

// Rows 1 to 150 from the first 150 goal lines, their choices and reminders; rows after the last
// goal become empty.
void FillGoalGrid(GoalGrid& grid, const GoalList& goals, const std::vector<CountChoices>& choices,
                  const std::vector<GoalReminders>& reminders);
// Normalises the current cell when it is a date cell (the cell being left).
void SGdataExit(GoalGrid& grid, const CivilDate& today);
// Makes another cell current, normalising the one being left.
void SelectCell(GoalGrid& grid, std::int32_t column, std::int32_t row, const CivilDate& today);
// Enter in the grid: while editing, moves on (title, start, end, next row's title) and keeps the
// editor open; at the end cell of row 150 only closes the editor (its date is normalised when the
// cell is left). Without an editor, opens one.
void SGdataEnter(GoalGrid& grid, const CivilDate& today);
// The keys of the grid, as its control maps them: arrows, PgUp/PgDn, Home/End and F2 on the grid;
// Up, Down and Esc in the open editor (Left and Right there move the caret instead).
enum class GridKey { kUp, kDown, kLeft, kRight, kPageUp, kPageDown, kHome, kEnd, kEdit, kCancelEdit };
enum class GridAction { kNone, kMoved, kEditorOpened, kEditorClosed };
// Applies a key: a move normalises the cell left and closes the editor (the control takes the
// editor's text first); PgUp/PgDn move by the rows in view; F2 opens the editor on the cell's
// text; Esc in the editor closes it and drops what was typed.
GridAction PressGridKey(GoalGrid& grid, GridKey key, std::int32_t visibleRows, const CivilDate& today);
// A character typed on the grid without an editor replaces the cell: the editor opens holding
// only that character. Returns the editor's new text.
std::u16string TypeIntoGrid(GoalGrid& grid, char16_t character);
// Whether the delete button applies: some cell of the current row is not empty.
bool CurrentRowHasText(const GoalGrid& grid);
void ClearCurrentRow(GoalGrid& grid);
// The first row with a comma in its title or a start date after its end date.
std::optional<GoalRowProblem> CheckGoalRows(const GoalGrid& grid, const CivilDate& today);
// Rebuilds the goal list, its choices and reminders from the rows that are not blank, trimmed, in
// order.
void CommitGoalGrid(const GoalGrid& grid, GoalList& goals, std::vector<CountChoices>& choices,
                    std::vector<GoalReminders>& reminders);

}  // namespace kestrival
