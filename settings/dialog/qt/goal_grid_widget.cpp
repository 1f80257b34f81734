#include "settings/dialog/qt/goal_grid_widget.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "settings/dialog/count_menu.h"
#include "settings/dialog/grid_reading.h"
#include "support/ui_texts.h"

namespace kestrival {
namespace {

QString Q(std::u16string_view text) { return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())); }

QRect AsQRect(const Rect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

constexpr const char16_t* kHeaders[kGoalColumns] = {texts::kGridTitle, texts::kGridStart, texts::kGridEnd};

}  // namespace

GoalGridWidget::GoalGridWidget(QWidget* parent, GoalGrid& grid, std::function<CivilDate()> today, std::int32_t dpi)
    : QWidget(parent),
      grid_(grid),
      today_(std::move(today)),
      layout_(GridLayout::AtDpi(dpi)),
      editor_(new QLineEdit(this)) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    editor_->setFrame(false);
    editor_->hide();
    editor_->installEventFilter(this);
}

void GoalGridWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette colours = palette();
    painter.fillRect(rect(), colours.base());
    const bool focused = hasFocus() || editor_->hasFocus();
    const std::int32_t lastRow = std::min(kGoalRows, topRow_ + VisibleRows());
    auto drawCell = [&](std::int32_t column, std::int32_t row) {
        const Rect cell = layout_.CellRect(column, row, topRow_);
        const QRect area = AsQRect(cell);
        const bool current = row == grid_.row && column == grid_.column;
        painter.fillRect(area, row == 0 ? colours.button() : current && focused ? colours.highlight() : colours.base());
        painter.setPen(current && focused && row != 0 ? colours.highlightedText().color() : colours.text().color());
        const QString text = row == 0 ? Q(kHeaders[column]) : Q(grid_.Cell(column, row));
        // A row's counting choices show at the right end of its title cell, in grey; a cell
        // without marks gives its text the whole cell inside the insets.
        const QString mark = row != 0 && column == kTitleColumn
                                 ? Q(GoalMarks(grid_.Choices(row), grid_.Reminders(row).choices))
                                 : QString();
        const TitleCellParts parts =
            layout_.SplitTitleCell(cell, mark.isEmpty() ? 0 : painter.fontMetrics().horizontalAdvance(mark));
        const QRect title = AsQRect(parts.title);
        painter.drawText(title, Qt::AlignVCenter | Qt::AlignLeft,
                         painter.fontMetrics().elidedText(text, Qt::ElideRight, title.width()));
        if (!mark.isEmpty()) {
            if (!(current && focused)) painter.setPen(colours.placeholderText().color());
            painter.drawText(AsQRect(parts.marks), Qt::AlignVCenter | Qt::AlignRight, mark);
        }
    };
    for (std::int32_t c = 0; c < kGoalColumns; ++c) drawCell(c, 0);
    for (std::int32_t r = topRow_; r <= lastRow; ++r) {
        for (std::int32_t c = 0; c < kGoalColumns; ++c) drawCell(c, r);
    }
    painter.setPen(colours.mid().color());
    for (std::int32_t r = 0; r <= lastRow - topRow_ + 1; ++r) {
        const std::int32_t y = r * layout_.RowPitch() + layout_.rowHeight;
        painter.drawLine(0, y, layout_.ColumnLeft(kGoalColumns), y);
    }
    for (std::int32_t c = 1; c <= kGoalColumns; ++c) {
        const std::int32_t x = layout_.ColumnLeft(c) - layout_.line;
        painter.drawLine(x, 0, x, height());
    }
}

void GoalGridWidget::mousePressEvent(QMouseEvent* event) {
    setFocus();
    const auto cell = layout_.CellAt({event->position().toPoint().x(), event->position().toPoint().y()}, topRow_);
    if (!cell || cell->row < 1) return;
    TakeEditorText();
    SelectCell(grid_, cell->column, cell->row, today_());
    CloseEditor();
    ScrollToCurrent();
    CellMoved();
}

void GoalGridWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
    OpenEditor(true);
}

void GoalGridWidget::wheelEvent(QWheelEvent* event) {
    topRow_ = ScrolledTopRow(GridScroll::kWheel, topRow_, VisibleRows(), event->angleDelta().y() / 120);
    PlaceEditor();
    update();
}

