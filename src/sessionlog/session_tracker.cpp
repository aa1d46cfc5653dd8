#include "sessionlog/session_tracker.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string_view>

#include "base/duration_text.h"
#include "base/timestamp.h"
#include "sessionlog/end_reason.h"

namespace uptrail {
namespace {

// The boot time is computed anew at every start and may round to a neighbouring second;
// a stored start this close to it is the running session.
constexpr std::chrono::seconds kSameSessionTolerance{1};
constexpr std::int64_t kMillisecondsPerSecond = 1000;

DateTime ReadTime(std::string_view text, DateTime now) {
    return ParseTimestamp(text, TimestampPart::kDateAndTime, now);
}

// Settings hold numbers the way time stamp fields do: the leading number, in 16 bits.
int StoredNumber(std::string_view text) { return TimestampFieldValue(text); }

std::int64_t RoundedSeconds(std::uint64_t milliseconds) {
    std::uint64_t seconds = milliseconds / kMillisecondsPerSecond;
    const std::uint64_t rest = milliseconds % kMillisecondsPerSecond;
    const std::uint64_t half = kMillisecondsPerSecond / 2;
    if (rest > half || (rest == half && seconds % 2 == 1)) ++seconds;
    return static_cast<std::int64_t>(seconds);
}

// Only a tick count no machine reaches could overflow the product; clamp it anyway.
std::int64_t AsMilliseconds(std::chrono::seconds duration) {
    constexpr std::int64_t kLimit =
        std::numeric_limits<std::int64_t>::max() / kMillisecondsPerSecond;
    return std::clamp<std::int64_t>(duration.count(), -kLimit, kLimit) * kMillisecondsPerSecond;
}

bool IsSameSession(DateTime storedStart, DateTime bootTime) {
    const auto difference = storedStart - bootTime;
    return std::chrono::abs(difference) <= kSameSessionTolerance;
}

// A heartbeat older than the session's start was left by an earlier session (one that
// the program never beat in, or another installation's): taking it as the end would log
// a session that ends before it began.
std::optional<std::string> HeartbeatOf(std::string text, DateTime sessionStart, DateTime now) {
    if (text.empty() || ReadTime(text, now) < sessionStart) return std::nullopt;
    return text;
}

// The end of a session that was not closed: the later of its heartbeats. The one in the
// log file is shared by every installation; the one in the registry survives a log file
// that could not be written.
std::optional<std::string> LastHeartbeat(const SettingsStore& settings, DateTime sessionStart,
                                         DateTime now) {
    const auto inFile = HeartbeatOf(Get(settings, setting::kCommonHeartbeat), sessionStart, now);
    const auto inRegistry = HeartbeatOf(Get(settings, setting::kKeyHeartbeat), sessionStart, now);
    if (!inFile) return inRegistry;
    if (inRegistry && ReadTime(*inFile, now) < ReadTime(*inRegistry, now)) return inRegistry;
    return inFile;
}

// How the session stored by `system` ended, when that can be told.
std::optional<SessionEntry> FinishedSession(const SettingsStore& settings,
                                            const std::string& system, std::string lastStart,
                                            DateTime now) {
    SessionEntry entry{
        std::move(lastStart), GetOf(settings, setting::kLastClose, system),
        static_cast<SessionCause>(StoredNumber(GetOf(settings, setting::kLastCause, system))),
        system};
    if (!entry.end.empty()) return entry;

    const auto heartbeat = LastHeartbeat(settings, ReadTime(entry.start, now), now);
    if (!heartbeat) return std::nullopt;
    entry.end = *heartbeat;
    entry.cause = SessionCause::kCrashed;
    return entry;
}

// The PC went to sleep in the logged session and never woke: the battery ran out, or it
// crashed asleep. It slept from "SleepStart" to the session's end; the suspend's heartbeat
// often makes both one moment, and the entry still tells how the session ended. The value
// is another installation's when that one ran last: it stays in that one's section, to be
// cleared at its next start.
void RecordUnfinishedSleep(const SettingsStore& settings, const SessionEntry& entry, DateTime now) {
    const std::string stored = GetOf(settings, setting::kSleepStart, entry.system);
    if (stored.empty()) return;
    const SleepPeriod period{ReadTime(stored, now), ReadTime(entry.end, now), entry.system};
    if (period.start < ReadTime(entry.start, now) || period.start > period.end) return;
    static_cast<void>(AppendSleepPeriod(settings.files, settings.logFile, period));
}

}  // namespace

DateTime BootTimeFrom(DateTime now, std::uint64_t tickCountMs) {
    return now - std::chrono::seconds{RoundedSeconds(tickCountMs)};
}

DateTime SessionStart(DateTime now, std::uint64_t tickCountMs,
                      const std::vector<BootRecord>& bootRecords) {
    constexpr std::chrono::minutes kRecordTolerance{1};
    const DateTime tickStart = BootTimeFrom(now, tickCountMs);
    for (const BootRecord& record : bootRecords) {
        const auto type = static_cast<BootType>(record.type);
        if (type != BootType::kCold && type != BootType::kHybrid) continue;
        return record.time >= tickStart - kRecordTolerance ? record.time : tickStart;
    }
    return tickStart;
}

std::string NoteProgramStart(const SettingsStore& settings, DateTime bootTime, DateTime now) {
    const std::string stored = Get(settings, setting::kRestart);
    DateTime restart = ReadTime(stored, now);
    // A restart time before the boot is the previous session's.
    if (stored.empty() || restart < bootTime) {
        restart = now;
        Put(settings, setting::kRestart, FormatTimestamp(now));
    }
    return FormatClockDuration(AsMilliseconds(restart - bootTime));
}

std::optional<SessionEntry> RecordPreviousSession(const SettingsStore& settings, DateTime bootTime,
                                                  DateTime now) {
    std::string lastWin = Get(settings, setting::kLastWin);
    if (lastWin.empty()) lastWin = settings.systemId;

    std::string lastStart = GetOf(settings, setting::kLastStart, lastWin);
    if (lastStart.empty() || IsSameSession(ReadTime(lastStart, now), bootTime)) return std::nullopt;

    const auto entry = FinishedSession(settings, lastWin, std::move(lastStart), now);
    if (!entry || AppendSessionEntry(settings.files, settings.logFile, *entry) != kOk)
        return std::nullopt;
    RecordUnfinishedSleep(settings, *entry, now);
    return entry;
}

void RecordEndReason(const SettingsStore& settings, const SessionEntry& entry, DateTime nextBoot,
                     const SystemInfo& system) {
    if (entry.system != settings.systemId) return;
    const DateTime start = ReadTime(entry.start, nextBoot);
    if (const auto reason = DescribeSessionEnd(system.RecentShutdownRecords(), start, nextBoot))
        static_cast<void>(StoreEndReason(settings.files, settings.logFile, entry.start, *reason));
}

void StartCurrentSession(const SettingsStore& settings, DateTime bootTime) {
    if (!Get(settings, setting::kSleepStart).empty()) Put(settings, setting::kSleepStart, "");
    Put(settings, setting::kLastStart, FormatTimestamp(bootTime));
    Put(settings, setting::kLastClose, "");
    // Stands until the close records the real cause; while LastClose is empty the next
    // start ignores it and logs the session as crashed.
    Put(settings, setting::kLastCause, "0");
    // At once, not at the first heartbeat: a copy in another account that starts before
    // then must find the previous session logged, not the other installation's again.
    if (Get(settings, setting::kLastWin) != settings.systemId)
        Put(settings, setting::kLastWin, settings.systemId);
}

void BeginSleep(const SettingsStore& settings, DateTime now) {
    Put(settings, setting::kSleepStart, FormatTimestamp(now));
    StoreHeartbeat(settings, now);
}

std::optional<SleepPeriod> EndSleep(const SettingsStore& settings, DateTime bootTime,
                                    DateTime now) {
    const std::string stored = Get(settings, setting::kSleepStart);
    if (stored.empty()) return std::nullopt;
    const SleepPeriod period{ReadTime(stored, now), now, settings.systemId};
    // A start before the boot was left by an earlier session; one at or after the wake
    // (a damaged value reads as now) is no sleep.
    const bool isSleep = period.start >= bootTime && period.start < now;
    // The start stays until its sleep is in the log: a refused write must not lose it.
    if (isSleep && AppendSleepPeriod(settings.files, settings.logFile, period) != kOk)
        return std::nullopt;
    Put(settings, setting::kSleepStart, "");
    if (!isSleep) return std::nullopt;
    return period;
}

void StoreHeartbeat(const SettingsStore& settings, DateTime now) {
    const std::string stamp = FormatTimestamp(now);
    Put(settings, setting::kCommonHeartbeat, stamp);
    Put(settings, setting::kKeyHeartbeat, stamp);
    if (Get(settings, setting::kLastWin) != settings.systemId)
        Put(settings, setting::kLastWin, settings.systemId);
}

void RecordClose(const SettingsStore& settings, SessionCause cause, DateTime now) {
    Put(settings, setting::kLastClose, FormatTimestamp(now));
    Put(settings, setting::kLastCause, std::to_string(static_cast<int>(cause)));
}

}  // namespace uptrail
