#pragma once
#include "platform/clock.h"

namespace uptrail {

// The clock off Windows: local civil time from the C library's time zone rules, and the
// milliseconds since the system started, suspended time included, as Windows counts them.
class PosixClock final : public Clock {
public:
    DateTime Now() const override;
    std::uint64_t TickCount() const override;
};

}  // namespace uptrail
