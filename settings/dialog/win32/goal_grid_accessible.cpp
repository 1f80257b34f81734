#include "settings/dialog/win32/goal_grid_accessible.h"

#include "settings/dialog/grid_reading.h"
#include "settings/dialog/setup_form_table.h"

namespace kestrival {

long GridAccessible::ChildCount() const { return kGridChildren; }

std::u16string GridAccessible::Name(long child) const {
    if (child == 0) return ControlName(setup_ids::SGdata);
    const auto cell = GridCellOfChild(static_cast<std::int32_t>(child));
    if (!cell) return {};
    return cell->row == 0 ? GridHeader(cell->column) : grid_.Cell(cell->column, cell->row);
}

std::u16string GridAccessible::Description(long child) const {
    const auto cell = GridCellOfChild(static_cast<std::int32_t>(child));
    return cell && cell->row > 0 ? GridCellPlace(*cell) : std::u16string();
}

long GridAccessible::Role(long child) const {
    if (child == 0) return ROLE_SYSTEM_TABLE;
    const auto cell = GridCellOfChild(static_cast<std::int32_t>(child));
    return cell && cell->row == 0 ? ROLE_SYSTEM_COLUMNHEADER : ROLE_SYSTEM_CELL;
}

long GridAccessible::State(long child) const {
    const auto cell = GridCellOfChild(static_cast<std::int32_t>(child));
    if (!cell || cell->row == 0) return STATE_SYSTEM_READONLY;
    long state = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
    if (child == CurrentChild()) state |= STATE_SYSTEM_SELECTED;
    if (child == FocusedChild()) state |= STATE_SYSTEM_FOCUSED;
    return state;
}

std::optional<RECT> GridAccessible::Bounds(long child) const {
    const auto cell = GridCellOfChild(static_cast<std::int32_t>(child));
    if (!cell) return std::nullopt;
    return cellRect_(cell->column, cell->row);
}

long GridAccessible::CurrentChild() const { return GridChildOf({grid_.column, grid_.row}); }

long GridAccessible::FocusedChild() const { return ::GetFocus() == Window() ? CurrentChild() : 0; }

}  // namespace kestrival
