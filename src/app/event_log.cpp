#include "app/event_log.h"

#include "base/timestamp.h"
#include "sessionlog/session_events.h"
#include "storage/settings_store.h"

namespace uptrail {

void ReadEventLogSwitch(MainContext& context) {
    const std::string stored = Get(context.Settings(), setting::kEventLog);
    context.state.session.writesEvents = stored.empty() || TimestampFieldValue(stored) != 0;
}

void ReportLoggedSession(MainContext& context, const SessionEntry& entry) {
    if (!context.state.session.writesEvents) return;
    Platform& platform = context.platform;
    const LogFileText file = ReadLogFile(platform.files, context.state.session.logFile);
    if (file.error != kOk) return;
    static_cast<void>(
        platform.events.Write(LoggedSessionEvent(file.text, entry, platform.clock.Now())));
}

void ReportHistoryCleared(MainContext& context, std::string_view command, DateTime cutOff,
                          std::int64_t removed) {
    if (!context.state.session.writesEvents) return;
    static_cast<void>(context.platform.events.Write(
        HistoryClearedEvent(command, cutOff, removed, context.state.session.systemId)));
}

}  // namespace uptrail
