#pragma once
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
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

// The time each system slept, ready to tell how many minutes any session of it slept. A
// system's periods are merged where they overlap or repeat (a line written twice, two
// installations' lines of one sleep), so no session sleeps longer than it ran; systems are
// told apart as identities are everywhere, without regard to case.
class SleepIndex {
public:
    explicit SleepIndex(std::span<const SleepPeriod> sleeps);

    bool Empty() const { return bySystem_.empty(); }

    // The minutes `system` slept from `start` to `end`, counted in minute boundaries of each
    // merged period's part inside it, as sessions are counted. Takes the time of a look-up
    // however many periods the session spans.
    std::int64_t MinutesIn(std::string_view system, DateTime start, DateTime end) const;

    // The minutes each entry of `log` slept, in its order.
    std::vector<std::int64_t> MinutesOf(const LogEntries& log) const;

private:
    struct Periods {
        std::vector<DateTime> starts;  // disjoint, in time order
        std::vector<DateTime> ends;
        std::vector<std::int64_t> minutesBefore;  // whole minutes of the periods before each
    };
    const Periods* Find(std::string_view system) const;
    static std::int64_t MinutesIn(const Periods& periods, DateTime start, DateTime end);

    std::unordered_map<std::string, Periods> bySystem_;  // by identity in lower case
};

// The minutes `system` slept in the session from `start` to `end`.
std::int64_t SleepMinutesIn(std::span<const SleepPeriod> sleeps, std::string_view system,
                            DateTime start, DateTime end);

}  // namespace uptrail
