#pragma once
// The goal grid on Linux: paints the core's grid through its table layout and maps keys, clicks
// and typing to the core's grid rules. Cells are edited in a QLineEdit, so input methods (fcitx5,
// ibus) compose straight into the cell's editor.
#include <QLineEdit>
#include <QWidget>

#include <functional>

#include "settings/dialog/goal_grid.h"
#include "settings/dialog/grid_layout.h"

namespace kestrival {

class GoalGridWidget final : public QWidget {
public:
    GoalGridWidget(QWidget* parent, GoalGrid& grid, std::function<CivilDate()> today, std::int32_t dpi);

    // The open editor's text into the current cell.
    void TakeEditorText();
    // Shows the grid's state again after the dialog's rules changed it.
    void Refresh();
    // Called after a click or a move made another cell current.
    std::function<void()> onCellChanged;
    // Called when the user asks for the days-off dialog from the row's menu.
    std::function<void()> onDaysOff;

    // For screen readers: the cells, where one stands now, and whether its row is scrolled into view.
    const GoalGrid& Grid() const { return grid_; }
    Rect CellRectNow(std::int32_t column, std::int32_t row) const { return layout_.CellRect(column, row, topRow_); }
    bool RowShown(std::int32_t row) const { return row == 0 || (row >= topRow_ && row < topRow_ + VisibleRows()); }
    bool Editing() const { return grid_.editorOpen && editor_->hasFocus(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OpenEditor(bool selectAll, const QString* replaceWith = nullptr);
    void CloseEditor();
    void PlaceEditor();
    void Press(GridKey key);
    void Enter();
    void ScrollToCurrent();
    void LeaveGrid();
    // The counting menu of the current row, its top left corner at `at` (widget coordinates).
    void ShowCountMenu(QPoint at);
    void CellMoved();
    void AnnounceCurrentCell();
    std::int32_t VisibleRows() const { return layout_.VisibleRows(height()); }

    GoalGrid& grid_;
    std::function<CivilDate()> today_;
    GridLayout layout_;
    std::int32_t topRow_ = 1;
    QLineEdit* editor_;
};

}  // namespace kestrival
