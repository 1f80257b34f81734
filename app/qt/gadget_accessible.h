#pragma once
// The gadget for screen readers on Linux: the window is named by its title band and has one child
// for each goal panel, named by the goal's title and described by its dates and day counts.
#include <QAccessible>

#include "render/gadget_reading.h"

namespace kestrival {

class GadgetWidget;

// For QAccessible::installFactory: the gadget's own interface, nothing for any other object.
QAccessibleInterface* GadgetAccessibleFactory(const QString& key, QObject* object);

// Tells screen readers what changed between the gadget's last two readings.
void AnnounceReadingChanges(GadgetWidget& gadget, const GadgetReading& before, const GadgetReading& after);

}  // namespace kestrival
