#include "support/win32/clock.h"

#include <windows.h>

namespace kestrival {

LocalDateTime Win32Clock::Now() const {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return {{t.wYear, t.wMonth, t.wDay}, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

}  // namespace kestrival
