#pragma once
// The goal grid for screen readers on Linux: a table of the goal rows and three columns with
// their header cells, each cell named by its text, and the current cell announced as the focus.
#include <QAccessible>

namespace kestrival {

// For QAccessible::installFactory: the grid's table interface, nothing for any other object.
QAccessibleInterface* GoalGridAccessibleFactory(const QString& key, QObject* object);

}  // namespace kestrival
