#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "base/date_time.h"
#include "base/timestamp.h"
#include "sessionlog/log_entries.h"
#include "sessionlog/session_log.h"

namespace uptrail {

// Positions of the items of "&Statistics"; 1 and 8 are separators.
enum StatisticsPosition : std::size_t {
    kStatisticsFrom = 0,
    kAverageSession = 2,
    kLongestSession = 3,
    kSystemOffTime = 4,
    kTimeAsleep = 5,
    kCrashedSessions = 6,
    kMinRestartTime = 7,
    kLastOffTime = 9,
    kLastDelay = 10,
};
inline constexpr std::size_t kStatisticsItems = 11;
using StatisticsCaptions = std::array<std::string, kStatisticsItems>;

// The labels of "&Statistics" as designed; "-" is a separator. The figures are written
// after a Tab.
inline constexpr std::array<const char*, kStatisticsItems> kStatisticsCaptions{"Statistics From:",
                                                                               "-",
                                                                               "Average Session:",
                                                                               "Longest Session:",
                                                                               "System Off Time:",
                                                                               "Time Asleep:",
                                                                               "Crashed Sessions:",
                                                                               "Min. Restart Time:",
                                                                               "-",
                                                                               "Last Off Time:",
                                                                               "Last Delay:"};

inline StatisticsCaptions DesignedStatisticsCaptions() {
    StatisticsCaptions captions;
    for (std::size_t i = 0; i < captions.size(); ++i) captions[i] = kStatisticsCaptions[i];
    return captions;
}

// The figures of one pass over the log, oldest entry first, all systems alike.
// Every time comes from time stamp text, whose 16-bit fields keep it within some 40000
// years of today, so differences and products of two times stay far inside 64 bits; only
// the total grows with the number of lines, and it saturates instead of wrapping.
struct SessionStatistics {
    std::int64_t count = 0;
    std::int64_t totalMinutes = 0;
    std::int64_t longestMinutes = 0;  // stays 0 unless some session lasted a minute or more
    std::int64_t asleepMinutes = 0;   // of the total, the minutes the sessions slept
    std::int64_t crashed = 0;
    std::optional<DateTime> firstStart;
    std::optional<DateTime> lastEnd;
    std::optional<std::int64_t> shortestGapSeconds;  // smallest positive gap, boot included
    std::optional<std::int64_t> lastGapSeconds;      // before the newest entry; never 0, may be < 0
};

// The minute boundaries passed from `from` to `to` (both cut down to the minute), which is
// how every session length is counted: 08:59:59 to 09:00:01 is one minute. Inline: every
// entry counted and every line listed asks for it.
inline std::int64_t MinuteBoundaries(DateTime from, DateTime to) {
    using std::chrono::floor;
    using std::chrono::minutes;
    return (floor<minutes>(to) - floor<minutes>(from)).count();
}

// FormatDayDuration of minutes counted in 64 bits; beyond the 32 bits of the day form
// (some 4000 years) it shows the nearer limit.
std::string FormatLongDayDuration(std::int64_t minutes);

// Counts the entries; the gap from the newest entry's end to `bootTime` competes for the
// shortest restart but is not the "last" gap. `sleepMinutes`, when given, holds each
// entry's minutes asleep (see SleepMinutesOf).
SessionStatistics CountSessions(std::span<const LogEntry> entries, DateTime bootTime,
                                std::span<const std::int64_t> sleepMinutes = {});

// The share of the logged session time spent asleep, as "Time Asleep:" and the report
// give it: nothing without session time, or with more sleep than session time.
std::optional<std::pair<std::int64_t, std::int64_t>> AsleepShare(const SessionStatistics& figures);

// numerator / denominator (denominator > 0) to the nearest integer, halves to the even one.
std::int64_t RoundHalfToEven(std::int64_t numerator, std::int64_t denominator);

// part / whole as a percentage to one decimal place, halves to even, with the given
// decimal separator and no trailing zero: "12.5%", "0%", "33,3%". whole must be > 0 and
// part well inside +-9e15 (counts of entries, or minutes between two logged times).
std::string FormatPercent(std::int64_t part, std::int64_t whole, std::string_view separator);

struct StatisticsTexts {
    DateTime statsFrom{};
    std::string lastDelay;  // "Last Delay:" as worked out at start-up
    std::string decimalSeparator = ".";
    const MonthNames* months = &EnglishMonthNames();
};

// Writes the figures into the captions (label, Tab, value). "Last Off Time:" keeps its
// previous caption when the log held fewer than two entries.
void WriteStatistics(const SessionStatistics& figures, const StatisticsTexts& texts,
                     StatisticsCaptions& captions);

}  // namespace uptrail
