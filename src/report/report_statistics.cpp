#include "report/report_statistics.h"

#include <algorithm>
#include <limits>

#include "sessionlog/session_log.h"

namespace uptrail {
namespace {

using Int64Limits = std::numeric_limits<std::int64_t>;

constexpr int kCrashedCause = static_cast<int>(SessionCause::kCrashed);

std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b) {
    if (b > 0 && a > Int64Limits::max() - b) return Int64Limits::max();
    if (b < 0 && a < Int64Limits::min() - b) return Int64Limits::min();
    return a + b;
}

void NoteGap(SessionStatistics& figures, std::int64_t gapSeconds) {
    // Entries out of order give gaps of zero or less; they are no restart.
    if (gapSeconds <= 0) return;
    if (!figures.shortestGapSeconds || gapSeconds < *figures.shortestGapSeconds)
        figures.shortestGapSeconds = gapSeconds;
}

}  // namespace

SessionStatistics CountEntries(std::span<const ReportEntry> entries, DateTime bootTime) {
    SessionStatistics figures;
    if (entries.empty()) return figures;
    figures.count = static_cast<std::int64_t>(entries.size());
    figures.firstStart = entries.front().start;
    figures.lastEnd = entries.back().end;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ReportEntry& entry = entries[i];
        if (i > 0) NoteGap(figures, (entry.start - entries[i - 1].end).count());
        const std::int64_t minutes = MinutesBetween(entry.start, entry.end);
        figures.totalMinutes = SaturatingAdd(figures.totalMinutes, minutes);
        figures.longestMinutes = std::max(figures.longestMinutes, minutes);
        if (entry.cause == kCrashedCause) ++figures.crashed;
    }
    if (entries.size() > 1)
        figures.lastGapSeconds = (entries.back().start - entries[entries.size() - 2].end).count();
    // The restart into the running session counts too.
    NoteGap(figures, (bootTime - entries.back().end).count());
    return figures;
}

}  // namespace uptrail
