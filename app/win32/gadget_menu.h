#pragma once
// The gadget's context menu, built from the menu texts.
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "app/desktop_rules.h"

namespace kestrival {

// What the menu's marks show.
struct GadgetMenuState {
    Stacking stacking = Stacking::kOrdinary;
    bool locked = false;
    bool startsWithWindows = false;
    // The monitor submenu's items and the gadget's monitor among them.
    std::vector<std::u16string> monitors{};
    std::size_t monitor = 0;
    bool clickThrough = false;
    bool hideUnderFullScreen = false;
    bool notificationIcon = false;
    // Without a notification area the icon's item is unavailable.
    bool notificationAreaExists = true;
};

// Settings, the support page, the stacking submenu with the current one marked, the monitor
// submenu with the gadget's monitor marked, the position lock,
// click-through, hiding under full-screen programs, the notification-area icon and the start with Windows (checked when
// on), quit. The caller owns the menu and destroys it with DestroyMenu.
HMENU BuildGadgetMenu(const GadgetMenuState& state = {});

}  // namespace kestrival
