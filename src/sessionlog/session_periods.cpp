#include "sessionlog/session_periods.h"

#include <algorithm>
#include <string>

#include "base/duration_text.h"

namespace uptrail {
namespace {

struct Interval {
    DateTime from{};
    DateTime to{};
};

// The first day of the period that holds `day`, and of the period after it.
Date PeriodStart(PeriodKind kind, Date day) {
    if (kind == PeriodKind::kDay) return day;
    const DateTimeFields fields = FieldsOf(DateTime{day});
    return Date{std::chrono::floor<std::chrono::days>(
        MakeDateTime(static_cast<int>(fields.year), fields.month, 1).time_since_epoch())};
}

Date NextPeriodStart(PeriodKind kind, Date first) {
    if (kind == PeriodKind::kDay) return first + std::chrono::days{1};
    const DateTimeFields fields = FieldsOf(DateTime{first});
    return Date{std::chrono::floor<std::chrono::days>(
        MakeDateTime(static_cast<int>(fields.year), fields.month + 1, 1).time_since_epoch())};
}

Date DayOf(DateTime time) { return std::chrono::floor<std::chrono::days>(time); }

// How many periods lie from the one that starts on `firstRow` to the one holding `day`.
std::int64_t PeriodsBetween(PeriodKind kind, Date firstRow, Date day) {
    if (kind == PeriodKind::kDay) return (day - firstRow).count();
    const DateTimeFields from = FieldsOf(DateTime{firstRow});
    const DateTimeFields to = FieldsOf(DateTime{day});
    return (to.year - from.year) * 12 + (to.month - from.month);
}

// Seconds the clock ran from `from` to `to`, local times both: a change of offset between
// them (daylight saving) is taken out.
std::int64_t RealSeconds(DateTime from, DateTime to, const TimeZone& zone) {
    const auto utcFrom = from - zone.UtcOffset(from);
    const auto utcTo = to - zone.UtcOffset(to);
    return std::max<std::int64_t>(0, (utcTo - utcFrom).count());
}

// The running time as disjoint intervals in order: two installations' entries, or damaged
// ones, may overlap, and a moment counts once.
std::vector<Interval> RunningIntervals(std::span<const LogEntry> entries) {
    std::vector<Interval> intervals;
    for (const LogEntry& entry : entries)
        if (entry.end > entry.start) intervals.push_back({entry.start, entry.end});
    std::sort(intervals.begin(), intervals.end(),
              [](const Interval& a, const Interval& b) { return a.from < b.from; });
    std::vector<Interval> merged;
    for (const Interval& interval : intervals) {
        if (!merged.empty() && interval.from <= merged.back().to)
            merged.back().to = std::max(merged.back().to, interval.to);
        else
            merged.push_back(interval);
    }
    return merged;
}

}  // namespace

std::optional<LogEntry> ClipToRange(LogEntry entry, TimeRange range) {
    // A session that only touches `from` ends where the range begins; one of no length at
    // `from` still lies in it.
    if (entry.start >= range.to || (entry.start < range.from && entry.end <= range.from))
        return std::nullopt;
    entry.start = std::max(entry.start, range.from);
    entry.end = std::min(entry.end, range.to);
    return entry;
}

std::vector<LogEntry> ClipToRange(std::span<const LogEntry> entries, TimeRange range) {
    std::vector<LogEntry> clipped;
    for (const LogEntry& entry : entries)
        if (const auto part = ClipToRange(entry, range)) clipped.push_back(*part);
    return clipped;
}

std::int64_t CountPeriods(PeriodKind kind, TimeRange range) {
    if (range.to <= range.from) return 0;
    return PeriodsBetween(kind, DayOf(range.from), DayOf(range.to - std::chrono::seconds{1})) + 1;
}

DateTime PeriodsBefore(PeriodKind kind, DateTime end, std::int64_t count) {
    const Date last = PeriodStart(kind, DayOf(end - std::chrono::seconds{1}));
    if (kind == PeriodKind::kDay) return DateTime{last - std::chrono::days{count - 1}};
    const DateTimeFields fields = FieldsOf(DateTime{last});
    const std::int64_t months = fields.year * 12 + (fields.month - 1) - (count - 1);
    const std::int64_t year = months >= 0 ? months / 12 : (months - 11) / 12;
    return MakeDateTime(static_cast<int>(year), static_cast<int>(months - year * 12) + 1, 1);
}

std::vector<PeriodFigures> TabulatePeriods(std::span<const LogEntry> entries, PeriodKind kind,
                                           TimeRange range, const TimeZone& zone) {
    std::vector<PeriodFigures> rows;
    if (range.to <= range.from) return rows;
    const std::vector<Interval> running = RunningIntervals(ClipToRange(entries, range));
    std::size_t next = 0;  // the first running interval that may reach into this period
    for (Date first = PeriodStart(kind, DayOf(range.from)); DateTime{first} < range.to;
         first = NextPeriodStart(kind, first)) {
        const DateTime from = std::max(DateTime{first}, range.from);
        const DateTime to = std::min(DateTime{NextPeriodStart(kind, first)}, range.to);
        PeriodFigures row{first};
        row.seconds = RealSeconds(from, to, zone);
        while (next < running.size() && running[next].to <= from) ++next;
        for (std::size_t i = next; i < running.size() && running[i].from < to; ++i)
            row.onSeconds +=
                RealSeconds(std::max(running[i].from, from), std::min(running[i].to, to), zone);
        rows.push_back(row);
    }
    // Each session once, in the period it started in; one that started before the range
    // belongs to none of its periods.
    const Date firstRow = rows.front().first;
    for (const LogEntry& entry : entries) {
        if (entry.start < range.from || entry.start >= range.to) continue;
        const auto index =
            static_cast<std::size_t>(PeriodsBetween(kind, firstRow, DayOf(entry.start)));
        ++rows[index].sessions;
        if (entry.cause == SessionCause::kCrashed) ++rows[index].crashed;
    }
    return rows;
}

std::string PeriodName(PeriodKind kind, Date first) {
    const DateTimeFields fields = FieldsOf(DateTime{first});
    std::string name = FormatPadded(fields.year, 4);
    name.append("-").append(FormatPadded(fields.month, 2));
    if (kind == PeriodKind::kDay) name.append("-").append(FormatPadded(fields.day, 2));
    return name;
}

}  // namespace uptrail
