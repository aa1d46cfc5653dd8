#pragma once
#include <chrono>
#include <cstdint>
#include <span>

#include "report/log_entries.h"
#include "sessionlog/statistics.h"

namespace uptrail {

// MinuteBoundaries, which every listed line and every counted entry asks for, where the
// compiler can see it.
inline std::int64_t MinutesBetween(DateTime from, DateTime to) {
    using std::chrono::floor;
    using std::chrono::minutes;
    return (floor<minutes>(to) - floor<minutes>(from)).count();
}

// CountSessions' figures, counted over the report's entries: the same pass, without
// turning every entry back into a LoggedSession.
SessionStatistics CountEntries(std::span<const ReportEntry> entries, DateTime bootTime);

}  // namespace uptrail
