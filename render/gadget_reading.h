#pragma once
// What a screen reader finds on the gadget: the title band's text as the window's name and one
// entry for each panel that shows a goal, with the goal's title as its name, its dates and day
// counts in words, and its place in the window. Built from the same figures the painter draws.
#include <cstdint>
#include <string>
#include <vector>

#include "render/canvas.h"
#include "render/goal_panel.h"
#include "settings/execute_setting.h"
#include "support/civil_date.h"

namespace kestrival {

struct PanelReading {
    std::int32_t cell = 0;  // the panel's place in the painting order, from 0
    std::u16string name;
    std::u16string description;
    Rect bounds;  // window coordinates
    bool operator==(const PanelReading&) const = default;
};

struct GadgetReading {
    std::u16string name;
    std::vector<PanelReading> panels;
    bool operator==(const GadgetReading&) const = default;
};

// The panel's dates and the day counts it shows, in words, then the goal's counting choices.
std::u16string PanelDescription(const GoalPanelFigures& figures);

// Measures the band's text height on `canvas` (setting its font size, as a paint pass does).
GadgetReading ReadGadget(Canvas& canvas, const ExecuteSetting& setting, const GoalList& goals,
                         const LocalDateTime& now);

// What changed between two readings, to be announced. A panel that appeared, went or moved to
// another cell changes the children as a whole; otherwise each panel's name, description and
// bounds are compared one by one.
struct ReadingChanges {
    bool name = false;
    bool children = false;
    std::vector<std::size_t> panelNames;
    std::vector<std::size_t> panelDescriptions;
    std::vector<std::size_t> panelBounds;
    bool Any() const {
        return name || children || !panelNames.empty() || !panelDescriptions.empty() || !panelBounds.empty();
    }
};
ReadingChanges CompareReadings(const GadgetReading& before, const GadgetReading& after);

}  // namespace kestrival
