#pragma once
// A stopwatch for the benchmarks that run under Wine.
#include <windows.h>

namespace kestrival {

// Seconds from the high-resolution performance counter.
inline double Seconds() {
    LARGE_INTEGER counter{}, frequency{};
    ::QueryPerformanceCounter(&counter);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace kestrival
