// Windows' own records of how sessions ended, read from the System event log by the
// properties of each record, never from its message, which is localized.
#include <string>
#include <vector>

#include "win32/platform/event_log.h"
#include "win32/platform/win32_system_info.h"

namespace uptrail {
namespace {

constexpr wchar_t kShutdownEventQuery[] =
    L"*[System[(Provider[@Name='User32'] and EventID=1074)"
    L" or (Provider[@Name='Microsoft-Windows-Kernel-Power'] and EventID=41)"
    L" or (Provider[@Name='Microsoft-Windows-WER-SystemErrorReporting'] and EventID=1001)"
    L" or (Provider[@Name='EventLog'] and EventID=6008)]]";
// A few sessions' worth: the start-up asks only about the one that just ended.
constexpr DWORD kRecordsWanted = 32;

}  // namespace

std::vector<ShutdownRecord> Win32SystemInfo::RecentShutdownRecords() const {
    // Queried first: where the log cannot be read (Wine) the rest of the API may be missing.
    const auto events = NewestSystemEvents(kShutdownEventQuery, kRecordsWanted);
    if (events.empty()) return {};
    const RecordContexts contexts;
    if (!contexts) return {};
    std::vector<ShutdownRecord> records;
    for (const auto& event : events)
        if (auto record = contexts.RecordOf(event.get(), false))
            records.push_back(std::move(*record));
    return records;
}

}  // namespace uptrail
