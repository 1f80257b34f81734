#pragma once
// A popup menu is a window of its own, and Qt's bridge lists it under no parent: the application
// leaves popups out of its windows and a widget leaves menus out of its children, although the
// menu is a child object of the widget that opened it. A widget with an interface of its own lists
// its open menu as its last child, so that a reader walking down from the window finds the menu
// and its items.
#include <QAccessible>

class QWidget;

namespace kestrival {

// The menu that `owner` has open now (one it made with itself as parent), or null.
QAccessibleInterface* OpenMenuInterface(const QWidget* owner);

}  // namespace kestrival
