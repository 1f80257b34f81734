#pragma once
// The local clock on Linux and other POSIX systems.
#include "support/civil_date.h"

namespace kestrival {

class PosixClock : public LocalClock {
public:
    LocalDateTime Now() const override;
};

}  // namespace kestrival
