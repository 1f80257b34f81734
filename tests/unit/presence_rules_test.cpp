#include "app/presence_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/execute_setting.h"

namespace kestrival {
namespace {

std::u16string FileText(ExecuteSetting& setting, const GoalList& goals) {
    setting.BuildFileLines(goals);
    std::u16string text;
    for (const auto& line : setting.FileLines.ToVector()) text += line + u"\n";
    return text;
}

TEST(PresenceRulesTest, NewKeysAreReadAndWrittenOnlyWhenSet) {
    ExecuteSetting setting;
    GoalList goals;
    setting.FileLines.Add(u"HB=0");
    setting.ReadValues({2026, 12, 10}, goals);
    EXPECT_EQ(setting.TI, 0);
    EXPECT_EQ(setting.CT, 0);
    EXPECT_EQ(setting.FH, 0);
    EXPECT_TRUE(setting.MON.empty());
    const std::u16string untouched = FileText(setting, goals);
    for (const char16_t* key : {u"TI=", u"CT=", u"FH=", u"MON="})
        EXPECT_EQ(untouched.find(key), std::u16string::npos) << std::string(key, key + 3);

    setting.TI = 1;
    setting.CT = 1;
    setting.FH = 1;
    setting.MON = u"1920,0,2560,1440";
    const std::u16string all = FileText(setting, goals);
    EXPECT_NE(all.find(u"\nFM=1111\nTI=1\nCT=1\nFH=1\nMON=1920,0,2560,1440\n"), std::u16string::npos);

    // Read back as written, MON as its text whatever it holds.
    ExecuteSetting again;
    for (const auto& line : setting.FileLines.ToVector()) again.FileLines.Add(line);
    again.FileLines.Add(u"MON=not a rectangle");  // a later line of the same key is not read
    again.ReadValues({2026, 12, 10}, goals);
    EXPECT_EQ(again.TI, 1);
    EXPECT_EQ(again.CT, 1);
    EXPECT_EQ(again.FH, 1);
    EXPECT_EQ(again.MON, u"1920,0,2560,1440");

    setting.TI = setting.CT = setting.FH = 0;
    setting.MON.clear();
    EXPECT_EQ(FileText(setting, goals), untouched);
}

TEST(PresenceRulesTest, TheIconIsShownWhileWantedOrWhileClicksPassThrough) {
    ExecuteSetting setting;
    EXPECT_FALSE(WantsNotificationIcon(setting));
    setting.TI = 1;
    EXPECT_TRUE(WantsNotificationIcon(setting));
    setting.TI = 0;
    setting.CT = 1;
    EXPECT_TRUE(WantsNotificationIcon(setting));

    // A second start turns click-through off once; the icon goes with it unless the user keeps it.
    EXPECT_TRUE(TurnOffClickThroughOnSecondStart(setting));
    EXPECT_EQ(setting.CT, 0);
    EXPECT_FALSE(WantsNotificationIcon(setting));
    EXPECT_FALSE(TurnOffClickThroughOnSecondStart(setting));
}

TEST(PresenceRulesTest, TipIsTheTitleAndTodaysDateCutWhole) {
    EXPECT_EQ(IconTip(u"  目標  ", {2026, 12, 11}), u"目標 2026/12/11");
    EXPECT_EQ(IconTip(u"", {2027, 1, 1}), u"Kestrival 2027/01/01");
    // A long title is cut to what the shell keeps, never inside a surrogate pair.
    std::u16string title(126, u'a');
    title += u"\U0001F600";
    EXPECT_EQ(IconTip(title, {2026, 12, 11}), std::u16string(126, u'a'));
    EXPECT_EQ(IconTip(std::u16string(200, u'b'), {2026, 12, 11}).size(), 127u);
}

TEST(PresenceRulesTest, OnlyAWindowCoveringTheGadgetsMonitorHidesIt) {
    const Rect primary{0, 0, 1920, 1080};
    const Rect second{1920, 0, 4480, 1440};
    struct Case {
        const char* what;
        FrontWindow front;
        Rect monitor;
        bool systemBusy;
        bool hides;
    };
    const Case cases[] = {
        {"a full-screen video", {{0, 0, 1920, 1080}}, primary, false, true},
        {"a window larger than the monitor", {{-8, -8, 1928, 1088}}, primary, false, true},
        {"a maximised window leaves the taskbar", {{0, 0, 1920, 1040}}, primary, false, false},
        {"a game on the other monitor", {{1920, 0, 4480, 1440}}, primary, false, false},
        {"a game on the gadget's monitor", {{1920, 0, 4480, 1440}}, second, false, true},
        {"a window across both", {{0, 0, 4480, 1440}}, second, false, true},
        {"the shell's desktop covers everything", {{0, 0, 4480, 1440}, true}, primary, false, false},
        {"the gadget's own dialog", {{0, 0, 1920, 1080}, false, true}, primary, false, false},
        {"the system says Direct3D runs full screen", {{0, 0, 10, 10}}, primary, true, true},
        {"but not while the desktop is in front", {{0, 0, 10, 10}, true}, primary, true, false},
        {"a monitor without an area", {{0, 0, 1920, 1080}}, {5, 5, 5, 5}, false, false},
    };
    for (const Case& c : cases) EXPECT_EQ(HidesUnderFullScreen(c.front, c.monitor, c.systemBusy), c.hides) << c.what;
    EXPECT_TRUE(IsShellDesktopClass(u"WorkerW"));
    EXPECT_TRUE(IsShellDesktopClass(u"Progman"));
    EXPECT_FALSE(IsShellDesktopClass(u"workerw"));
}

}  // namespace
}  // namespace kestrival
