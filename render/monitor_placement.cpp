#include "render/monitor_placement.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace kestrival {
namespace {

bool HasArea(const Rect& r) { return r.right > r.left && r.bottom > r.top; }

bool Contains(const Rect& r, Point p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

// How far a point is from a rectangle along one axis: 0 inside it.
double AxisGap(std::int32_t p, std::int32_t low, std::int32_t high) {
    if (p < low) return static_cast<double>(std::int64_t{low} - p);
    if (p >= high) return static_cast<double>(std::int64_t{p} - (std::int64_t{high} - 1));
    return 0.0;
}

// Squared distance in doubles: the coordinates of a hand-edited file may be far enough apart to
// overflow any integer square.
double SquaredDistance(const Rect& r, Point p) {
    const double dx = AxisGap(p.x, r.left, r.right), dy = AxisGap(p.y, r.top, r.bottom);
    return dx * dx + dy * dy;
}

// Whole inside [low, high) if it fits, else starting at low.
std::int32_t Within(std::int32_t position, std::int32_t low, std::int32_t high, std::int32_t extent) {
    const std::int64_t last = std::max<std::int64_t>(low, std::int64_t{high} - extent);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(position, low, last));
}

}  // namespace

Point PlacedOnMonitor(Point at, Size window, std::span<const Monitor> monitors) {
    std::optional<Monitor> nearest;
    double nearestDistance = 0.0;
    for (const Monitor& monitor : monitors) {
        if (!HasArea(monitor.bounds)) continue;
        if (Contains(monitor.bounds, at)) return at;
        const double distance = SquaredDistance(monitor.bounds, at);
        if (!nearest || distance < nearestDistance) {
            nearest = monitor;
            nearestDistance = distance;
        }
    }
    if (!nearest) return at;
    const Rect area = HasArea(nearest->work) ? nearest->work : nearest->bounds;
    return {Within(at.x, area.left, area.right, window.width), Within(at.y, area.top, area.bottom, window.height)};
}

}  // namespace kestrival
