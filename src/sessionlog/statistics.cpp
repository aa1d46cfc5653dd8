#include "sessionlog/statistics.h"

#include <algorithm>
#include <limits>

#include "base/duration_text.h"
#include "base/menu_value.h"

namespace uptrail {
namespace {

using Int64Limits = std::numeric_limits<std::int64_t>;

constexpr std::int64_t kMinutesPerDay = 1440;
constexpr std::int64_t kSecondsPerMinute = 60;
// Percentages are worked out in tenths of a percent.
constexpr std::int64_t kTenthsOfPercent = 1000;

std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b) {
    if (b > 0 && a > Int64Limits::max() - b) return Int64Limits::max();
    if (b < 0 && a < Int64Limits::min() - b) return Int64Limits::min();
    return a + b;
}

std::int64_t SecondsBetween(DateTime from, DateTime to) { return (to - from).count(); }

void NoteGap(SessionStatistics& figures, std::int64_t gapSeconds) {
    // Entries out of order give gaps of zero or less; they are no restart.
    if (gapSeconds <= 0) return;
    if (!figures.shortestGapSeconds || gapSeconds < *figures.shortestGapSeconds)
        figures.shortestGapSeconds = gapSeconds;
}

std::int64_t FloorDivide(std::int64_t value, std::int64_t divisor) {
    const std::int64_t quotient = value / divisor;
    return (value % divisor < 0) ? quotient - 1 : quotient;
}

std::string AverageText(const SessionStatistics& figures) {
    if (figures.count <= 0) return "-";
    return FormatLongDayDuration(RoundHalfToEven(figures.totalMinutes, figures.count));
}

std::string CrashedText(const SessionStatistics& figures, std::string_view separator) {
    if (figures.count <= 0) return "-";
    return FormatPercent(figures.crashed, figures.count, separator);
}

// The share of the logged span (first start to last end) in which no session ran. A total
// beyond the span (overlapping entries) or below zero (entries that end before they start)
// would give a share outside 0..100%, so neither gives a figure.
std::string OffTimeText(const SessionStatistics& figures, std::string_view separator) {
    if (!figures.firstStart || !figures.lastEnd) return "-";
    const std::int64_t span = MinuteBoundaries(*figures.firstStart, *figures.lastEnd);
    const std::int64_t total = figures.totalMinutes;
    if (span <= 0 || total < 0 || total > span) return "-";
    return FormatPercent(span - total, span, separator);
}

std::string AsleepText(const SessionStatistics& figures, std::string_view separator) {
    const auto share = AsleepShare(figures);
    return share ? FormatPercent(share->first, share->second, separator) : "-";
}

// A long absence reads better in days; up to a day the clock form shows the seconds.
std::string LastOffText(std::int64_t gapSeconds) {
    const std::int64_t minutes = gapSeconds / kSecondsPerMinute;
    if (minutes > kMinutesPerDay) return FormatLongDayDuration(minutes);
    return FormatSeconds(gapSeconds);
}

}  // namespace

std::string FormatLongDayDuration(std::int64_t minutes) {
    using Int32Limits = std::numeric_limits<std::int32_t>;
    return FormatDayDuration(static_cast<std::int32_t>(
        std::clamp<std::int64_t>(minutes, Int32Limits::min(), Int32Limits::max())));
}

SessionStatistics CountSessions(std::span<const LogEntry> entries, DateTime bootTime,
                                std::span<const std::int64_t> sleepMinutes) {
    SessionStatistics figures;
    if (entries.empty()) return figures;
    figures.count = static_cast<std::int64_t>(entries.size());
    figures.firstStart = entries.front().start;
    figures.lastEnd = entries.back().end;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const LogEntry& entry = entries[i];
        if (i > 0) NoteGap(figures, SecondsBetween(entries[i - 1].end, entry.start));
        const std::int64_t minutes = MinuteBoundaries(entry.start, entry.end);
        figures.totalMinutes = SaturatingAdd(figures.totalMinutes, minutes);
        figures.longestMinutes = std::max(figures.longestMinutes, minutes);
        if (entry.cause == SessionCause::kCrashed) ++figures.crashed;
        if (i < sleepMinutes.size())
            figures.asleepMinutes = SaturatingAdd(figures.asleepMinutes, sleepMinutes[i]);
    }
    if (entries.size() > 1) {
        const LogEntry& beforeLast = entries[entries.size() - 2];
        // No gap at all leaves "Last Off Time:" as it was, like a log of one entry.
        if (const std::int64_t gap = SecondsBetween(beforeLast.end, entries.back().start); gap != 0)
            figures.lastGapSeconds = gap;
    }
    // The restart into the running session counts too.
    NoteGap(figures, SecondsBetween(entries.back().end, bootTime));
    return figures;
}

std::optional<std::pair<std::int64_t, std::int64_t>> AsleepShare(const SessionStatistics& figures) {
    const std::int64_t total = figures.totalMinutes;
    const std::int64_t asleep = figures.asleepMinutes;
    // Sleep is counted inside sessions, so only overlapping entries give more of it.
    if (total <= 0 || asleep < 0 || asleep > total) return std::nullopt;
    return std::pair{asleep, total};
}

std::int64_t RoundHalfToEven(std::int64_t numerator, std::int64_t denominator) {
    const std::int64_t quotient = FloorDivide(numerator, denominator);
    // 0 <= rest < denominator; comparing rest with what is left to the next multiple
    // avoids doubling it, which could overflow.
    const std::int64_t rest = numerator - quotient * denominator;
    const std::int64_t toNext = denominator - rest;
    if (rest > toNext || (rest == toNext && quotient % 2 != 0)) return quotient + 1;
    return quotient;
}

std::string FormatPercent(std::int64_t part, std::int64_t whole, std::string_view separator) {
    const std::int64_t tenths = RoundHalfToEven(part * kTenthsOfPercent, whole);
    const std::int64_t magnitude = tenths < 0 ? -tenths : tenths;
    std::string text = tenths < 0 ? "-" : "";
    text += std::to_string(magnitude / 10);
    if (magnitude % 10 != 0) text.append(separator).append(std::to_string(magnitude % 10));
    return text + "%";
}

void WriteStatistics(const SessionStatistics& figures, const StatisticsTexts& texts,
                     StatisticsCaptions& captions) {
    const std::string_view separator = texts.decimalSeparator;
    SetMenuValue(captions[kStatisticsFrom], FormatMonthDayYear(texts.statsFrom, *texts.months));
    SetMenuValue(captions[kLongestSession],
                 figures.longestMinutes > 0 ? FormatLongDayDuration(figures.longestMinutes) : "-");
    SetMenuValue(captions[kMinRestartTime],
                 figures.shortestGapSeconds ? FormatSeconds(*figures.shortestGapSeconds) : "-");
    SetMenuValue(captions[kAverageSession], AverageText(figures));
    SetMenuValue(captions[kCrashedSessions], CrashedText(figures, separator));
    SetMenuValue(captions[kSystemOffTime], OffTimeText(figures, separator));
    SetMenuValue(captions[kTimeAsleep], AsleepText(figures, separator));
    if (figures.lastGapSeconds)
        SetMenuValue(captions[kLastOffTime], LastOffText(*figures.lastGapSeconds));
    SetMenuValue(captions[kLastDelay], texts.lastDelay);
}

}  // namespace uptrail
