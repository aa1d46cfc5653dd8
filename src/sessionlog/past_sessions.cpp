#include "sessionlog/past_sessions.h"

#include <algorithm>
#include <array>
#include <chrono>

#include "base/timestamp.h"
#include "sessionlog/end_reason.h"
#include "storage/text_lines.h"

namespace uptrail {
namespace {

// A boot writes what it knows of the session before it within its first minutes.
constexpr std::chrono::minutes kBootReports{5};

// Kernel-General 12 tells when the system started (StartTime, its seventh value), some
// seconds before it is written; Power-Troubleshooter 1 when the system went to sleep and
// when it woke (SleepTime and WakeTime, its first two), which may be minutes before it is
// written. A time among the data counts only up to a day before its record.
constexpr std::size_t kStartTimeValue = 6;
constexpr std::size_t kSleepTimeValue = 0;
constexpr std::size_t kWakeTimeValue = 1;
constexpr std::chrono::hours kDataTimeReach{24};

std::optional<DateTime> DataTime(const ShutdownRecord& record, std::size_t index) {
    if (record.values.size() <= index) return std::nullopt;
    const auto time = TryParseTimestamp(TrimBlanks(record.values[index]));
    if (!time || *time > record.time || record.time - *time > kDataTimeReach) return std::nullopt;
    return time;
}

// BootType 0 is a cold boot, 1 a start from Fast Startup; 2, a resume from hibernation,
// continues the session. Windows may render the value as a hexadecimal number.
bool StartsASession(const ShutdownRecord& record) {
    switch (record.event) {
    case ShutdownEvent::kSystemStarted:
    case ShutdownEvent::kLogStarted: return true;
    case ShutdownEvent::kBoot: {
        const std::string_view type = record.values.empty() ? "" : TrimBlanks(record.values[0]);
        return type == "0" || type == "1" || type == "0x0" || type == "0x1";
    }
    default: return false;
    }
}

bool EndsCleanly(ShutdownEvent event) {
    return event == ShutdownEvent::kSystemStopped || event == ShutdownEvent::kLogStopped ||
           event == ShutdownEvent::kShutdownStarted;
}

// Written by the next boot about the session before it.
bool ReportsAnUncleanEnd(ShutdownEvent event) {
    return event == ShutdownEvent::kUncleanReboot || event == ShutdownEvent::kUnexpected ||
           event == ShutdownEvent::kBugCheck;
}

bool ReasonKind(ShutdownEvent event) {
    return ReportsAnUncleanEnd(event) || event == ShutdownEvent::kShutdownStarted;
}

// At the same second a stop comes before a start, so that a restart within a second still
// closes one session before it opens the next.
int OrderAtTheSameTime(const ShutdownRecord& record) {
    if (StartsASession(record)) return 2;
    return EndsCleanly(record.event) ? 0 : 1;
}

bool SameRecord(const ShutdownRecord* a, const ShutdownRecord* b) {
    return a->event == b->event && a->time == b->time && a->values == b->values;
}

std::vector<const ShutdownRecord*> InTimeOrder(std::span<const ShutdownRecord> records) {
    std::vector<const ShutdownRecord*> ordered;
    ordered.reserve(records.size());
    for (const ShutdownRecord& record : records) ordered.push_back(&record);
    std::sort(ordered.begin(), ordered.end(), [](const auto* a, const auto* b) {
        if (a->time != b->time) return a->time < b->time;
        if (a->event != b->event) return a->event < b->event;
        return a->values < b->values;
    });
    ordered.erase(std::unique(ordered.begin(), ordered.end(), SameRecord), ordered.end());
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto* a, const auto* b) {
        if (a->time != b->time) return a->time < b->time;
        return OrderAtTheSameTime(*a) < OrderAtTheSameTime(*b);
    });
    return ordered;
}

// Builds sessions from the records in time order, one boot at a time.
class SessionBuilder {
public:
    SessionBuilder(std::vector<ShutdownRecord> reasonRecords, std::string_view system)
        : reasonRecords_(std::move(reasonRecords)), system_(system) {}

    void Add(const ShutdownRecord& record) {
        if (StartsASession(record)) return AddStart(record);
        if (!open_ || ReportsAnUncleanEnd(record.event)) return;
        open_->lastSign = record.time;
        if (EndsCleanly(record.event)) open_->endedCleanly = true;
        if (record.event == ShutdownEvent::kSleepEntered && !open_->asleepSince)
            open_->asleepSince = record.time;
        if (record.event == ShutdownEvent::kWoke) AddWake(record);
    }

