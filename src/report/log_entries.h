#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "sessionlog/date_time.h"

namespace uptrail {

inline constexpr std::uint32_t kNoSystem = UINT32_MAX;

// One entry of section "Log" as the report keeps it: a log holds tens of thousands, and
// the few systems they name are kept once each.
struct ReportEntry {
    DateTime start{};
    DateTime end{};
    std::int32_t cause = 0;
    std::uint32_t system = kNoSystem;  // index into LogEntries::identities; none on a line of three fields
};

// The entries of a log, oldest first, as ParseSessionEntries reads them, with the system
// identities they name (distinct byte for byte, in the order first met). The identities are
// views of the text that was read, or of the copies kept here of lines that loading the
// section changes (a "~" reads as a Tab): that text must outlive them.
struct LogEntries {
    std::vector<ReportEntry> entries;
    std::vector<std::string_view> identities;
    std::deque<std::string> changedLines;
};

// The entries of section "Log" in a file's text, read where they stand: the lines that
// LoadSectionText gives for the section (comment lines left out, "~" read as a Tab), taken
// apart as ParseSessionEntries takes them apart. `now` stands in for unreadable time stamps.
LogEntries ReadLogEntries(std::string_view fileText, DateTime now);

// The entries of the text of a loaded "Log" section, as ParseSessionEntries reads it.
LogEntries ReadSectionEntries(std::string_view sectionText, DateTime now);

}  // namespace uptrail
