#pragma once
// The core's view of its surroundings on Linux, answered by Qt: arguments, program path, the XDG
// documents folder, the screens. The look is the shaded one of Windows 6 and later.
#include "app/window_role.h"
#include "settings/environment.h"

namespace kestrival {

class QtEnvironment : public Environment {
public:
    std::vector<std::u16string> Arguments() const override;
    std::u16string ProgramPath() const override;
    std::optional<std::u16string> DocumentsFolder() const override;
    OsVersion Version() const override { return {10, 0}; }
    char16_t PathSeparator() const override { return u'/'; }
    Size ScreenSize() const override;
    Rect DesktopBounds() const override;
    std::vector<Monitor> Monitors() const override;
    // The primary screen's DPI, as the display reports it.
    std::int32_t ScreenDpi() const;
    // The display Qt's platform connected to, and on X11 whether a compositor runs now.
    DisplayKind Display() const;
};

}  // namespace kestrival
