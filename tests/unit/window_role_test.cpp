#include "app/window_role.h"

#include <gtest/gtest.h>

#include "app/platform_choice.h"

namespace kestrival {
namespace {

TEST(WindowRoleTest, EachStackingOnEachDisplay) {
    using enum WindowType;
    using enum DragMove;
    struct Case {
        Stacking stacking;
        DisplayKind display;
        WindowRole role;
    };
    // type, above, below, skip taskbar, all desktops, drag, places itself, pixel alpha
    const Case cases[] = {
        {Stacking::kOrdinary, DisplayKind::kX11, {kTool, false, false, true, false, kCompositorElseOwn, true, false}},
        {Stacking::kOnTop, DisplayKind::kX11, {kTool, true, false, true, false, kCompositorElseOwn, true, false}},
        {Stacking::kOnDesktop, DisplayKind::kX11, {kDock, false, true, true, true, kOwn, true, false}},
        // A compositor changes only how the window is made see-through.
        {Stacking::kOrdinary,
         DisplayKind::kX11Composited,
         {kTool, false, false, true, false, kCompositorElseOwn, true, true}},
        {Stacking::kOnTop,
         DisplayKind::kX11Composited,
         {kTool, true, false, true, false, kCompositorElseOwn, true, true}},
        {Stacking::kOnDesktop, DisplayKind::kX11Composited, {kDock, false, true, true, true, kOwn, true, true}},
        // Wayland: the compositor places, stacks and moves every stacking alike.
        {Stacking::kOrdinary, DisplayKind::kWayland, {kToplevel, false, false, false, false, kCompositor, false, true}},
        {Stacking::kOnTop, DisplayKind::kWayland, {kToplevel, false, false, false, false, kCompositor, false, true}},
        {Stacking::kOnDesktop,
         DisplayKind::kWayland,
         {kToplevel, false, false, false, false, kCompositor, false, true}},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(RoleFor(c.stacking, c.display) == c.role)
            << "stacking " << static_cast<int>(c.stacking) << " display " << static_cast<int>(c.display);
    }
}

TEST(PlatformChoiceTest, TheUsersChoiceElseX11ThenWayland) {
    EXPECT_EQ(PlatformList(std::nullopt), "xcb;wayland");
    EXPECT_EQ(PlatformList(""), "xcb;wayland");
    EXPECT_EQ(PlatformList("wayland"), "wayland");
    EXPECT_EQ(PlatformList("offscreen"), "offscreen");
}

TEST(PlatformChoiceTest, TheMessageSaysWhatWasLookedFor) {
    struct Case {
        DisplaySearch search;
        const char* text;
    };
    const Case cases[] = {
        {{std::nullopt, "", false, "", false},
         "kestrival: cannot show the gadget: no X server (DISPLAY is not set) and no Wayland compositor "
         "(WAYLAND_DISPLAY is not set)\n"},
        {{std::nullopt, ":7", false, "wayland-3", false},
         "kestrival: cannot show the gadget: no X server answers at DISPLAY \":7\" and no Wayland compositor "
         "answers at WAYLAND_DISPLAY \"wayland-3\"\n"},
        // A compositor is there, the plugin to reach it is not.
        {{std::nullopt, "", false, "wayland-0", true},
         "kestrival: cannot show the gadget: no X server (DISPLAY is not set) and a Wayland compositor answers at "
         "WAYLAND_DISPLAY \"wayland-0\", but Qt's Wayland plugin did not start (is the package qt6-wayland "
         "installed?)\n"},
        // The user's own platform failed, whatever else answers.
        {{"xcb", "", false, "wayland-0", true},
         "kestrival: cannot show the gadget: Qt could not start QT_QPA_PLATFORM=\"xcb\"; no X server (DISPLAY is "
         "not set) and a Wayland compositor answers at WAYLAND_DISPLAY \"wayland-0\"\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(NoDisplayText("kestrival", c.search), c.text);
}

}  // namespace
}  // namespace kestrival
