#include "app/desktop_rules.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/gadget_rules.h"
#include "render/layout.h"
#include "settings/execute_setting.h"

namespace kestrival {
namespace {

TEST(DesktopRulesTest, StackingFromTheFile) {
    EXPECT_EQ(StackingOf(0), Stacking::kOrdinary);
    EXPECT_EQ(StackingOf(1), Stacking::kOnTop);
    EXPECT_EQ(StackingOf(2), Stacking::kOnDesktop);
    for (std::int32_t odd : {-1, 3, 200}) EXPECT_EQ(StackingOf(odd), Stacking::kOrdinary) << odd;
}

TEST(DesktopRulesTest, ForegroundChangesMoveOnlyAGadgetOnTheDesktop) {
    struct Case {
        Stacking stacking;
        const char16_t* rootClass;
        bool ownProcess;
        StackingMove move;
    };
    const Case cases[] = {
        {Stacking::kOnDesktop, u"WorkerW", false, StackingMove::kAboveDesktop},  // the user shows the desktop
        {Stacking::kOnDesktop, u"Progman", false, StackingMove::kAboveDesktop},
        {Stacking::kOnDesktop, u"Notepad", false, StackingMove::kToBottom},    // another program comes forward
        {Stacking::kOnDesktop, u"workerw", false, StackingMove::kToBottom},    // class names are exact
        {Stacking::kOnDesktop, u"KestrivalSetup", true, StackingMove::kNone},  // its own dialog
        {Stacking::kOnDesktop, u"WorkerW", true, StackingMove::kNone},
        {Stacking::kOrdinary, u"WorkerW", false, StackingMove::kNone},
        {Stacking::kOnTop, u"WorkerW", false, StackingMove::kNone},
        {Stacking::kOnTop, u"Notepad", false, StackingMove::kNone},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OnForegroundChanged(c.stacking, c.rootClass, c.ownProcess), c.move)
            << static_cast<int>(c.stacking) << " " << std::string(c.rootClass, c.rootClass + 7);
    }
}

TEST(DesktopRulesTest, StartupEntryNamesThisProgram) {
    const std::u16string program = u"C:\\Tools\\Kestrival One\\Kestrival.exe";
    EXPECT_EQ(StartupCommand(program, false), u"\"C:\\Tools\\Kestrival One\\Kestrival.exe\"");
    EXPECT_EQ(StartupCommand(program, true), u"\"C:\\Tools\\Kestrival One\\Kestrival.exe\" LOCAL");
    struct Case {
        const char16_t* command;
        bool names;
    };
    const Case cases[] = {
        {u"\"C:\\Tools\\Kestrival One\\Kestrival.exe\"", true},
        {u"\"C:\\Tools\\Kestrival One\\Kestrival.exe\" LOCAL", true},
        {u"  \"c:\\tools\\kestrival one\\KESTRIVAL.EXE\"", true},  // letter case does not matter
        {u"C:\\Tools\\Kestrival One\\Kestrival.exe LOCAL", true},  // unquoted
        {u"\"D:\\Old\\Kestrival.exe\"", false},                    // another copy
        {u"\"C:\\Tools\\Kestrival One\\Kestrival.exe.bak\"", false},
        {u"", false},
        {u"\"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(StartupCommandNames(c.command, program), c.names);
}

TEST(DesktopRulesTest, StackingAndLockAreWrittenOnlyWhenSet) {
    ExecuteSetting setting;
    GoalList goals;
    setting.ReadValues({2026, 12, 10}, goals);
    auto fileText = [&] {
        setting.BuildFileLines(goals);
        std::u16string text;
        for (const auto& line : setting.FileLines.ToVector()) text += line + u"\n";
        return text;
    };
    const std::u16string untouched = fileText();
    EXPECT_EQ(untouched.find(u"ZO="), std::u16string::npos);
    EXPECT_EQ(untouched.find(u"LK="), std::u16string::npos);
    setting.ZO = 2;
    setting.LK = 1;
    EXPECT_NE(fileText().find(u"\nFM=1111\nZO=2\nLK=1\n"), std::u16string::npos);
    setting.ZO = 0;
    setting.LK = 0;
    EXPECT_EQ(fileText(), untouched);
}

// A gadget dragged onto a monitor of another scale comes back to the same pixel after a restart:
// the stored offsets are in units of the primary display, whatever monitor the gadget is on.
TEST(DesktopRulesTest, APlaceOnAMonitorOfAnotherScaleSurvivesARestart) {
    struct Case {
        const char* what;
        std::int32_t primaryDpi;
        Size primary;
        Rect desktop;
        Point dragged;
    };
    const Case cases[] = {
        {"100 % primary, 150 % monitor to its right", 96, {1920, 1080}, {0, 0, 1920 + 3840, 2160}, {2500, 300}},
        {"150 % primary, 100 % monitor to its right", 144, {3840, 2160}, {0, 0, 3840 + 1920, 2160}, {4100, 700}},
        {"a monitor left of the primary", 96, {1920, 1080}, {-2560, 0, 1920, 1440}, {-2000, 100}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExecuteSetting setting;
        GoalList goals;
        setting.ReadValues({2026, 12, 10}, goals);
        const Screens screens{c.primary, c.primaryDpi, c.desktop};
        const Size window = GadgetSize(setting, 15, 144);
        ASSERT_TRUE(ApplyMovedWindowRule(setting, c.dragged, {0, 0}, c.primaryDpi));
        // A primary display above 100 % rounds to its 96-DPI units: within a pixel.
        const Point back = GadgetPosition(setting, window, screens);
        EXPECT_LE(std::abs(back.x - c.dragged.x), 1);
        EXPECT_LE(std::abs(back.y - c.dragged.y), 1);
    }
}

}  // namespace
}  // namespace kestrival
