#pragma once
// The bridge from the gadget window's menu to the settings dialog.
#include <windows.h>

#include "app/win32/gadget_window.h"
#include "settings/execute_setting.h"

namespace kestrival {

// The gadget window's settings command: shows the settings dialog for the record and the goals.
SettingsDialogCommand MakeSettingsDialogCommand(HINSTANCE instance, ExecuteSetting& setting, GoalList& goals,
                                                const LocalClock& clock, const Environment& environment);

}  // namespace kestrival
