#include "sessionlog/sleep_log.h"

#include <algorithm>

#include "base/timestamp.h"
#include "sessionlog/session_log.h"
#include "sessionlog/statistics.h"
#include "storage/section_text.h"
#include "storage/text_lines.h"

namespace uptrail {
namespace {

constexpr char kFieldSeparator = '=';
constexpr std::size_t kSleepFields = 3;

DateTime ReadTime(std::string_view text, DateTime now) {
    return ParseTimestamp(TrimBlanks(text), TimestampPart::kDateAndTime, now);
}

// The minutes of `period` that lie inside the session from `start` to `end`.
std::int64_t MinutesInside(const SleepPeriod& period, DateTime start, DateTime end) {
    return std::max<std::int64_t>(
        MinuteBoundaries(std::max(period.start, start), std::min(period.end, end)), 0);
}

// The first period that reaches past `start`. The PC runs one system at a time, so its
// periods asleep do not overlap: only the one before the first to begin after `start` can
// reach into it (when a session is cut to a range).
std::span<const SleepPeriod>::iterator FirstFrom(std::span<const SleepPeriod> sleeps,
                                                 DateTime start) {
    auto first = std::lower_bound(
        sleeps.begin(), sleeps.end(), start,
        [](const SleepPeriod& period, DateTime value) { return period.start < value; });
    if (first != sleeps.begin() && std::prev(first)->end > start) --first;
    return first;
}

}  // namespace

std::vector<SleepPeriod> ReadSleepPeriods(std::string_view fileText, DateTime now) {
    const std::string text = LoadSectionText(fileText, kSleepSection);
    std::vector<SleepPeriod> periods;
    for (const std::string_view line : SplitLines(text)) {
        const auto fields = SplitAt(line, kFieldSeparator);
        if (fields.size() < kSleepFields) continue;
        SleepPeriod period{ReadTime(fields[0], now), ReadTime(fields[1], now),
                           std::string(fields[2])};
        if (period.end >= period.start) periods.push_back(std::move(period));
    }
    std::stable_sort(periods.begin(), periods.end(),
                     [](const SleepPeriod& a, const SleepPeriod& b) { return a.start < b.start; });
    return periods;
}

OsError AppendSleepPeriod(FileSystem& files, const std::filesystem::path& logFile,
                          const SleepPeriod& period) {
    std::string value = FormatTimestamp(period.end);
    value.append(1, kFieldSeparator).append(period.system);
    return SetLogValue(files, logFile, kSleepSection, FormatTimestamp(period.start), value);
}

std::vector<std::int64_t> SleepMinutesOf(const LogEntries& log,
                                         std::span<const SleepPeriod> sleeps) {
    std::vector<std::int64_t> minutes(log.entries.size(), 0);
    if (sleeps.empty()) return minutes;
    for (std::size_t index = 0; index < log.entries.size(); ++index) {
        const LogEntry& entry = log.entries[index];
        if (entry.system == kNoSystem) continue;
        minutes[index] =
            SleepMinutesIn(sleeps, log.identities[entry.system], entry.start, entry.end);
    }
    return minutes;
}

std::int64_t SleepMinutesIn(std::span<const SleepPeriod> sleeps, std::string_view system,
                            DateTime start, DateTime end) {
    std::int64_t minutes = 0;
    for (auto period = FirstFrom(sleeps, start); period != sleeps.end() && period->start < end;
         ++period)
        if (period->system == system) minutes += MinutesInside(*period, start, end);
    return minutes;
}

}  // namespace uptrail
