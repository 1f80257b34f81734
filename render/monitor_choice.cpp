#include "render/monitor_choice.h"

#include <algorithm>
#include <cstdint>

#include "support/text.h"
#include "support/ui_texts.h"

namespace kestrival {
namespace {

bool HasArea(const Rect& r) { return r.right > r.left && r.bottom > r.top; }

std::int64_t OverlapArea(const Rect& a, const Rect& b) {
    const std::int64_t width = std::int64_t{std::min(a.right, b.right)} - std::max(a.left, b.left);
    const std::int64_t height = std::int64_t{std::min(a.bottom, b.bottom)} - std::max(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

// The monitor `area` overlaps most; the first of equals, so the primary wins a tie.
std::optional<std::size_t> MostOverlapped(const Rect& area, std::span<const Monitor> monitors) {
    std::optional<std::size_t> best;
    std::int64_t bestArea = 0;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const std::int64_t overlap = OverlapArea(area, monitors[i].bounds);
        if (overlap > bestArea) {
            best = i;
            bestArea = overlap;
        }
    }
    return best;
}

// A signed decimal number that fits 32 bits, without blanks or signs in odd places.
std::optional<std::int32_t> ParseNumber(std::u16string_view text) {
    bool negative = false;
    if (!text.empty() && text.front() == u'-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::int64_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::optional<Rect> ParseMonitorKey(std::u16string_view text) {
    std::int32_t parts[4] = {};
    for (int i = 0; i < 4; ++i) {
        const std::size_t comma = i < 3 ? text.find(u',') : std::u16string_view::npos;
        if (i < 3 && comma == std::u16string_view::npos) return std::nullopt;
        const std::optional<std::int32_t> number = ParseNumber(text.substr(0, comma));
        if (!number) return std::nullopt;
        parts[i] = *number;
        if (i < 3) text.remove_prefix(comma + 1);
    }
    const std::int64_t right = std::int64_t{parts[0]} + parts[2], bottom = std::int64_t{parts[1]} + parts[3];
    if (parts[2] <= 0 || parts[3] <= 0 || right > INT32_MAX || bottom > INT32_MAX) return std::nullopt;
    return Rect{parts[0], parts[1], static_cast<std::int32_t>(right), static_cast<std::int32_t>(bottom)};
}

std::u16string MonitorKeyText(const Rect& bounds) {
    return FormatText(u"%d,%d,%d,%d",
                      {bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top});
}

std::size_t ChosenMonitor(std::u16string_view key, std::span<const Monitor> monitors) {
    const std::optional<Rect> chosen = ParseMonitorKey(key);
    if (!chosen) return 0;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        if (monitors[i].bounds == *chosen) return i;
    }
    return MostOverlapped(*chosen, monitors).value_or(0);
}

std::size_t MonitorOfWindow(const Rect& window, std::span<const Monitor> monitors) {
    return MostOverlapped(window, monitors).value_or(0);
}

std::vector<std::u16string> MonitorMenuTexts(std::span<const Monitor> monitors) {
    std::vector<std::u16string> texts;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const Rect& b = monitors[i].bounds;
        std::u16string text =
            FormatText(texts::kMenuMonitorItem, {static_cast<std::int32_t>(i + 1), b.right - b.left, b.bottom - b.top});
        if (i == 0) text += texts::kMenuMonitorPrimary;
        texts.push_back(std::move(text));
    }
    return texts;
}

std::u16string MonitorKeyOfChoice(std::size_t index, std::span<const Monitor> monitors) {
    if (index == 0 || index >= monitors.size()) return {};
    return MonitorKeyText(monitors[index].bounds);
}

Rect AnchorArea(const Monitor& monitor) { return HasArea(monitor.work) ? monitor.work : monitor.bounds; }

bool AdoptMonitorOfDrop(std::u16string& key, const Rect& window, std::span<const Monitor> monitors) {
    if (monitors.empty()) return false;
    const std::size_t dropped = MonitorOfWindow(window, monitors);
    if (dropped == ChosenMonitor(key, monitors)) return false;
    key = dropped == 0 ? std::u16string() : MonitorKeyText(monitors[dropped].bounds);
    return true;
}

}  // namespace kestrival
