#pragma once
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/date_time.h"
#include "platform/shutdown_records.h"
#include "sessionlog/session_cause.h"
#include "sessionlog/sleep_log.h"

namespace uptrail {

// A session of one installation as Windows' own records tell it.
struct PastSession {
    DateTime start{};
    DateTime end{};
    SessionCause cause = SessionCause::kWindowsEnded;  // or kCrashed; never closed by hand
    std::string reason;                                // why it ended, "" when unknown
};

struct PastSessions {
    std::vector<PastSession> sessions;     // oldest first
    std::vector<SleepPeriod> sleeps;       // inside them, named by the system given
    std::optional<DateTime> runningSince;  // the boot of the session the records end in
};

// The sessions that the records (in any order, repeated or not) show from start to end.
// A session starts at the earliest record of its boot (a cold or Fast Startup boot, the
// system's start, the event log's start); it ends cleanly with the last record of its
// shut-down (the system's or the event log's stop). One with no clean end before the next
// boot crashed, and ends at its last sign of life, never after the next start: the records
// a boot writes about the session before it (an unclean reboot, an unexpected shut-down, a
// stop error) are no sign of life of that session. A sleep runs from its entry to its wake.
// The session still running when the records end is left out, as are records before the
// first boot they show.
PastSessions SessionsFromRecords(std::span<const ShutdownRecord> records, std::string_view system);

}  // namespace uptrail
