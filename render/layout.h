#pragma once
// The gadget window's size, position, colour key and alpha, computed from the settings.
#include <cstdint>
#include <vector>

#include "render/canvas.h"
#include "render/monitor_placement.h"
#include "settings/execute_setting.h"

namespace kestrival {

// The window the layout moves. The Win32 layer applies the values to the layered window; the
// tests record them.
class GadgetWindow {
public:
    virtual ~GadgetWindow() = default;
    virtual void SetBounds(const Rect& bounds) = 0;
    virtual void SetColorKey(bool enabled, std::int32_t colour) = 0;
    virtual void SetAlpha(std::uint8_t alpha) = 0;
    // Where the window is now, as the system reports it (the user may have dragged it).
    virtual Point Position() const = 0;
};

// The largest window side the layout produces; beyond it the off-screen bitmap would grow without use.
inline constexpr std::int32_t kMaxWindowSide = 30000;

// Where the gadget may stand: the primary display, whose edges the anchors measure from and whose
// DPI is the unit of DX and DY (so a place on a monitor of another scale survives a restart), and
// the monitors, on one of which the window's top-left corner is kept. Without a list of monitors
// the desktop is taken as one monitor, and an empty desktop is the primary display alone.
struct Screens {
    Screens(Size primaryDisplay, std::int32_t dpi, Rect wholeDesktop, std::vector<Monitor> monitorList = {})
        : primary(primaryDisplay), primaryDpi(dpi), desktop(wholeDesktop), monitors(std::move(monitorList)) {}
    Size primary;
    std::int32_t primaryDpi;
    Rect desktop;
    std::vector<Monitor> monitors;
};

// The screens as a list of monitors alone describes them, the primary first: the primary display
// is the first monitor and the desktop the smallest rectangle round all of them. One question to
// the system answers all three. An empty list gives an empty primary display and desktop.
Screens ScreensOfMonitors(std::vector<Monitor> monitors, std::int32_t dpi);

// Width and height for `titleTextHeight`, the height of "H" in the canvas's current font, with
// every other length scaled to `dpi`.
Size GadgetSize(const ExecuteSetting& setting, std::int32_t titleTextHeight, std::int32_t dpi = kDesignDpi);
// Anchored position on a screen of `screen` size, with the top-left corner kept on the screen; the
// offsets DX and DY are 96-DPI lengths scaled to `dpi`.
Point GadgetPosition(const ExecuteSetting& setting, Size window, Size screen, std::int32_t dpi = kDesignDpi);
Point GadgetPosition(const ExecuteSetting& setting, Size window, const Screens& screens);

// A window that stays where the user dragged it, brought back onto a screen that changed: a window
// whose corner is on no monitor goes whole onto the nearest one, as in GadgetPosition.
Point KeptOnScreen(Point at, Size window, Size screen);
Point KeptOnScreen(Point at, Size window, const Screens& screens);
// Lays the window out and returns where it was placed (LaidOutLeft, LaidOutTop).
Point LayoutGadget(const ExecuteSetting& setting, Canvas& canvas, Size screen, GadgetWindow& window);
// The same with the offsets in units of the primary display and the corner kept on the desktop.
Point LayoutGadget(const ExecuteSetting& setting, Canvas& canvas, const Screens& screens, GadgetWindow& window);

// Alpha for an opacity in percent. Values a hand-edited file may hold outside 10 to 100 are
// brought into that range: at 0 percent nothing would be left to right-click.
std::uint8_t OpacityAlpha(std::int32_t percent);
void ApplyOpacity(GadgetWindow& window, std::int32_t percent);

}  // namespace kestrival
