#pragma once
// Which monitor a window stands on, and where it goes when it stands on none: monitors of unequal
// sizes leave gaps inside the box that holds them all, and a window there would be out of reach.
#include <span>

#include "support/coordinates.h"

namespace kestrival {

// A window whose top-left corner is on a monitor stays where it is, even if it hangs off that
// monitor's edge (the user may have put it so). Otherwise it goes to the monitor nearest to that
// corner and is placed whole inside its work area, moving no further than it must; a window
// larger than the work area keeps its top-left corner, and so its title band, in it. Monitors
// without an area are ignored; with none left the window stays.
Point PlacedOnMonitor(Point at, Size window, std::span<const Monitor> monitors);

}  // namespace kestrival
