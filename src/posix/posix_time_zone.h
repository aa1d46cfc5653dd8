#pragma once
#include "platform/time_zone.h"

namespace uptrail {

// The zone of the process (TZ, or the system's), through the C library's rules.
class PosixTimeZone final : public TimeZone {
public:
    std::chrono::seconds UtcOffset(DateTime local) const override;
};

}  // namespace uptrail
