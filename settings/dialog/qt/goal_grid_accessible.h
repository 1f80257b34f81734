#pragma once
// The goal grid for screen readers on Linux: a table of the goal rows and three columns with
// their header cells, each cell named by its text, and the current cell announced as the focus.
#include <QAccessible>

namespace kestrival {

class GoalGridWidget;

// For QAccessible::installFactory: the grid's table interface, nothing for any other object.
QAccessibleInterface* GoalGridAccessibleFactory(const QString& key, QObject* object);

// Announces the grid's current cell as the focus, when the grid or its editor has the focus.
void AnnounceCurrentCell(GoalGridWidget& grid);

}  // namespace kestrival
