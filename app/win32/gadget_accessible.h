#pragma once
// The gadget for screen readers on Windows: the window is named by its title band, and each goal
// panel is a child (ids from 1) named by the goal's title, with its dates and day counts as its
// value and its place on the screen.
#include <windows.h>

#include "render/gadget_reading.h"
#include "support/win32/window_accessible.h"

namespace kestrival {

class GadgetAccessible final : public WindowAccessible {
public:
    // `reading` is the window's last reading; it must outlive the window.
    GadgetAccessible(HWND window, const GadgetReading& reading) : WindowAccessible(window), reading_(reading) {}

    // Tells readers what changed between two readings.
    void Announce(const ReadingChanges& changes) const;

protected:
    long ChildCount() const override { return static_cast<long>(reading_.panels.size()); }
    std::u16string Name(long child) const override;
    std::u16string Value(long child) const override;
    std::u16string Description(long child) const override { return Value(child); }
    long Role(long child) const override;
    std::optional<RECT> Bounds(long child) const override;

private:
    const GadgetReading& reading_;
};

}  // namespace kestrival
