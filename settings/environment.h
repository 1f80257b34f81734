#pragma once
// What the settings load learns about its surroundings. The Win32 layer implements it with the
// system's calls; the tests pass a fake that points at a temporary folder.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/coordinates.h"

namespace kestrival {

struct OsVersion {
    std::int32_t major = 0;
    std::int32_t minor = 0;
};

class Environment {
public:
    virtual ~Environment() = default;
    // The command-line arguments as the C runtime splits them, program path first.
    virtual std::vector<std::u16string> Arguments() const = 0;
    // Full path of the program file.
    virtual std::u16string ProgramPath() const = 0;
    // The user's documents folder without a trailing backslash, or nothing when the lookup fails.
    virtual std::optional<std::u16string> DocumentsFolder() const = 0;
    virtual OsVersion Version() const = 0;
    // What joins a folder and a name in the paths this system shows its user.
    virtual char16_t PathSeparator() const { return u'\\'; }
    // The whole primary display, in pixels.
    virtual Size ScreenSize() const = 0;
    // The desktop of all monitors, in pixels of the primary display's coordinates; by default the
    // primary display alone.
    virtual Rect DesktopBounds() const {
        const Size screen = ScreenSize();
        return {0, 0, screen.width, screen.height};
    }
    // Every monitor with its work area, the primary first; by default the desktop as one monitor.
    virtual std::vector<Monitor> Monitors() const {
        const Rect desktop = DesktopBounds();
        return {{desktop, desktop}};
    }
};

}  // namespace kestrival
