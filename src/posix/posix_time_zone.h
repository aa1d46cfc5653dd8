#pragma once
#include "platform/time_zone.h"

namespace uptrail {

// The zone of the process (TZ, or the system's), through the C library's rules. The zone
// is read once, when this object is made: a table by day asks for the offset at every
// period's bounds, and asking the C library to convert a local time makes it look at TZ
// and the system's zone file again every time.
class PosixTimeZone final : public TimeZone {
public:
    PosixTimeZone();
    std::chrono::seconds UtcOffset(DateTime local) const override;
};

}  // namespace uptrail