// A right click has already made its cell current; the menu key opens the menu at the current cell.
void GoalGridWidget::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Mouse) {
        const auto cell = layout_.CellAt({event->pos().x(), event->pos().y()}, topRow_);
        if (cell && cell->row >= 1) ShowCountMenu(event->pos());
        return;
    }
    const Rect cell = layout_.CellRect(grid_.column, grid_.row, topRow_);
    ShowCountMenu({cell.left, cell.bottom});
}

void GoalGridWidget::ShowCountMenu(QPoint at) {
    TakeEditorText();
    SGdataExit(grid_, today_());
    CloseEditor();
    QMenu menu(this);
    CountChoices& choices = grid_.Choices(grid_.row);
    ReminderChoices& reminders = grid_.Reminders(grid_.row).choices;
    for (const CountMenuRow& row : CountMenuRows()) {
        if (row.separatorBefore) menu.addSeparator();
        QAction* action = menu.addAction(Q(row.text));
        action->setData(static_cast<int>(row.item));
        action->setEnabled(row.item != CountMenuItem::kHeading && row.item != CountMenuItem::kRemindHeading);
        action->setCheckable(row.mark != CountMenuMark::kNone);
        action->setChecked(RowMenuChecked(row.item, choices, reminders));
    }
    const QAction* chosen = menu.exec(mapToGlobal(at));
    if (!chosen) return;
    const auto item = static_cast<CountMenuItem>(chosen->data().toInt());
    if (item == CountMenuItem::kDaysOff) {
        if (onDaysOff) onDaysOff();
    } else {
        ApplyRowMenuItem(item, choices, reminders);
    }
    update();
}

void GoalGridWidget::keyPressEvent(QKeyEvent* event) {
    static constexpr struct {
        int qtKey;
        GridKey key;
    } kKeys[] = {
        {Qt::Key_Up, GridKey::kUp},       {Qt::Key_Down, GridKey::kDown},     {Qt::Key_Left, GridKey::kLeft},
        {Qt::Key_Right, GridKey::kRight}, {Qt::Key_PageUp, GridKey::kPageUp}, {Qt::Key_PageDown, GridKey::kPageDown},
        {Qt::Key_Home, GridKey::kHome},   {Qt::Key_End, GridKey::kEnd},       {Qt::Key_F2, GridKey::kEdit},
    };
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Enter();
        return;
    }
    const bool menuKey =
        event->key() == Qt::Key_Menu || (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (menuKey) {
        const Rect cell = layout_.CellRect(grid_.column, grid_.row, topRow_);
        ShowCountMenu({cell.left, cell.bottom});
        return;
    }
    for (const auto& entry : kKeys) {
        if (entry.qtKey == event->key()) {
            Press(entry.key);
            return;
        }
    }
    const QString text = event->text();
    if (!text.isEmpty() && text.at(0).isPrint()) {
        // Typing on the grid replaces the cell, as it does on Windows.
        QString replaced = Q(TypeIntoGrid(grid_, text.at(0).unicode()));
        replaced += text.mid(1);
        OpenEditor(false, &replaced);
        return;
    }
    QWidget::keyPressEvent(event);
}

// A composition started on the grid opens the cell's editor empty and moves there: the input
// method goes on in the editor, and its result lands whole in the cell.
void GoalGridWidget::inputMethodEvent(QInputMethodEvent* event) {
    if (!grid_.editorOpen) {
        // Text the input method hands over whole (no composition) is typing: it replaces the cell.
        if (event->preeditString().isEmpty() && !event->commitString().isEmpty()) {
            QString typed = event->commitString();
            TypeIntoGrid(grid_, typed.at(0).unicode());
            OpenEditor(false, &typed);
            return;
        }
        const QString empty;
        OpenEditor(false, &empty);
    }
    QCoreApplication::sendEvent(editor_, event);
}

QVariant GoalGridWidget::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImCursorRectangle) {
        const Rect cell = layout_.CellRect(grid_.column, grid_.row, topRow_);
        return AsQRect(cell);
    }
    return QWidget::inputMethodQuery(query);
}

