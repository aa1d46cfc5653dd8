#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "platform/clock.h"
#include "platform/system_info.h"
#include "sessionlog/session_log.h"
#include "sessionlog/sleep_log.h"
#include "storage/settings_store.h"

namespace uptrail {

// The start of the running system session: now minus the milliseconds since Windows
// started, taken to whole seconds (halves to the even second). The count is 64-bit, so
// it does not wrap after 49.7 days of uptime.
DateTime BootTimeFrom(DateTime now, std::uint64_t tickCountMs);

// The start of the running system session. Windows records each cold start and each
// start after Fast Startup (a hybrid boot); the newest such record is the session's start,
// the same for every program start within it whatever the wall clock does since. A resume
// from hibernation continues a session. Without a usable record (none, or one older than
// the tick-count start by more than a minute, which belongs to an earlier boot) the
// tick-count start is taken.
DateTime SessionStart(DateTime now, std::uint64_t tickCountMs,
                      const std::vector<BootRecord>& bootRecords);

// Notes the program's first start within the running session in "Restart" and gives the
// value of "Last Delay:": how long after the boot the program first came up ("00:01:05").
std::string NoteProgramStart(const SettingsStore& settings, DateTime bootTime, DateTime now);

// When the session stored by the installation that ran last (named by "LastWin") is not
// the running one, writes its entry to the session log with its close time and cause, or
// the later heartbeat and kCrashed when it was not closed. A heartbeat older than that
// session's start was left by an earlier one and does not count; with no close and no
// heartbeat of its own the session's end is unknown and nothing is written. A sleep that
// never woke ("SleepStart" still set inside that session) is logged up to the session's
// end. Gives the entry written.
std::optional<SessionEntry> RecordPreviousSession(const SettingsStore& settings, DateTime bootTime,
                                                  DateTime now);

// Stores why the logged session `entry` ended, read from Windows' records, when it is the
// running installation's own: another installation's records are not in this one's log.
void RecordEndReason(const SettingsStore& settings, const SessionEntry& entry, DateTime nextBoot,
                     const SystemInfo& system);

// Marks the running session as started: "LastStart", an empty "LastClose", "LastCause" 0,
// and this installation as the one that runs ("LastWin"). A "SleepStart" left from before
// is cleared: the start is proof the PC is awake, and a sleep of the previous session was
// logged with it.
void StartCurrentSession(const SettingsStore& settings, DateTime bootTime);

// The PC goes to sleep or hibernates: "SleepStart" and a heartbeat, at the same moment.
void BeginSleep(const SettingsStore& settings, DateTime now);

// The PC woke: the sleep since "SleepStart" goes to section "Sleep" and then "SleepStart"
// is cleared (it stays when the sleep cannot be added). Gives the period logged; nothing when no
// sleep of this session was pending (the second of two wake-up notifications, or a value left from
// an earlier session).
std::optional<SleepPeriod> EndSleep(const SettingsStore& settings, DateTime bootTime, DateTime now);

// The heartbeat: "CurStroke" in the log file and in the registry, and "LastWin".
void StoreHeartbeat(const SettingsStore& settings, DateTime now);

// Records the program's close: "LastClose" now and "LastCause".
void RecordClose(const SettingsStore& settings, SessionCause cause, DateTime now);

}  // namespace uptrail
