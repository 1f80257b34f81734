#pragma once
// Which monitor the gadget belongs to. The file's MON holds the chosen monitor's rectangle as
// "x,y,w,h"; without it the gadget is on the primary monitor. Monitors come and go (a laptop
// taken off its dock and docked again), so the key is never rewritten at start: it names the
// monitor with exactly that rectangle, else the one overlapping it most, else the primary.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "support/coordinates.h"

namespace kestrival {

// The rectangle a MON value names; nothing for an empty, malformed or empty-area value.
std::optional<Rect> ParseMonitorKey(std::u16string_view text);
std::u16string MonitorKeyText(const Rect& bounds);

// The index in `monitors` (the primary first) of the monitor the key names, by the rule above; 0
// without a key or without a match. `monitors` must not be empty.
std::size_t ChosenMonitor(std::u16string_view key, std::span<const Monitor> monitors);

// The monitor a window at `window` stands on: the one it overlaps most, else 0.
std::size_t MonitorOfWindow(const Rect& window, std::span<const Monitor> monitors);

// The monitor submenu: one item per monitor, numbered from 1, the primary (the first) marked.
std::vector<std::u16string> MonitorMenuTexts(std::span<const Monitor> monitors);
// The key that choosing monitor `index` stores: none for the primary, the default.
std::u16string MonitorKeyOfChoice(std::size_t index, std::span<const Monitor> monitors);

// Where anchors and offsets measure from on a monitor: its work area, or its whole area where the
// system gives none.
Rect AnchorArea(const Monitor& monitor);

// A window dropped on another monitor than its own makes that monitor its own: MON names it (and
// is removed when that is the primary, the default). Returns whether MON changed.
bool AdoptMonitorOfDrop(std::u16string& key, const Rect& window, std::span<const Monitor> monitors);

}  // namespace kestrival
