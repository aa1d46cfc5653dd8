#pragma once
#include "platform/time_zone.h"

namespace uptrail {

// The user's time zone with the rules Windows keeps for each year.
class Win32TimeZone final : public TimeZone {
public:
    std::chrono::seconds UtcOffset(DateTime local) const override;
};

}  // namespace uptrail
