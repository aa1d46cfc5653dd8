#pragma once
// The systems the tests' logs name, and the entries a log reader gave as plain values, so
// that two readings can be compared.
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "base/date_time.h"
#include "base/timestamp.h"
#include "sessionlog/log_entries.h"

namespace uptrail::testing {

// The identities of the two Windows installations the tests' logs hold: this PC's own and
// another on drive D:.
inline const std::string kSystem = "1A2B3C4D//c:\\windows";
inline const std::string kOther = "5E6F7A8B//d:\\windows";

// An entry as start, end, cause and system, if any.
using Fields = std::tuple<DateTime, DateTime, SessionCause, std::optional<std::string>>;

inline std::vector<Fields> FieldsOf(const LogEntries& read) {
    std::vector<Fields> entries;
    for (const LogEntry& entry : read.entries) {
        std::optional<std::string> system;
        if (entry.system != kNoSystem) system = std::string(read.identities[entry.system]);
        entries.emplace_back(entry.start, entry.end, entry.cause, system);
    }
    return entries;
}

// The log a crashed run of `system` left behind: started at `start`, its last heartbeat at
// `beat`, no close; then the own section's further lines (a cause, a sleep begun).
inline std::string RunLeftLog(const std::string& system, DateTime start, DateTime beat,
                              const std::string& ownLines = "") {
    return "[Common]\r\nLastWin=" + system + "\r\nCurStroke=" + FormatTimestamp(beat) + "\r\n[" +
           system + "]\r\nLastStart=" + FormatTimestamp(start) + "\r\nLastClose=\r\n" + ownLines;
}

}  // namespace uptrail::testing
