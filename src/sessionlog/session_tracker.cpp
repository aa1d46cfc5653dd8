#include "sessionlog/session_tracker.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string_view>

#include "base/duration_text.h"
#include "base/timestamp.h"

namespace uptrail {
namespace {

constexpr std::string_view kCommonSection = "Common";

constexpr std::string_view kLastWin = "LastWin";
constexpr std::string_view kLastStart = "LastStart";
constexpr std::string_view kLastClose = "LastClose";
constexpr std::string_view kLastCause = "LastCause";
constexpr std::string_view kRestart = "Restart";
constexpr std::string_view kCurStroke = "CurStroke";

// The boot time is computed anew at every start and may round to a neighbouring second;
// a stored start this close to it is the running session.
constexpr std::chrono::seconds kSameSessionTolerance{1};
constexpr std::int64_t kMillisecondsPerSecond = 1000;

std::string Get(const SettingsStore& settings, std::string_view key,
                std::string_view section = {}) {
    return Setting(settings, "get", key, {}, section);
}

void Put(const SettingsStore& settings, std::string_view key, std::string_view value,
         std::string_view section = {}) {
    Setting(settings, "put", key, value, section);
}

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
    const auto inFile = HeartbeatOf(Get(settings, kCurStroke, kCommonSection), sessionStart, now);
    const auto inRegistry =
        HeartbeatOf(Get(settings, kCurStroke, kRegistrySection), sessionStart, now);
    if (!inFile) return inRegistry;
    if (inRegistry && ReadTime(*inFile, now) < ReadTime(*inRegistry, now)) return inRegistry;
    return inFile;
}

// How the session stored by `system` ended, when that can be told.
std::optional<SessionEntry> FinishedSession(const SettingsStore& settings,
                                            const std::string& system, std::string lastStart,
                                            DateTime now) {
    SessionEntry entry{std::move(lastStart), Get(settings, kLastClose, system),
                       StoredNumber(Get(settings, kLastCause, system)), system};
    if (!entry.end.empty()) return entry;

    const auto heartbeat = LastHeartbeat(settings, ReadTime(entry.start, now), now);
    if (!heartbeat) return std::nullopt;
    entry.end = *heartbeat;
    entry.cause = static_cast<int>(SessionCause::kCrashed);
    return entry;
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
    const std::string stored = Get(settings, kRestart);
    DateTime restart = ReadTime(stored, now);
    // A restart time before the boot is the previous session's.
    if (stored.empty() || restart < bootTime) {
        restart = now;
        Put(settings, kRestart, FormatTimestamp(now));
    }
    return FormatClockDuration(AsMilliseconds(restart - bootTime));
}

bool RecordPreviousSession(const SettingsStore& settings, DateTime bootTime, DateTime now) {
    std::string lastWin = Get(settings, kLastWin, kCommonSection);
    if (lastWin.empty()) lastWin = settings.systemId;

    std::string lastStart = Get(settings, kLastStart, lastWin);
    if (lastStart.empty() || IsSameSession(ReadTime(lastStart, now), bootTime)) return false;

    const auto entry = FinishedSession(settings, lastWin, std::move(lastStart), now);
    if (!entry) return false;
    return AppendSessionEntry(settings.files, settings.logFile, *entry) == kOk;
}

void StartCurrentSession(const SettingsStore& settings, DateTime bootTime) {
    Put(settings, kLastStart, FormatTimestamp(bootTime));
    Put(settings, kLastClose, "");
    // Stands until the close records the real cause; while LastClose is empty the next
    // start ignores it and logs the session as crashed.
    Put(settings, kLastCause, "0");
}

void StoreHeartbeat(const SettingsStore& settings, const Clock& clock) {
    Put(settings, kCurStroke, FormatTimestamp(clock.Now()), kCommonSection);
    Put(settings, kCurStroke, FormatTimestamp(clock.Now()), kRegistrySection);
    if (Get(settings, kLastWin, kCommonSection) != settings.systemId)
        Put(settings, kLastWin, settings.systemId, kCommonSection);
}

void RecordClose(const SettingsStore& settings, SessionCause cause, DateTime now) {
    Put(settings, kLastClose, FormatTimestamp(now));
    Put(settings, kLastCause, std::to_string(static_cast<int>(cause)));
}

}  // namespace uptrail
