#pragma once
// The gadget's context menu, built from the menu texts.
#include <windows.h>

namespace kestrival {

// The gadget's context menu: settings, a separator, the support page, a separator, quit.
// The caller owns the menu and destroys it with DestroyMenu.
HMENU BuildGadgetMenu();

}  // namespace kestrival
