#pragma once
#include "platform/clock.h"

namespace uptrail {

// The local wall clock and the 64-bit tick count of the running system.
class Win32Clock final : public Clock {
public:
    DateTime Now() const override;
    std::uint64_t TickCount() const override;
};

}  // namespace uptrail
