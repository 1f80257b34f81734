#pragma once
// What kind of window the gadget is on the display it got, decided once for every place that asks:
// its type and stacking hints, whether a taskbar lists it, how its band drags it, whether its
// place can be set and read, and how it is made see-through.
#include "app/desktop_rules.h"

namespace kestrival {

// The display the gadget runs on. On X11 a compositor is running when the `_NET_WM_CM_S0`
// selection has an owner; every Wayland session is composited.
enum class DisplayKind { kX11, kX11Composited, kWayland };

enum class WindowType {
    kTool,      // a frameless tool window (X11): no taskbar entry, stacked by the hints below
    kDock,      // a dock (X11): left in place when the user shows the desktop, on every desktop
    kToplevel,  // an ordinary frameless top-level window that the compositor places (Wayland)
};

enum class DragMove {
    kCompositor,         // the compositor's own move; the program cannot move the window itself
    kCompositorElseOwn,  // the window manager's move, or the program's own where there is none
    kOwn,                // the program's own move (window managers do not move a dock)
};

struct WindowRole {
    WindowType type = WindowType::kTool;
    bool keepAbove = false;
    bool keepBelow = false;
    // The hints that keep the window out of taskbars and pagers and on every virtual desktop.
    bool skipTaskbar = false;
    bool allDesktops = false;
    DragMove drag = DragMove::kCompositorElseOwn;
    // Whether the program puts the window where the layout says and learns where a drag left it.
    // A Wayland client can do neither: its place is the compositor's.
    bool placesItself = true;
    // Translucency and the colour key as each pixel's alpha (a compositor blends them), or as
    // whole-window opacity with a window shape where no compositor runs.
    bool pixelAlpha = false;

    bool operator==(const WindowRole&) const = default;
};

WindowRole RoleFor(Stacking stacking, DisplayKind display);

}  // namespace kestrival
