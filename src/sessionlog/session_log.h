#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/date_time.h"
#include "platform/file_system.h"
#include "sessionlog/session_cause.h"

namespace uptrail {

inline constexpr std::string_view kLogSection = "Log";
// The sections whose lines belong to the sessions of "Log" and go with them: the periods
// asleep ("start=end=system") and how sessions ended ("start=text", keyed by the session's
// start). Installations that do not know them leave them alone.
inline constexpr std::string_view kSleepSection = "Sleep";
inline constexpr std::string_view kReasonSection = "Reason";
// Entries the start-up trim keeps, and Erase Oldest Data keeps. The trim keeps as many
// sleep entries.
inline constexpr int kStartupLogLimit = 32000;
inline constexpr int kEraseOldestLimit = 50;
// Read-only plus system: what the log file carries after every write of an entry or
// of the "Log" section, so that casual edits and clean-up tools leave it alone.
inline constexpr std::uint32_t kLogFileAttributes = file_attr::kReadOnly | file_attr::kSystem;

// One line of section "Log" as stored: start "=" end "=" cause "=" system.
struct SessionEntry {
    std::string start;  // time stamp text, the key of the line
    std::string end;    // time stamp text
    SessionCause cause = SessionCause::kWindowsEnded;
    std::string system;
};

struct TrimResult {
    DateTime statsFrom{};
    int logCount = 0;
    OsError error = kOk;  // a load or save of the section that failed; the log is then unchanged
};

// Drops the lines of section "Log" that are not entries and, beyond the limit (32000, or
// 50 with `eraseOldest`), the oldest entries. When entries go, the sleep entries and
// reasons from before the oldest entry kept go with them; beyond 32000 sleep entries the
// oldest go in any case. The file is rewritten only when something was dropped (then it
// is made read-only plus system again). Gives the start of the
// 50th newest entry (or of the oldest when there are fewer) and the number kept; an
// empty log gives `bootTime` and 0. `now` stands in for unreadable time stamps.
// The rewrite replaces the file in one step. When the section cannot be loaded or
// rewritten, the file stays as it was and the result counts the entries it still holds.
TrimResult TrimLog(FileSystem& files, const std::filesystem::path& logFile, bool eraseOldest,
                   DateTime bootTime, DateTime now);

// Empties section "Log" and drops the sleep entries and reasons from before `keepFrom`, in
// one replace of the file; a missing file stays missing. On an error the file is unchanged.
[[nodiscard]] OsError ClearLogBefore(FileSystem& files, const std::filesystem::path& logFile,
                                     DateTime keepFrom, DateTime now);

// Sets key "=" value in a section of the log file the way AppendSessionEntry adds its
// entry (see there).
[[nodiscard]] OsError SetLogValue(FileSystem& files, const std::filesystem::path& logFile,
                                  std::string_view section, std::string_view key,
                                  std::string_view value);

// Adds one session entry at the end of section "Log" as its readers find it (an entry with
// the same start replaces that line's value), creating the file and the section when they
// are missing, and makes the file read-only plus system. A file that is there but cannot
// be read is left alone.
[[nodiscard]] OsError AppendSessionEntry(FileSystem& files, const std::filesystem::path& logFile,
                                         const SessionEntry& entry);

// Sets the log file's attributes to read-only plus system.
[[nodiscard]] OsError ProtectLogFile(FileSystem& files, const std::filesystem::path& logFile);

// The log file's bytes as the section store reads them: a missing file reads as empty; the
// error is set, and the text empty, only for a file that is there but cannot be read.
struct LogFileText {
    std::string text;
    OsError error = kOk;
};
LogFileText ReadLogFile(FileSystem& files, const std::filesystem::path& logFile);

}  // namespace uptrail
