#include "app/windows_history.h"

#include <memory>
#include <string>

#include "app/log_change.h"
#include "app/session_menus.h"
#include "sessionlog/past_import.h"
#include "sessionlog/past_sessions.h"
#include "sessionlog/session_log.h"
#include "storage/atomic_file.h"
#include "storage/setting_names.h"

namespace uptrail {
namespace {

bool ImportRan(const SettingsStore& settings) {
    return !Get(settings, setting::kImportedSessions).empty();
}

}  // namespace

void StartPastImport(MainContext& context) {
    if (ImportRan(context.Settings())) return;
    // A reading that cannot start is tried again at the next start.
    static_cast<void>(context.platform.systemLog.StartReading());
}

void OnSystemLogRead(MainContext& context, std::span<const ShutdownRecord> records) {
    if (records.empty()) return;
    // Kept with the change, which a log held open elsewhere may put off to a heartbeat.
    const auto past = std::make_shared<const PastSessions>(
        SessionsFromRecords(records, context.state.session.systemId));
    const auto apply = [&context, past](const SettingsStore& settings) {
        // Another account's copy may have imported since this one started reading.
        if (ImportRan(settings)) return;
        SessionState& session = context.state.session;
        const DateTime now = context.platform.clock.Now();
        const LogFileText file = ReadLogFile(settings.files, settings.logFile);
        if (file.error != kOk) return;
        const PastImport import = AddPastSessions(file.text, *past, settings.systemId, now);
        if (import.sessions > 0 &&
            ReplaceFileContents(settings.files, settings.logFile, import.text) != kOk)
            return;
        Put(settings, setting::kImportedSessions, std::to_string(import.sessions));
        static_cast<void>(ProtectLogFile(settings.files, settings.logFile));
        const TrimResult counted =
            TrimLog(settings.files, settings.logFile, false, session.bootTime, now);
        session.statsFrom = counted.statsFrom;
        session.logCount = counted.logCount;
    };
    ChangeLog(context, "import", apply, [&context] { RefreshSessionMenus(context); });
}

}  // namespace uptrail
