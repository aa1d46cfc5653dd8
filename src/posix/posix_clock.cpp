#include "posix/posix_clock.h"

#include <time.h>

namespace uptrail {

DateTime PosixClock::Now() const {
    const time_t now = ::time(nullptr);
    struct tm local {};
    if (::localtime_r(&now, &local) == nullptr) {
        // Without time zone rules the universal time is the best local time there is.
        ::gmtime_r(&now, &local);
    }
    return MakeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                        local.tm_min, local.tm_sec);
}

std::uint64_t PosixClock::TickCount() const {
    struct timespec since {};
    if (::clock_gettime(CLOCK_BOOTTIME, &since) != 0) return 0;
    return static_cast<std::uint64_t>(since.tv_sec) * 1000u +
           static_cast<std::uint64_t>(since.tv_nsec) / 1000000u;
}

}  // namespace uptrail
