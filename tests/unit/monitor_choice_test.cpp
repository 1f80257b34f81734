#include "render/monitor_choice.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/gadget_rules.h"
#include "render/layout.h"

namespace kestrival {
namespace {

// A laptop's panel (primary) and a large monitor to its right, each with a taskbar at the bottom.
const Monitor kLaptop{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}};
const Monitor kExternal{{1920, 0, 4480, 1440}, {1920, 0, 4480, 1400}};

TEST(MonitorChoiceTest, KeyTextReadsOnlyWholeRectangles) {
    EXPECT_EQ(ParseMonitorKey(u"1920,0,2560,1440"), (Rect{1920, 0, 4480, 1440}));
    EXPECT_EQ(ParseMonitorKey(u"-1280,-200,1280,1024"), (Rect{-1280, -200, 0, 824}));
    EXPECT_EQ(MonitorKeyText({1920, 0, 4480, 1440}), u"1920,0,2560,1440");
    for (const char16_t* bad : {u"", u"1,2,3", u"1,2,3,4,5", u"a,0,10,10", u"0,0,0,10", u"0,0,10,-1", u" 0,0,10,10",
                                u"0,0,99999999999,10", u"2147483000,0,1000,10", u"0,,10,10"})
        EXPECT_FALSE(ParseMonitorKey(bad)) << std::string(bad, bad + std::char_traits<char16_t>::length(bad));
}

TEST(MonitorChoiceTest, TheKeyNamesAMonitorExactlyElseByOverlapElseThePrimary) {
    struct Case {
        const char* what;
        const char16_t* key;
        std::vector<Monitor> monitors;
        std::size_t chosen;
    };
    const Case cases[] = {
        {"no key: the primary", u"", {kLaptop, kExternal}, 0},
        {"the exact rectangle", u"1920,0,2560,1440", {kLaptop, kExternal}, 1},
        {"the monitor changed its resolution: most overlap", u"1920,0,3840,2160", {kLaptop, kExternal}, 1},
        {"monitor gone (undocked): the primary", u"1920,0,2560,1440", {kLaptop}, 0},
        {"docked again: the same monitor, the key unchanged", u"1920,0,2560,1440", {kLaptop, kExternal}, 1},
        {"a rectangle off every monitor: the primary", u"9000,9000,100,100", {kLaptop, kExternal}, 0},
        {"a malformed key: the primary", u"left", {kLaptop, kExternal}, 0},
        {"the primary listed first wins a tie", u"1820,0,200,100", {kLaptop, kExternal}, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ChosenMonitor(c.key, c.monitors), c.chosen) << c.what;
}

TEST(MonitorChoiceTest, TheSubmenuNumbersTheMonitorsAndMarksThePrimary) {
    const std::vector<Monitor> monitors{kLaptop, kExternal};
    EXPECT_EQ(MonitorMenuTexts(monitors),
              (std::vector<std::u16string>{u"&1  1920 × 1080 (メイン)", u"&2  2560 × 1440"}));
    EXPECT_EQ(MonitorKeyOfChoice(0, monitors), u"") << "the primary is the default: no key";
    EXPECT_EQ(MonitorKeyOfChoice(1, monitors), u"1920,0,2560,1440");
    EXPECT_EQ(ChosenMonitor(MonitorKeyOfChoice(1, monitors), monitors), 1u);
    EXPECT_EQ(MonitorKeyOfChoice(5, monitors), u"");
}

TEST(MonitorChoiceTest, AnchorsMeasureFromTheChosenMonitorsWorkArea) {
    ExecuteSetting setting;
    setting.HB = 1;  // right edge
    setting.DX = 10;
    setting.VB = 1;  // bottom edge
    setting.DY = 20;
    const Size window{168, 97};
    const Screens docked{{1920, 1080}, 96, {0, 0, 4480, 1440}, {kLaptop, kExternal}};
    const Screens undocked{{1920, 1080}, 96, {0, 0, 1920, 1080}, {kLaptop}};
    // Without a key the primary display as a whole, as always.
    EXPECT_EQ(GadgetPosition(setting, window, docked), (Point{1920 - 168 - 10, 1080 - 97 - 20}));
    setting.MON = u"1920,0,2560,1440";
    EXPECT_EQ(GadgetPosition(setting, window, docked), (Point{4480 - 168 - 10, 1400 - 97 - 20}));
    EXPECT_EQ(GadgetPosition(setting, window, undocked), (Point{1920 - 168 - 10, 1040 - 97 - 20}));
    EXPECT_EQ(setting.MON, u"1920,0,2560,1440") << "the key stays for the next docking";
}

TEST(MonitorChoiceTest, ADropOnAnotherMonitorMakesItTheGadgetsOwn) {
    const Screens docked{{1920, 1080}, 96, {0, 0, 4480, 1440}, {kLaptop, kExternal}};
    const Size window{168, 97};
    ExecuteSetting setting;
    setting.HB = setting.VB = 2;
    // Dragged from the primary onto the external monitor.
    ASSERT_TRUE(ApplyMovedWindowRule(setting, {2500, 300}, {876, 491}, window, docked));
    EXPECT_EQ(setting.MON, u"1920,0,2560,1440");
    EXPECT_EQ(setting.HB, 0);
    EXPECT_EQ(setting.DX, 2500 - 1920) << "measured from that monitor";
    EXPECT_EQ(setting.DY, 300);
    EXPECT_EQ(GadgetPosition(setting, window, docked), (Point{2500, 300})) << "the next start puts it back there";

    // A drag within the same monitor keeps the key; a drop back on the primary removes it.
    ASSERT_TRUE(ApplyMovedWindowRule(setting, {3000, 500}, {2500, 300}, window, docked));
    EXPECT_EQ(setting.MON, u"1920,0,2560,1440");
    EXPECT_EQ(setting.DX, 3000 - 1920);
    ASSERT_TRUE(ApplyMovedWindowRule(setting, {100, 200}, {3000, 500}, window, docked));
    EXPECT_TRUE(setting.MON.empty());
    EXPECT_EQ(setting.DX, 100);
    EXPECT_FALSE(ApplyMovedWindowRule(setting, {100, 200}, {100, 200}, window, docked)) << "not moved";
}

}  // namespace
}  // namespace kestrival
