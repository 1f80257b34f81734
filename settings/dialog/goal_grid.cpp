#include "settings/dialog/goal_grid.h"

#include <algorithm>

#include "support/normalize_date.h"
#include "support/text.h"
#include "support/ui_texts.h"

namespace kestrival {

std::u16string& GoalGrid::Cell(std::int32_t c, std::int32_t r) {
    return cells_[static_cast<std::size_t>(std::clamp(r, 0, kGoalRows))]
                 [static_cast<std::size_t>(std::clamp(c, 0, kGoalColumns - 1))];
}

const std::u16string& GoalGrid::Cell(std::int32_t c, std::int32_t r) const {
    return cells_[static_cast<std::size_t>(std::clamp(r, 0, kGoalRows))]
                 [static_cast<std::size_t>(std::clamp(c, 0, kGoalColumns - 1))];
}

CountChoices& GoalGrid::Choices(std::int32_t r) {
    return choices_[static_cast<std::size_t>(std::clamp(r, 0, kGoalRows))];
}

const CountChoices& GoalGrid::Choices(std::int32_t r) const {
    return choices_[static_cast<std::size_t>(std::clamp(r, 0, kGoalRows))];
}

GoalReminders& GoalGrid::Reminders(std::int32_t r) {
    return reminders_[static_cast<std::size_t>(std::clamp(r, 0, kGoalRows))];
}

const GoalReminders& GoalGrid::Reminders(std::int32_t r) const {
    return reminders_[static_cast<std::size_t>(std::clamp(r, 0, kGoalRows))];
}

void FillGoalGrid(GoalGrid& grid, const GoalList& goals, const std::vector<CountChoices>& choices,
                  const std::vector<GoalReminders>& reminders) {
    for (std::int32_t i = 0; i < kGoalRows; ++i) {
        std::u16string line = goals.LineAt(i);
        for (std::int32_t c = 0; c < kGoalColumns; ++c) grid.Cell(c, i + 1) = TakeField(line, &line);
        const auto index = static_cast<std::size_t>(i);
        const bool goal = i < goals.Count();
        grid.Choices(i + 1) = goal && index < choices.size() ? choices[index] : CountChoices{};
        grid.Reminders(i + 1) = goal && index < reminders.size() ? reminders[index] : GoalReminders{};
    }
}

void SGdataExit(GoalGrid& grid, const CivilDate& today) {
    if (grid.column == kStartColumn || grid.column == kEndColumn) {
        std::u16string& cell = grid.Cell(grid.column, grid.row);
        cell = NormalizeDate(cell, today);
    }
}

void SelectCell(GoalGrid& grid, std::int32_t column, std::int32_t row, const CivilDate& today) {
    SGdataExit(grid, today);
    grid.column = std::clamp(column, 0, kGoalColumns - 1);
    grid.row = std::clamp(row, 1, kGoalRows);
}

void SGdataEnter(GoalGrid& grid, const CivilDate& today) {
    if (!grid.editorOpen) {
        grid.editorOpen = true;
        return;
    }
    if (grid.column == kEndColumn && grid.row == kGoalRows) {
        grid.editorOpen = false;
        return;
    }
    if (grid.column == kEndColumn) {
        SelectCell(grid, kTitleColumn, grid.row + 1, today);
    } else {
        SelectCell(grid, grid.column + 1, grid.row, today);
    }
}

GridAction PressGridKey(GoalGrid& grid, GridKey key, std::int32_t visibleRows, const CivilDate& today) {
    std::int32_t column = grid.column, row = grid.row;
    const std::int32_t page = std::max(visibleRows, 1);
    switch (key) {
        case GridKey::kUp:
            --row;
            break;
        case GridKey::kDown:
            ++row;
            break;
        case GridKey::kLeft:
            --column;
            break;
        case GridKey::kRight:
            ++column;
            break;
        case GridKey::kPageUp:
            row -= page;
            break;
        case GridKey::kPageDown:
            row += page;
            break;
        case GridKey::kHome:
            row = 1;
            break;
        case GridKey::kEnd:
            row = kGoalRows;
            break;
        case GridKey::kEdit:
            grid.editorOpen = true;
            return GridAction::kEditorOpened;
        case GridKey::kCancelEdit:
            grid.editorOpen = false;
            return GridAction::kEditorClosed;
    }
    SelectCell(grid, column, row, today);
    grid.editorOpen = false;
    return GridAction::kMoved;
}

std::u16string TypeIntoGrid(GoalGrid& grid, char16_t character) {
    grid.editorOpen = true;
    return std::u16string(1, character);
}

bool CurrentRowHasText(const GoalGrid& grid) {
    for (std::int32_t c = 0; c < kGoalColumns; ++c) {
        if (!grid.Cell(c, grid.row).empty()) return true;
    }
    return false;
}

void ClearCurrentRow(GoalGrid& grid) {
    for (std::int32_t c = 0; c < kGoalColumns; ++c) grid.Cell(c, grid.row).clear();
    grid.Choices(grid.row) = {};
    grid.Reminders(grid.row) = {};
}

std::optional<GoalRowProblem> CheckGoalRows(const GoalGrid& grid, const CivilDate& today) {
    for (std::int32_t r = 1; r <= kGoalRows; ++r) {
        if (grid.Cell(kTitleColumn, r).find(u',') != std::u16string::npos)
            return GoalRowProblem{r, texts::kCommaInTitle};
        const std::u16string start = NormalizeDate(grid.Cell(kStartColumn, r), today);
        const std::u16string end = NormalizeDate(grid.Cell(kEndColumn, r), today);
        if (!start.empty() && !end.empty() && start > end) return GoalRowProblem{r, texts::kStartAfterEnd};
    }
    return std::nullopt;
}

void CommitGoalGrid(const GoalGrid& grid, GoalList& goals, std::vector<CountChoices>& choices,
                    std::vector<GoalReminders>& reminders) {
    // Goals past the grid's rows (a hand-edited file may hold thousands) were never shown, so
    // they stay as they were, with their choices and reminders, after the grid's rows.
    GoalList beyondGrid;
    std::vector<CountChoices> choicesBeyondGrid;
    std::vector<GoalReminders> remindersBeyondGrid;
    for (std::int32_t i = kGoalRows; i < goals.Count(); ++i) {
        beyondGrid.Add(goals.LineView(static_cast<std::size_t>(i)));
        const auto index = static_cast<std::size_t>(i);
        choicesBeyondGrid.push_back(index < choices.size() ? choices[index] : CountChoices{});
        remindersBeyondGrid.push_back(index < reminders.size() ? reminders[index] : GoalReminders{});
    }
    goals.Clear();
    choices.clear();
    reminders.clear();
    for (std::int32_t r = 1; r <= kGoalRows; ++r) {
        const std::u16string line = TrimSpaces(grid.Cell(kTitleColumn, r)) + u"," +
                                    TrimSpaces(grid.Cell(kStartColumn, r)) + u"," +
                                    TrimSpaces(grid.Cell(kEndColumn, r));
        if (line == u",,") continue;  // a blank row takes its choices and reminders with it
        goals.Add(line);
        choices.push_back(grid.Choices(r));
        reminders.push_back(grid.Reminders(r));
    }
    for (std::int32_t i = 0; i < beyondGrid.Count(); ++i) goals.Add(beyondGrid.LineView(static_cast<std::size_t>(i)));
    choices.insert(choices.end(), choicesBeyondGrid.begin(), choicesBeyondGrid.end());
    reminders.insert(reminders.end(), remindersBeyondGrid.begin(), remindersBeyondGrid.end());
}

}  // namespace kestrival
