#pragma once
#include <chrono>

#include "base/date_time.h"

namespace uptrail {

// The user's time zone, as far as the log's local times need it: how far a local time is
// ahead of UTC, so that a day of a daylight-saving change counts its 23 or 25 hours.
class TimeZone {
public:
    virtual ~TimeZone() = default;

    // The offset in force at `local` (UTC + offset = local). A local time that a change
    // skips or repeats takes one of the two offsets around it.
    [[nodiscard]] virtual std::chrono::seconds UtcOffset(DateTime local) const = 0;
};

// A zone without daylight saving: local times are as far apart as they read.
class FixedTimeZone final : public TimeZone {
public:
    explicit FixedTimeZone(std::chrono::seconds offset = {}) : offset_(offset) {}
    std::chrono::seconds UtcOffset(DateTime) const override { return offset_; }

private:
    std::chrono::seconds offset_;
};

}  // namespace uptrail
