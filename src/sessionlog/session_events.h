#pragma once
#include <cstdint>
#include <string_view>

#include "base/date_time.h"
#include "platform/event_sink.h"
#include "sessionlog/session_log.h"

namespace uptrail {

// The IDs of the program's events, each a message of its message table.
inline constexpr std::uint32_t kEndedByWindowsEvent = 1000;
inline constexpr std::uint32_t kClosedByHandEvent = 1001;
inline constexpr std::uint32_t kCrashedEvent = 1002;
inline constexpr std::uint32_t kHistoryClearedEvent = 1010;

// The event of a session the start-up has just logged, with what the log file's text holds
// about it. Its insertion strings, in this order: start and end in ISO 8601 local time,
// the length in minutes, the system identity, the minutes the PC was off before it (empty
// for the first session of the log), the minutes it slept, and why it ended (empty when
// not known). A crash is a warning, every other end information. The data is the same
// values as one UTF-8 line of comma-separated fields, quoted as CSV quotes them.
LogEvent LoggedSessionEvent(std::string_view fileText, const SessionEntry& entry, DateTime now);

// What a clear of the history removed: the command's name, the cut-off (sessions that
// began before it are gone) in ISO 8601 local time, how many sessions went, and the
// identity of the system that cleared it.
LogEvent HistoryClearedEvent(std::string_view command, DateTime cutOff, std::int64_t removed,
                             std::string_view system);

}  // namespace uptrail
