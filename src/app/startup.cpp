#include "app/startup.h"

#include <memory>
#include <optional>

#include "alarm/alarm_commands.h"
#include "app/event_log.h"
#include "app/log_change.h"
#include "app/session_menus.h"
#include "app/startup_options.h"
#include "app/tray_presence.h"
#include "app/windows_history.h"
#include "base/text_encoding.h"
#include "base/timestamp.h"
#include "base/version_text.h"
#include "sessionlog/log_location.h"
#include "sessionlog/session_log.h"
#include "sessionlog/session_tracker.h"
#include "sessionlog/system_identity.h"
#include "storage/registry_store.h"
#include "storage/settings_store.h"

namespace uptrail {
namespace {

constexpr std::string_view kExplorerPolicies =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr std::string_view kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

std::string ProgramFileName() { return std::string(kVersion.exeName) + ".exe"; }

// A policy left behind by other software can hide every notification-area icon, and with
// it the program's only way to be reached.
void RepairTrayPolicy(Registry& registry) {
    const RegistryKey policies{RegistryRoot::kCurrentUser, std::string(kExplorerPolicies),
                               ProgramRegistryView(registry)};
    // Usually there is no such value to delete; either way the start goes on.
    static_cast<void>(registry.DeleteValue(policies, "NoTrayItemsDisplay"));
}

// Lets the Run entry name the program by its bare file name. Where even the fallback under
// the current user is refused, the program runs on; only a start with Windows then fails.
// Written as wide text: a folder named in a script the ANSI code page lacks (Greek on a
// Western system) would otherwise be stored with "?" and name no folder at all.
void RegisterAppPath(Registry& registry, const std::filesystem::path& programFolder) {
    const std::string key = std::string(kAppPaths) + ProgramFileName();
    // Joined with a backslash whatever the platform's separator, as Windows reads the value.
    std::filesystem::path programFile = programFolder;
    programFile += "\\";
    programFile += ProgramFileName();
    static_cast<void>(RegWritePath(registry, RegistryRoot::kLocalMachine, key, "", programFile));
    static_cast<void>(
        RegWritePath(registry, RegistryRoot::kLocalMachine, key, "Path", programFolder));
}

// The session bookkeeping of the start-up, as one change of the log: the trim, the
// program's first start in this session, the previous session's entry with its sleep and
// reason, and the running session's own keys. Under the machine-wide lock and on the file
// as it stands, so of several copies starting in one boot (one per signed-in account)
// exactly one finds the previous session unlogged, logs it and reports it. Should the
// write be refused, nothing of it is in the file, "LastStart" included, and it is tried
// again at the heartbeats.
void BeginSession(MainContext& context) {
    MainState& state = context.state;
    Platform& platform = context.platform;
    const DateTime now = platform.clock.Now();
    state.session.bootTime =
        SessionStart(now, platform.clock.TickCount(), platform.system.RecentBootRecords());
    context.writer.RemoveStaleTemporaries(state.session.logFile);
    auto logged = std::make_shared<std::optional<SessionEntry>>();
    const auto apply = [&context, now, logged](const SettingsStore& settings) {
        SessionState& session = context.state.session;
        const TrimResult trim =
            TrimLog(settings.files, settings.logFile, false, session.bootTime, now);
        session.statsFrom = trim.statsFrom;
        session.logCount = trim.logCount;
        context.state.menus.lastDelayValue = NoteProgramStart(settings, session.bootTime, now);
        *logged = RecordPreviousSession(settings, session.bootTime, now);
        if (*logged) RecordEndReason(settings, **logged, session.bootTime, context.platform.system);
        StartCurrentSession(settings, session.bootTime);
    };
    const auto written = [&context, logged] {
        if (*logged) ReportLoggedSession(context, **logged);
    };
    ChangeLog(context, "start", apply, written);
}

bool SettingIsOn(const SettingsStore& settings, const SettingName& name) {
    return TimestampFieldValue(Get(settings, name)) > 0;
}

}  // namespace

StartupOutcome RunStartup(MainContext& context) {
    Platform& platform = context.platform;
    MainState& state = context.state;
    if (platform.window.HandOverToRunningCopy()) return StartupOutcome::kHandedOver;
    platform.window.MarkAsRunningCopy();

    const std::filesystem::path programFolder = platform.system.ProgramFolder();
    RepairTrayPolicy(platform.registry);
    RegisterAppPath(platform.registry, programFolder);
    state.session.systemId = SystemIdentity(platform.system);
    state.session.logFile =
        LogFileIn(ResolveLogFolder(platform.registry, platform.files, platform.system));

    HideTrayIconItems(state);
    ApplyStoredOptions(context, programFolder);
    Put(context.Settings(), setting::kCurrentVersion, VersionText(false));

    ReadEventLogSwitch(context);
    platform.sessions.AnnounceRunningCopy();
    BeginSession(context);
    state.menus.mListMode.checked = SettingIsOn(context.Settings(), setting::kListMode);
    state.session.driveTable = BuildDriveTable(platform.system);
    RefreshSessionMenus(context);
    StartPastImport(context);
    LoadAlarmsAtStartup(context.Alarms());

    ShowTrayIcon(state.tray, platform.tray);
    state.mainStarted = true;
    return StartupOutcome::kStarted;
}

}  // namespace uptrail