bool GoalGridWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched != editor_) return false;
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                Enter();
                return true;
            case Qt::Key_Escape:  // abandons the typing and shows the cell as it was
                Press(GridKey::kCancelEdit);
                return true;
            case Qt::Key_Up:
            case Qt::Key_Down:
                TakeEditorText();
                Press(key->key() == Qt::Key_Up ? GridKey::kUp : GridKey::kDown);
                return true;
            default:
                return false;
        }
    }
    if (event->type() == QEvent::InputMethod) {
        // A composition cancelled before it committed anything leaves the cell as it was.
        auto* composition = static_cast<QInputMethodEvent*>(event);
        if (composition->commitString().isEmpty() && composition->preeditString().isEmpty() &&
            editor_->text().isEmpty()) {
            CloseEditor();
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut && !hasFocus()) {
        auto* focus = static_cast<QFocusEvent*>(event);
        if (focus->reason() != Qt::PopupFocusReason && focusWidget() != this) LeaveGrid();
    }
    return false;
}

void GoalGridWidget::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    AnnounceCurrentCell();
}

void GoalGridWidget::focusOutEvent(QFocusEvent* event) {
    if (!editor_->hasFocus()) LeaveGrid();
    QWidget::focusOutEvent(event);
}

// The focus leaves the grid: the cell being left is normalised and the editor closes.
void GoalGridWidget::LeaveGrid() {
    if (editor_->hasFocus() || hasFocus()) return;
    TakeEditorText();
    SGdataExit(grid_, today_());
    CloseEditor();
}

void GoalGridWidget::Press(GridKey key) {
    switch (PressGridKey(grid_, key, VisibleRows(), today_())) {
        case GridAction::kMoved:
            CloseEditor();
            ScrollToCurrent();
            CellMoved();
            break;
        case GridAction::kEditorOpened:
            OpenEditor(false);
            break;
        case GridAction::kEditorClosed:
            CloseEditor();
            break;
        case GridAction::kNone:
            break;
    }
}

void GoalGridWidget::Enter() {
    if (grid_.editorOpen) TakeEditorText();
    const std::int32_t column = grid_.column, row = grid_.row;
    SGdataEnter(grid_, today_());
    if (grid_.editorOpen) {
        ScrollToCurrent();
        OpenEditor(true);
    } else {
        CloseEditor();
    }
    if (column != grid_.column || row != grid_.row) CellMoved();
    update();
}

// The current cell, through whatever table interface readers were given for the grid, gets the
// focus while the grid has the keyboard.
void GoalGridWidget::AnnounceCurrentCell() {
    if (!QAccessible::isActive() || !hasFocus()) return;
    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(this);
    QAccessibleTableInterface* table = grid ? grid->tableInterface() : nullptr;
    QAccessibleInterface* cell = table ? table->cellAt(grid_.row - 1, grid_.column) : nullptr;
    if (!cell) return;
    QAccessibleEvent focus(cell, QAccessible::Focus);
    QAccessible::updateAccessibility(&focus);
}

void GoalGridWidget::CellMoved() {
    AnnounceCurrentCell();
    if (onCellChanged) onCellChanged();
}

void GoalGridWidget::OpenEditor(bool selectAll, const QString* replaceWith) {
    grid_.editorOpen = true;
    // The editor stands for one cell: it is named after the cell's column and row.
    editor_->setAccessibleName(QString::fromStdU16String(GridCellPlace({grid_.column, grid_.row})));
    ScrollToCurrent();
    editor_->setText(replaceWith ? *replaceWith : Q(grid_.Cell(grid_.column, grid_.row)));
    PlaceEditor();
    editor_->show();
    editor_->setFocus();
    if (selectAll) {
        editor_->selectAll();
    } else {
        editor_->end(false);
    }
}

void GoalGridWidget::CloseEditor() {
    grid_.editorOpen = false;
    const bool hadFocus = editor_->hasFocus();
    editor_->hide();
    if (hadFocus) setFocus();
    update();
}

void GoalGridWidget::PlaceEditor() {
    if (!grid_.editorOpen) return;
    const Rect cell = layout_.CellRect(grid_.column, grid_.row, topRow_);
    editor_->setGeometry(cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top);
    editor_->setVisible(grid_.row >= topRow_ && grid_.row < topRow_ + VisibleRows());
}

void GoalGridWidget::TakeEditorText() {
    if (grid_.editorOpen) grid_.Cell(grid_.column, grid_.row) = editor_->text().toStdU16String();
}

void GoalGridWidget::ScrollToCurrent() {
    topRow_ = TopRowShowing(grid_.row, topRow_, VisibleRows());
    PlaceEditor();
    update();
}

void GoalGridWidget::Refresh() {
    if (grid_.editorOpen) {
        OpenEditor(true);
    } else {
        editor_->hide();
    }
    ScrollToCurrent();
}

}  // namespace kestrival
