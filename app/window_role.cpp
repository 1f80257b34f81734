#include "app/window_role.h"

namespace kestrival {

WindowRole RoleFor(Stacking stacking, DisplayKind display) {
    WindowRole role;
    role.pixelAlpha = display != DisplayKind::kX11;
    if (display == DisplayKind::kWayland) {
        // The core protocol has no stacking, place or taskbar hints: the compositor decides them.
        role.type = WindowType::kToplevel;
        role.drag = DragMove::kCompositor;
        role.placesItself = false;
        return role;
    }
    role.skipTaskbar = true;
    switch (stacking) {
        case Stacking::kOrdinary:
            break;
        case Stacking::kOnTop:
            role.keepAbove = true;
            break;
        case Stacking::kOnDesktop:
            // Window managers leave a dock kept below in place when the user shows the desktop,
            // and show it on every virtual desktop, as the desktop itself.
            role.type = WindowType::kDock;
            role.keepBelow = true;
            role.allDesktops = true;
            role.drag = DragMove::kOwn;
            break;
    }
    return role;
}

}  // namespace kestrival
