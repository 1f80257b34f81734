#include "support/posix/clock.h"

#include <sys/time.h>

#include <ctime>

namespace kestrival {

LocalDateTime PosixClock::Now() const {
    timeval now{};
    ::gettimeofday(&now, nullptr);
    std::tm local{};
    ::localtime_r(&now.tv_sec, &local);
    return {{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday},
            local.tm_hour,
            local.tm_min,
            local.tm_sec,
            static_cast<std::int32_t>(now.tv_usec / 1000)};
}

}  // namespace kestrival
