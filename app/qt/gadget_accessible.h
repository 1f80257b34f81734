#pragma once
// The gadget for screen readers on Linux: the window is named by its title band and has one child
// for each goal panel, named by the goal's title and described by its dates and day counts.
#include <QAccessible>

namespace kestrival {

// For QAccessible::installFactory: the gadget's own interface, nothing for any other object.
QAccessibleInterface* GadgetAccessibleFactory(const QString& key, QObject* object);

}  // namespace kestrival
