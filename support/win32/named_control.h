#pragma once
// A system control given the name a screen reader should say, where the system's object would
// find none or the wrong one (a control without a label right before it, a spinner, a slider):
// the control answers readers with the system's own object, its name replaced.
#include <windows.h>

#include <string>

namespace kestrival {

// Subclasses `control` for the rest of its life; a later call only changes the name.
void NameForReaders(HWND control, const std::u16string& name);

}  // namespace kestrival
