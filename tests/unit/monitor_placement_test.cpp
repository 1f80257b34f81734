#include "render/monitor_placement.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "render/layout.h"

namespace kestrival {
namespace {

// A primary display of 1920 x 1200 with a taskbar of 40 pixels at its foot, and a smaller monitor
// of 1280 x 720 to its right, tops aligned: below the small one lies a gap of 1280 x 480.
const std::vector<Monitor> kUnequal = {
    {{0, 0, 1920, 1200}, {0, 0, 1920, 1160}},
    {{1920, 0, 3200, 720}, {1920, 0, 3200, 720}},
};
// A monitor left of the primary (negative coordinates), shorter than it.
const std::vector<Monitor> kLeftOfPrimary = {
    {{0, 0, 1920, 1080}, {0, 0, 1920, 1080}},
    {{-1280, 0, 0, 1024}, {-1280, 30, 0, 1024}},
};

TEST(MonitorPlacementTest, TheMonitorListAloneGivesThePrimaryDisplayAndTheDesktop) {
    struct Case {
        const char* what;
        std::vector<Monitor> monitors;
        Size primary;
        Rect desktop;
    };
    const Case cases[] = {
        {"one monitor", {{{0, 0, 1366, 768}, {0, 0, 1366, 728}}}, {1366, 768}, {0, 0, 1366, 768}},
        {"a smaller one to the right", kUnequal, {1920, 1200}, {0, 0, 3200, 1200}},
        {"one to the left, in negative coordinates", kLeftOfPrimary, {1920, 1080}, {-1280, 0, 1920, 1080}},
        {"the primary listed first though it is not the top-left one",
         {{{0, 0, 1024, 768}, {0, 0, 1024, 768}}, {{-800, -600, 0, 0}, {-800, -600, 0, 0}}},
         {1024, 768},
         {-800, -600, 1024, 768}},
        {"no monitor at all", {}, {0, 0}, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Screens screens = ScreensOfMonitors(c.monitors, 144);
        EXPECT_EQ(screens.primary, c.primary);
        EXPECT_EQ(screens.desktop, c.desktop);
        EXPECT_EQ(screens.primaryDpi, 144);
        EXPECT_EQ(screens.monitors, c.monitors);
    }
}

TEST(MonitorPlacementTest, AWindowOnNoMonitorGoesWholeToTheNearest) {
    struct Case {
        const char* what;
        const std::vector<Monitor>* monitors;
        Point at;
        Size window;
        Point placed;
    };
    const Case cases[] = {
        {"in the gap, nearer the small monitor", &kUnequal, {2500, 900}, {300, 200}, {2500, 520}},
        {"in the gap, nearer the primary: above its taskbar", &kUnequal, {1950, 1150}, {300, 200}, {1620, 960}},
        {"on the small monitor, hanging off its foot: stays", &kUnequal, {2500, 700}, {300, 200}, {2500, 700}},
        {"on the primary, hanging onto the other: stays", &kUnequal, {1800, 100}, {300, 200}, {1800, 100}},
        {"on the primary's taskbar: still on a monitor", &kUnequal, {100, 1180}, {300, 200}, {100, 1180}},
        {"left of all monitors", &kUnequal, {-500, 100}, {300, 200}, {0, 100}},
        {"above all monitors", &kUnequal, {2000, -90}, {300, 200}, {2000, 0}},
        {"below the shorter left monitor", &kLeftOfPrimary, {-600, 1050}, {300, 200}, {-600, 824}},
        {"above the left monitor's work area", &kLeftOfPrimary, {-600, -40}, {300, 200}, {-600, 30}},
        {"wider than the work area: its corner and band in it", &kUnequal, {2500, 900}, {1500, 900}, {1920, 0}},
        {"a hand-edited place far away", &kUnequal, {INT32_MAX, INT32_MIN}, {300, 200}, {2900, 0}},
        {"the other far corner", &kUnequal, {INT32_MIN, INT32_MAX}, {300, 200}, {0, 960}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PlacedOnMonitor(c.at, c.window, *c.monitors), c.placed);
    }
}

TEST(MonitorPlacementTest, MonitorsWithoutAnAreaAreIgnored) {
    const std::vector<Monitor> noWorkArea = {{{0, 0, 1024, 768}, {}}};
    EXPECT_EQ(PlacedOnMonitor({1100, 100}, {200, 100}, noWorkArea), (Point{824, 100}));
    const std::vector<Monitor> empty = {{{5000, 0, 5000, 768}, {}}, {{0, 0, 1024, 768}, {0, 0, 1024, 728}}};
    EXPECT_EQ(PlacedOnMonitor({5000, 100}, {200, 100}, empty), (Point{824, 100}));
    EXPECT_EQ(PlacedOnMonitor({5000, 100}, {200, 100}, {}), (Point{5000, 100}));
}

// The layout takes the monitors over the box around them: a gadget saved in the gap comes back on
// a monitor, and with no list the box stands for one monitor as before.
TEST(MonitorPlacementTest, TheLayoutPlacesOnMonitors) {
    ExecuteSetting setting;
    setting.HB = 0;
    setting.DX = 2500;
    setting.VB = 0;
    setting.DY = 900;
    const Size window{300, 200};
    const Rect box{0, 0, 3200, 1200};
    EXPECT_EQ(GadgetPosition(setting, window, Screens{{1920, 1200}, 96, box, kUnequal}), (Point{2500, 520}));
    EXPECT_EQ(GadgetPosition(setting, window, Screens{{1920, 1200}, 96, box}), (Point{2500, 900}));
    EXPECT_EQ(KeptOnScreen({3300, 900}, window, Screens{{1920, 1200}, 96, box, kUnequal}), (Point{2900, 520}));
    const std::vector<Monitor> unusable = {{{10, 10, 10, 10}, {}}};
    EXPECT_EQ(KeptOnScreen({3300, 900}, window, Screens{{1920, 1200}, 96, box, unusable}), (Point{2900, 900}));
}

}  // namespace
}  // namespace kestrival
