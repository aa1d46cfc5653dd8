#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "base/date_time.h"
#include "sessionlog/session_cause.h"

namespace uptrail {

inline constexpr std::uint32_t kNoSystem = UINT32_MAX;

// One entry of section "Log": a log holds tens of thousands, and the few systems they name
// are kept once each.
struct LogEntry {
    DateTime start{};
    DateTime end{};
    SessionCause cause = SessionCause::kWindowsEnded;  // any number a line holds
    std::uint32_t system =
        kNoSystem;  // index into LogEntries::identities; none on a line of three fields
};

// The entries of a log, oldest first, with the system identities they name (distinct byte
// for byte, in the order first met; each named by some entry). The identities are views of
// the text that was read, or of the copies kept here of lines that loading the section
// changes (a "~" reads as a Tab): that text must outlive them.
struct LogEntries {
    std::vector<LogEntry> entries;
    std::vector<std::string_view> identities;
    std::deque<std::string> changedLines;
    std::size_t lineCount = 0;  // the section's lines, entries or not, as loading it gives them
};

// How a line of the section reads: start "=" end "=" cause "=" system, fields cut at every
// "=" as far as the system (a fifth field does not change the fourth). A line of fewer than
// three fields is no entry; one of three names no system. Time stamps read as
// ParseTimestamp reads them, with `now` standing in for unreadable ones; the cause is its
// leading number, held in 16 bits, as a time stamp field is read.

// The entries of section "Log" in a file's text, read where they stand: the lines that
// LoadSectionText gives for the section (blank and comment lines left out, "~" read as
// a Tab).
LogEntries ReadLogEntries(std::string_view fileText, DateTime now);

// The entries of the text of a loaded "Log" section (or of any text read as one).
LogEntries ReadSectionEntries(std::string_view sectionText, DateTime now);

}  // namespace uptrail
