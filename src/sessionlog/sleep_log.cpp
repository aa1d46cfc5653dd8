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

SleepIndex::SleepIndex(std::span<const SleepPeriod> sleeps) {
    std::vector<const SleepPeriod*> ordered;
    ordered.reserve(sleeps.size());
    for (const SleepPeriod& period : sleeps) ordered.push_back(&period);
    std::stable_sort(
        ordered.begin(), ordered.end(),
        [](const SleepPeriod* a, const SleepPeriod* b) { return a->start < b->start; });
    for (const SleepPeriod* period : ordered) {
        Periods& periods = bySystem_[AsciiLowerCase(period->system)];
        // Periods that meet merge too: their minutes add up the same either way.
        if (!periods.ends.empty() && period->start <= periods.ends.back()) {
            periods.ends.back() = std::max(periods.ends.back(), period->end);
            continue;
        }
        periods.starts.push_back(period->start);
        periods.ends.push_back(period->end);
    }
    for (auto& [system, periods] : bySystem_) {
        periods.minutesBefore.reserve(periods.starts.size() + 1);
        std::int64_t minutes = 0;
        for (std::size_t i = 0; i < periods.starts.size(); ++i) {
            periods.minutesBefore.push_back(minutes);
            minutes += MinuteBoundaries(periods.starts[i], periods.ends[i]);
        }
        periods.minutesBefore.push_back(minutes);
    }
}

const SleepIndex::Periods* SleepIndex::Find(std::string_view system) const {
    const auto found = bySystem_.find(AsciiLowerCase(system));
    return found == bySystem_.end() ? nullptr : &found->second;
}

std::int64_t SleepIndex::MinutesIn(std::string_view system, DateTime start, DateTime end) const {
    if (bySystem_.empty() || end <= start) return 0;
    const Periods* periods = Find(system);
    return periods ? MinutesIn(*periods, start, end) : 0;
}

std::int64_t SleepIndex::MinutesIn(const Periods& periods, DateTime start, DateTime end) {
    // The periods from the first that ends after `start` to the last that starts before
    // `end`: only the two at the edges are cut, the ones between count whole.
    const auto first = static_cast<std::size_t>(
        std::upper_bound(periods.ends.begin(), periods.ends.end(), start) - periods.ends.begin());
    const auto last = static_cast<std::size_t>(
        std::lower_bound(periods.starts.begin(), periods.starts.end(), end) -
        periods.starts.begin());
    if (first >= last) return 0;
    const auto inside = [&](std::size_t i) {
        return std::max<std::int64_t>(
            MinuteBoundaries(std::max(periods.starts[i], start), std::min(periods.ends[i], end)),
            0);
    };
    if (last - first == 1) return inside(first);
    const std::int64_t between = periods.minutesBefore[last - 1] - periods.minutesBefore[first + 1];
    return inside(first) + between + inside(last - 1);
}

std::vector<std::int64_t> SleepIndex::MinutesOf(const LogEntries& log) const {
    std::vector<std::int64_t> minutes(log.entries.size(), 0);
    if (bySystem_.empty()) return minutes;
    // A log may name tens of thousands of systems: each is looked up once, not per entry.
    std::vector<const Periods*> periodsOf(log.identities.size());
    for (std::size_t system = 0; system < periodsOf.size(); ++system)
        periodsOf[system] = Find(log.identities[system]);
    for (std::size_t index = 0; index < log.entries.size(); ++index) {
        const LogEntry& entry = log.entries[index];
        if (entry.system == kNoSystem || !periodsOf[entry.system] || entry.end <= entry.start)
            continue;
        minutes[index] = MinutesIn(*periodsOf[entry.system], entry.start, entry.end);
    }
    return minutes;
}

std::int64_t SleepMinutesIn(std::span<const SleepPeriod> sleeps, std::string_view system,
                            DateTime start, DateTime end) {
    return SleepIndex(sleeps).MinutesIn(system, start, end);
}

}  // namespace uptrail
