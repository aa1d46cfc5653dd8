#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "base/date_time.h"
#include "platform/time_zone.h"
#include "sessionlog/log_entries.h"

namespace uptrail {

// A span of local time, from `from` up to but not including `to`.
struct TimeRange {
    DateTime from{};
    DateTime to{};
};

// The part of `entry` inside `range`, or nothing when it lies outside.
std::optional<LogEntry> ClipToRange(LogEntry entry, TimeRange range);

// The entries that overlap `range`, oldest first as given, each cut to its part inside it:
// the parts outside a range do not count.
std::vector<LogEntry> ClipToRange(std::span<const LogEntry> entries, TimeRange range);

enum class PeriodKind { kDay, kMonth };

// The figures of one local calendar day or month.
struct PeriodFigures {
    Date first{};                // the period's first day
    std::int64_t onSeconds = 0;  // the system ran: sessions inside the period, overlaps once
    std::int64_t seconds = 0;    // the period's length inside the range, as the clock ran
    std::int64_t sessions = 0;   // sessions that started in the period
    std::int64_t crashed = 0;    // of those, the crashed ones
};

// One row per calendar period from the one holding range.from to the one holding the last
// second of the range. A period counts only its part inside the range, so the current
// one ends at the range's end ("now"). Lengths are real time: a day of a daylight-saving
// change has 23 or 25 hours in `zone`. An empty range gives no rows.
std::vector<PeriodFigures> TabulatePeriods(std::span<const LogEntry> entries, PeriodKind kind,
                                           TimeRange range, const TimeZone& zone);

// How many periods TabulatePeriods would give, without making them.
std::int64_t CountPeriods(PeriodKind kind, TimeRange range);

// The most periods a report tabulates: some 270 years of days.
inline constexpr std::int64_t kMostPeriods = 100000;

// The start of the last `count` periods before `end` (count >= 1): the first of them is
// the one that lies count - 1 periods before the period holding end's last second.
DateTime PeriodsBefore(PeriodKind kind, DateTime end, std::int64_t count);

// "2026-12-06" for a day, "2026-12" for a month.
std::string PeriodName(PeriodKind kind, Date first);

}  // namespace uptrail
