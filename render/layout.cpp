#include "render/layout.h"

#include <algorithm>
#include <utility>

namespace kestrival {
namespace {

// The anchored coordinate along one axis: 0 from the near edge, 1 from the far edge, else centred.
std::int64_t Anchored(std::int32_t anchor, std::int32_t offset, std::int64_t screen, std::int64_t extent) {
    if (anchor == 0) return offset;
    if (anchor == 1) return screen - extent - offset;
    return (screen - extent) / 2;  // truncated toward zero
}

Rect DesktopOf(const Screens& screens) {
    const Rect& d = screens.desktop;
    if (d.right > d.left && d.bottom > d.top) return d;
    return {0, 0, screens.primary.width, screens.primary.height};
}

std::int32_t ToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

Size GadgetSize(const ExecuteSetting& setting, std::int32_t titleTextHeight, std::int32_t dpi) {
    const PanelGrid grid = EffectivePanelGrid(setting.CL, setting.RW);
    const Scaler scaled(dpi);
    // An empty grid still keeps one column's width, so the title band stays visible and usable.
    // Counts are at most 150, so the 96-DPI lengths fit before they are scaled.
    const std::int64_t width = scaled(std::max(grid.columns, 1) * kCellPitchX + 6);
    const std::int64_t height =
        std::int64_t{titleTextHeight} + scaled(grid.rows * kCellPitchY + setting.Style.BandExtra + 12);
    return {ToInt32(std::clamp<std::int64_t>(width, 1, kMaxWindowSide)),
            ToInt32(std::clamp<std::int64_t>(height, 1, kMaxWindowSide))};
}

Point GadgetPosition(const ExecuteSetting& setting, Size window, Size screen, std::int32_t dpi) {
    return GadgetPosition(setting, window, Screens{screen, dpi, {}});
}

Point GadgetPosition(const ExecuteSetting& setting, Size window, const Screens& screens) {
    const Size screen = screens.primary;
    const std::int32_t dpi = screens.primaryDpi;
    std::int64_t x = Anchored(setting.HB, ScaleLength(setting.DX, dpi), screen.width, window.width);
    std::int64_t y = Anchored(setting.VB, ScaleLength(setting.DY, dpi), screen.height, window.height);
    return KeptOnScreen({ToInt32(x), ToInt32(y)}, window, screens);
}

Point KeptOnScreen(Point at, Size window, Size screen) { return KeptOnScreen(at, window, Screens{screen, 0, {}}); }

Point KeptOnScreen(Point at, Size window, const Screens& screens) {
    // Monitors without an area say nothing; with none left the desktop stands for one monitor.
    std::vector<Monitor> monitors;
    for (const Monitor& m : screens.monitors) {
        if (m.bounds.right > m.bounds.left && m.bounds.bottom > m.bounds.top) monitors.push_back(m);
    }
    if (monitors.empty()) {
        const Rect desktop = DesktopOf(screens);
        monitors.push_back({desktop, desktop});
    }
    return PlacedOnMonitor(at, window, monitors);
}

Point LayoutGadget(const ExecuteSetting& setting, Canvas& canvas, Size screen, GadgetWindow& window) {
    return LayoutGadget(setting, canvas, Screens{screen, canvas.Dpi(), {}}, window);
}

Point LayoutGadget(const ExecuteSetting& setting, Canvas& canvas, const Screens& screens, GadgetWindow& window) {
    const Size size = GadgetSize(setting, canvas.TextExtent(u"H").height, canvas.Dpi());
    const Point at = GadgetPosition(setting, size, screens);
    window.SetBounds({at.x, at.y, at.x + size.width, at.y + size.height});
    window.SetColorKey(setting.TB != 0, setting.BBCOLOR);
    return window.Position();
}

std::uint8_t OpacityAlpha(std::int32_t percent) {
    const std::int32_t clamped = std::clamp(percent, 10, 100);
    return static_cast<std::uint8_t>(clamped * 255 / 100);
}

void ApplyOpacity(GadgetWindow& window, std::int32_t percent) { window.SetAlpha(OpacityAlpha(percent)); }

Screens ScreensOfMonitors(std::vector<Monitor> monitors, std::int32_t dpi) {
    if (monitors.empty()) return Screens{{0, 0}, dpi, {0, 0, 0, 0}};
    const Rect primary = monitors.front().bounds;
    Rect desktop = primary;
    for (const Monitor& monitor : monitors) {
        desktop.left = std::min(desktop.left, monitor.bounds.left);
        desktop.top = std::min(desktop.top, monitor.bounds.top);
        desktop.right = std::max(desktop.right, monitor.bounds.right);
        desktop.bottom = std::max(desktop.bottom, monitor.bounds.bottom);
    }
    const Size primarySize{primary.right - primary.left, primary.bottom - primary.top};
    return Screens{primarySize, dpi, desktop, std::move(monitors)};
}

}  // namespace kestrival
