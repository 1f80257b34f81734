#pragma once
// The display scale as Windows reports it. The per-monitor functions of Windows 10 are looked up
// at run time; where they are missing the system-wide DPI stands for every monitor.
#include <windows.h>

#include <cstdint>

namespace kestrival {

// The DPI of the monitor the window is on (the system DPI before Windows 10).
std::int32_t WindowDpi(HWND window);
// The DPI of the primary display, for windows not made yet.
std::int32_t SystemDpi();
// AdjustWindowRectEx for a window on a display of `dpi` (the system's frame metrics before
// Windows 10).
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, std::int32_t dpi);

}  // namespace kestrival
