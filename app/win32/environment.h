#pragma once
// The core's view of its surroundings, answered by Windows: arguments, program path, documents
// folder, system version, screen size and monitors.
#include "settings/environment.h"

namespace kestrival {

// The environment as Windows reports it.
class Win32Environment : public Environment {
public:
    std::vector<std::u16string> Arguments() const override;
    std::u16string ProgramPath() const override;
    std::optional<std::u16string> DocumentsFolder() const override;
    OsVersion Version() const override;
    Size ScreenSize() const override;
    Rect DesktopBounds() const override;
    std::vector<Monitor> Monitors() const override;
};

}  // namespace kestrival
