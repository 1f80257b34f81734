#include "settings/dialog/qt/goal_grid_accessible.h"

#include <QAccessibleWidget>
#include <QPointer>

#include <map>
#include <utility>

#include "settings/dialog/grid_reading.h"
#include "settings/dialog/qt/goal_grid_widget.h"
#include "support/qt/open_menu_accessible.h"

namespace kestrival {
namespace {

QString Q(const std::u16string& text) { return QString::fromStdU16String(text); }

class GridTableAccessible;

// One cell of the grid, row 0 being the header. It has no object of its own and reads the grid's
// text each time it is asked.
class GridCellAccessible final : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    GridCellAccessible(GoalGridWidget* grid, std::int32_t column, std::int32_t row)
        : grid_(grid), column_(column), row_(row) {}

    bool isValid() const override { return !grid_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return grid_ ? grid_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(grid_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return row_ == 0 ? QAccessible::ColumnHeader : QAccessible::Cell; }

    QString text(QAccessible::Text t) const override {
        if (!grid_) return {};
        if (t == QAccessible::Description && row_ != 0) return Q(GridCellPlace({column_, row_}));
        if (t != QAccessible::Name) return {};
        return row_ == 0 ? Q(GridHeader(column_)) : Q(Grid().Grid().Cell(column_, row_));
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!grid_ || !Grid().RowShown(row_)) return {};
        const Rect cell = Grid().CellRectNow(column_, row_);
        return {Grid().mapToGlobal(QPoint(cell.left, cell.top)), QSize(cell.right - cell.left, cell.bottom - cell.top)};
    }

    QAccessible::State state() const override {
        QAccessible::State s;
        if (!grid_) return s;
        s.readOnly = row_ == 0;
        s.focusable = row_ != 0;
        s.selectable = row_ != 0;
        s.selected = IsCurrent();
        s.focused = IsCurrent() && Grid().hasFocus();
        if (!Grid().RowShown(row_)) s.invisible = s.offscreen = true;
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this) : nullptr;
    }

    // QAccessibleTableCellInterface; the table's rows are the goal rows, counted from 0.
    bool isSelected() const override { return IsCurrent(); }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_ - 1; }
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    const GoalGridWidget& Grid() const { return *static_cast<const GoalGridWidget*>(grid_.data()); }
    bool IsCurrent() const { return row_ != 0 && Grid().Grid().column == column_ && Grid().Grid().row == row_; }

    QPointer<QWidget> grid_;
    std::int32_t column_;
    std::int32_t row_;
};

// The answer for a place outside the grid. Qt's bridge asks the cell interface of whatever cellAt
// and child give without checking it for null, so a reader's question about row 150, a negative
// column or a child past the last would bring the program down. This stands in for every such
// place: no object (not valid, so the bridge names it by the null path) and an empty answer to
// every question: no text, no place, row and column -1, no extent, not selected.
class NoCellAccessible final : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    bool isValid() const override { return false; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return nullptr; }
    QAccessibleInterface* parent() const override { return nullptr; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::NoRole; }
    QString text(QAccessible::Text) const override { return {}; }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return {}; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.invalid = true;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this) : nullptr;
    }

    bool isSelected() const override { return false; }
    int columnExtent() const override { return 0; }
    int rowExtent() const override { return 0; }
    int columnIndex() const override { return -1; }
    int rowIndex() const override { return -1; }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    QAccessibleInterface* table() const override { return nullptr; }
};

// The grid as a table: children are the three header cells, then the goal rows' cells row by row,
// then the row's menu of counting choices while it is open.
class GridTableAccessible final : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit GridTableAccessible(GoalGridWidget* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
    ~GridTableAccessible() override {
        for (const auto& [key, id] : cells_) QAccessible::deleteAccessibleInterface(id);
        if (noCell_ != 0) QAccessible::deleteAccessibleInterface(noCell_);
    }

    // The header row 0 and the goal rows 1 to kGoalRows; the cell's editor counts as no child.
    // Any other place gets the stand-in that answers empty, never null.
    QAccessibleInterface* Cell(std::int32_t column, std::int32_t row) const {
        if (column < 0 || column >= kGoalColumns || row < 0 || row > kGoalRows) return NoCell();
        QAccessible::Id& id = cells_[{row, column}];
        if (id == 0) id = QAccessible::registerAccessibleInterface(new GridCellAccessible(&Grid(), column, row));
        return QAccessible::accessibleInterface(id);
    }

    int childCount() const override { return kCellCount + (OpenMenuInterface(widget()) ? 1 : 0); }
    QAccessibleInterface* child(int index) const override {
        if (index == kCellCount) {
            QAccessibleInterface* menu = OpenMenuInterface(widget());
            return menu ? menu : NoCell();
        }
        if (index < 0 || index >= kCellCount) return NoCell();
        return Cell(index % kGoalColumns, index / kGoalColumns);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child) return -1;
        if (child == OpenMenuInterface(widget())) return kCellCount;
        auto* cell = const_cast<QAccessibleInterface*>(child)->tableCellInterface();
        if (!cell || cell->table() != this) return -1;
        return (cell->rowIndex() + 1) * kGoalColumns + cell->columnIndex();
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint local = Grid().mapFromGlobal(QPoint(x, y));
        for (std::int32_t row = 0; row <= kGoalRows; ++row) {
            if (!Grid().RowShown(row)) continue;
            for (std::int32_t column = 0; column < kGoalColumns; ++column) {
                const Rect r = Grid().CellRectNow(column, row);
                if (local.x() >= r.left && local.x() < r.right && local.y() >= r.top && local.y() < r.bottom) {
                    return Cell(column, row);
                }
            }
        }
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        return Grid().hasFocus() ? Cell(Grid().Grid().column, Grid().Grid().row) : nullptr;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // QAccessibleTableInterface: one current cell, which is also the selection.
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        // Row -1 would be the header row: a table's rows are the goal rows only.
        return row < 0 ? NoCell() : Cell(column, row + 1);
    }
    int selectedCellCount() const override { return 1; }
    QList<QAccessibleInterface*> selectedCells() const override { return {focusChildOrCurrent()}; }
    int columnCount() const override { return kGoalColumns; }
    int rowCount() const override { return kGoalRows; }
    QString columnDescription(int column) const override { return Q(GridHeader(column)); }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    static constexpr int kCellCount = (kGoalRows + 1) * kGoalColumns;

    GoalGridWidget& Grid() const { return *static_cast<GoalGridWidget*>(widget()); }
    QAccessibleInterface* focusChildOrCurrent() const { return Cell(Grid().Grid().column, Grid().Grid().row); }
    QAccessibleInterface* NoCell() const {
        if (noCell_ == 0) noCell_ = QAccessible::registerAccessibleInterface(new NoCellAccessible);
        return QAccessible::accessibleInterface(noCell_);
    }

    mutable std::map<std::pair<std::int32_t, std::int32_t>, QAccessible::Id> cells_;
    mutable QAccessible::Id noCell_ = 0;
};

QList<QAccessibleInterface*> GridCellAccessible::columnHeaderCells() const {
    auto* table = dynamic_cast<GridTableAccessible*>(parent());
    if (!table) return {};
    return {table->Cell(column_, 0)};
}

}  // namespace

QAccessibleInterface* GoalGridAccessibleFactory(const QString&, QObject* object) {
    // The grid has no meta-object of its own, so its class name says nothing: the type decides.
    if (auto* grid = dynamic_cast<GoalGridWidget*>(object)) return new GridTableAccessible(grid);
    return nullptr;
}

}  // namespace kestrival
