#pragma once
// The local clock on Windows.
#include "support/civil_date.h"

namespace kestrival {

// The local wall clock from GetLocalTime.
class Win32Clock : public LocalClock {
public:
    LocalDateTime Now() const override;
};

}  // namespace kestrival
