#pragma once
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/date_time.h"
#include "platform/file_system.h"
#include "sessionlog/log_entries.h"

namespace uptrail {

// A period in which the PC slept or hibernated, as section "Sleep" holds it:
// start "=" end "=" system.
struct SleepPeriod {
    DateTime start{};
    DateTime end{};
    std::string system;
};

// The periods of section "Sleep" in a file's text, sorted by their start. Lines of fewer
// than three fields, and periods that end before they start, are left out; time stamps
// read as ParseTimestamp reads them, with `now` standing in for unreadable ones.
std::vector<SleepPeriod> ReadSleepPeriods(std::string_view fileText, DateTime now);

// Adds a period to section "Sleep" the way a session entry is added to "Log".
[[nodiscard]] OsError AppendSleepPeriod(FileSystem& files, const std::filesystem::path& logFile,
                                        const SleepPeriod& period);

// The minutes each entry of `log` slept, in its order: the periods of the entry's system
// that overlap it, cut to it, counted in minute boundaries as sessions are.
std::vector<std::int64_t> SleepMinutesOf(const LogEntries& log,
                                         std::span<const SleepPeriod> sleeps);

// The minutes `system` slept in the session from `start` to `end`, counted the same way.
std::int64_t SleepMinutesIn(std::span<const SleepPeriod> sleeps, std::string_view system,
                            DateTime start, DateTime end);

}  // namespace uptrail
