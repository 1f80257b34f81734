#pragma once
// How the gadget stays within reach without getting in the way: the notification-area icon and
// its tip, click-through, and hiding while a full-screen program covers the gadget's monitor.
#include <cstddef>
#include <string>
#include <string_view>

#include "settings/execute_setting.h"
#include "support/civil_date.h"
#include "support/coordinates.h"

namespace kestrival {

// The icon is shown while the user keeps it on, and always while clicks pass through the gadget:
// its menu is then the only way back.
bool WantsNotificationIcon(const ExecuteSetting& setting);
// The icon's tip: the title as the band shows it and today's date, cut to `maxUnits` UTF-16
// units without splitting a character (Windows keeps 127).
std::u16string IconTip(std::u16string_view title, const CivilDate& today, std::size_t maxUnits = 127);

// A second start of a gadget whose clicks pass through turns that off, so that a user who lost
// the gadget's menu gets it back. Returns whether the setting changed (and must be saved).
bool TurnOffClickThroughOnSecondStart(ExecuteSetting& setting);

// The window in front, as the full-screen rule sees it.
struct FrontWindow {
    Rect bounds;
    // The shell's own desktop (Windows' WorkerW and Progman, an X desktop-type window).
    bool desktop = false;
    // The gadget's own windows: its menu, its dialogs.
    bool ownProcess = false;
};
// Whether the shell's class name names its desktop window.
bool IsShellDesktopClass(std::u16string_view className);
// Whether `window` covers all of `monitor`.
bool CoversMonitor(const Rect& window, const Rect& monitor);
// Whether the gadget on `gadgetMonitor` hides because of the window in front. `systemBusy` is the
// system's own word that a full-screen program runs (Direct3D, presentation mode).
bool HidesUnderFullScreen(const FrontWindow& front, const Rect& gadgetMonitor, bool systemBusy = false);

}  // namespace kestrival
