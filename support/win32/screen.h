#pragma once
#include <windows.h>

#include "support/coordinates.h"

namespace kestrival {

// The whole primary display in pixels (not its work area), as the layout and the dialog use it.
inline Size PrimaryScreenSize() { return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}; }

}  // namespace kestrival
