#pragma once
#include <cstdint>
#include <string_view>

#include "app/main_context.h"
#include "sessionlog/session_log.h"

namespace uptrail {

// Copies of the history for the Windows event log, where fleet tools collect them. The log
// file is the record: an event that cannot be written changes nothing and is not tried
// again. "EventLog" under the program's key turns them off (0) or on (1, the default).

// Reads the switch, as the start-up reads the other settings.
void ReadEventLogSwitch(MainContext& context);

// The session the start-up has just logged.
void ReportLoggedSession(MainContext& context, const SessionEntry& entry);

// A clear of the history by `command`, which removed the sessions begun before `cutOff`.
void ReportHistoryCleared(MainContext& context, std::string_view command, DateTime cutOff,
                          std::int64_t removed);

}  // namespace uptrail
