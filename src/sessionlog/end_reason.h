#pragma once
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/date_time.h"
#include "platform/file_system.h"
#include "platform/shutdown_records.h"

namespace uptrail {

// Why the session from `sessionStart` ended, the way a person says it ("Blue screen, stop
// code 0x0000009F"), from Windows' records (newest first) that lie between its start and a
// few minutes after `nextBoot`, when the following boot wrote its own. A stop code tells
// most, then the request to restart or power off, then a restart without a clean
// shut-down, then a shut-down found unexpected. Nothing when no record lies in between.
std::optional<std::string> DescribeSessionEnd(std::span<const ShutdownRecord> records,
                                              DateTime sessionStart, DateTime nextBoot);

// The reason as section "Reason" holds it: one line of ordinary characters, of a length a
// message box and a report line can show.
std::string StoredReasonText(std::string_view reason);

// Stores the reason in section "Reason", keyed by its session's start as "Log" holds it.
// The text is kept to one line of ordinary characters.
[[nodiscard]] OsError StoreEndReason(FileSystem& files, const std::filesystem::path& logFile,
                                     std::string_view sessionStart, std::string_view reason);

// The reasons of section "Reason", found by their session's start.
class EndReasons {
public:
    EndReasons() = default;
    // Keys that are no time stamp are left out; of two lines for one session the later
    // counts.
    static EndReasons Read(std::string_view fileText);

    // The reason of the session that started at `sessionStart`, or "".
    std::string_view Of(DateTime sessionStart) const;
    bool Empty() const { return reasons_.empty(); }

    // Files the reason of the session that started at `from` under `to` instead, for a
    // session whose start a range cuts off.
    void MoveStart(DateTime from, DateTime to);

private:
    std::vector<std::pair<DateTime, std::string>> reasons_;  // by start
};

}  // namespace uptrail
