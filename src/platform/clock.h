#pragma once
#include <cstdint>

#include "base/date_time.h"

namespace uptrail {

// The program's only source of "now": tests set it, so nothing reads the system clock directly.
class Clock {
public:
    virtual ~Clock() = default;
    // Local civil date and time to the second.
    virtual DateTime Now() const = 0;
    // Milliseconds since the system started.
    virtual std::uint64_t TickCount() const = 0;
};

}  // namespace uptrail
