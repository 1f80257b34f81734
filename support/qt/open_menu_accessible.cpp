#include "support/qt/open_menu_accessible.h"

#include <QMenu>
#include <QWidget>

namespace kestrival {

QAccessibleInterface* OpenMenuInterface(const QWidget* owner) {
    if (!owner) return nullptr;
    for (QMenu* menu : owner->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) {
        if (menu->isVisible()) return QAccessible::queryAccessibleInterface(menu);
    }
    return nullptr;
}

}  // namespace kestrival