    // The session the records end in counts only when it was shut down; else it is the
    // one still running.
    PastSessions Finish() && {
        if (open_ && open_->endedCleanly) Close(open_->lastSign);
        if (open_) {
            // Its sleeps go with it.
            past_.runningSince = open_->start;
            std::erase_if(past_.sleeps, [&](const SleepPeriod& sleep) {
                return sleep.start >= past_.runningSince;
            });
        }
        return std::move(past_);
    }

private:
    struct OpenSession {
        DateTime start{};
        DateTime lastSign{};
        unsigned startsSeen = 0;  // bits by ShutdownEvent of the boot's records
        bool endedCleanly = false;
        std::optional<DateTime> asleepSince;
    };

    void AddStart(const ShutdownRecord& record) {
        const unsigned bit = 1u << static_cast<unsigned>(record.event);
        // A second record of the same kind, or any after a shut-down, is the next boot's.
        if (open_ && (open_->endedCleanly || (open_->startsSeen & bit) != 0)) Close(record.time);
        if (!open_) open_ = OpenSession{record.time, record.time, 0, false, std::nullopt};
        open_->startsSeen |= bit;
        open_->lastSign = record.time;
        // The system's own start time, but never within the session before.
        const auto started = record.event == ShutdownEvent::kSystemStarted
                                 ? DataTime(record, kStartTimeValue)
                                 : std::nullopt;
        if (started && (past_.sessions.empty() || past_.sessions.back().end <= *started))
            open_->start = std::min(open_->start, *started);
    }

    // A sleep as the wake's data tell it inside the session, else from the entry to the wake.
    void AddWake(const ShutdownRecord& record) {
        const auto slept = DataTime(record, kSleepTimeValue);
        const auto woke = DataTime(record, kWakeTimeValue);
        if (slept && woke && open_->start <= *slept && *slept <= *woke)
            past_.sleeps.push_back({*slept, *woke, std::string(system_)});
        else if (open_->asleepSince)
            past_.sleeps.push_back({*open_->asleepSince, record.time, std::string(system_)});
        open_->asleepSince.reset();
    }

    // The reason records from `from` to `to`, found in their time order.
    std::span<const ShutdownRecord> RecordsBetween(DateTime from, DateTime to) const {
        const auto byTime = [](const ShutdownRecord& record, DateTime time) {
            return record.time < time;
        };
        const auto first =
            std::lower_bound(reasonRecords_.begin(), reasonRecords_.end(), from, byTime);
        const auto last = std::upper_bound(
            first, reasonRecords_.end(), to,
            [](DateTime time, const ShutdownRecord& record) { return time < record.time; });
        return {first, last};
    }

    bool NextBootReportsACrash(DateTime nextBoot) const {
        const auto reports = RecordsBetween(nextBoot, nextBoot + kBootReports);
        return std::any_of(reports.begin(), reports.end(),
                           [](const auto& record) { return ReportsAnUncleanEnd(record.event); });
    }

    void Close(DateTime nextBoot) {
        const OpenSession session = *open_;
        open_.reset();
        const bool crashed = !session.endedCleanly || NextBootReportsACrash(nextBoot);
        if (session.asleepSince)
            past_.sleeps.push_back({*session.asleepSince, session.lastSign, std::string(system_)});
        past_.sessions.push_back(
            {session.start, session.lastSign,
             crashed ? SessionCause::kCrashed : SessionCause::kWindowsEnded,
             DescribeSessionEnd(RecordsBetween(session.start, nextBoot + kBootReports),
                                session.start, nextBoot)
                 .value_or("")});
    }

    std::vector<ShutdownRecord> reasonRecords_;
    std::string_view system_;
    std::optional<OpenSession> open_;
    PastSessions past_;
};

}  // namespace

PastSessions SessionsFromRecords(std::span<const ShutdownRecord> records, std::string_view system) {
    const std::vector<const ShutdownRecord*> ordered = InTimeOrder(records);
    std::vector<ShutdownRecord> reasonRecords;
    for (const ShutdownRecord* record : ordered)
        if (ReasonKind(record->event)) reasonRecords.push_back(*record);
    SessionBuilder builder(std::move(reasonRecords), system);
    for (const ShutdownRecord* record : ordered) builder.Add(*record);
    return std::move(builder).Finish();
}

}  // namespace uptrail
