#include "app/startup.h"

#include "app/log_location.h"
#include "app/session_tracker.h"
#include "app/startup_options.h"
#include "app/system_identity.h"
#include "commands/version_text.h"
#include "platform/text_encoding.h"
#include "sessionlog/session_log.h"
#include "sessionlog/timestamp.h"
#include "storage/registry_store.h"
#include "storage/settings_key.h"
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
    registry.DeleteValue(policies, "NoTrayItemsDisplay");
}

// Lets the Run entry name the program by its bare file name.
void RegisterAppPath(Registry& registry, const std::filesystem::path& programFolder) {
    const std::string key = std::string(kAppPaths) + ProgramFileName();
    const std::string folder = AnsiFromPath(programFolder);
    RegWrite(registry, RegistryRoot::kLocalMachine, key, "", folder + "\\" + ProgramFileName());
    RegWrite(registry, RegistryRoot::kLocalMachine, key, "Path", folder);
}

void BeginSession(MainContext& context) {
    MainState& state = context.state;
    Platform& platform = context.platform;
    const DateTime now = platform.clock.Now();
    state.bootTime =
        SessionStart(now, platform.clock.TickCount(), platform.system.RecentBootRecords());
    const TrimResult trim = TrimLog(platform.files, state.logFile, false, state.bootTime, now);
    state.statsFrom = trim.statsFrom;
    state.logCount = trim.logCount;
    state.lastDelayValue = NoteProgramStart(context.Settings(), state.bootTime, now);
}

bool SettingIsOn(const SettingsStore& settings, std::string_view key) {
    return TimestampFieldValue(Setting(settings, "get", key)) > 0;
}

}  // namespace

StartupOutcome RunStartup(MainContext& context, const StartupHooks& hooks) {
    Platform& platform = context.platform;
    MainState& state = context.state;
    if (platform.window.HandOverToRunningCopy()) return StartupOutcome::kHandedOver;
    platform.window.MarkAsRunningCopy();

    const std::filesystem::path programFolder = platform.system.ProgramFolder();
    RepairTrayPolicy(platform.registry);
    RegisterAppPath(platform.registry, programFolder);
    state.systemId = SystemIdentity(platform.system);
    state.logFile = LogFileIn(ResolveLogFolder(platform.registry, platform.files, platform.system));

    HideTrayIconItems(state);
    ApplyStoredOptions(context, programFolder);
    RegWrite(platform.registry, RegistryRoot::kLocalMachine, SettingsKeyPath(), "CurrentVersion",
             VersionText(false));

    BeginSession(context);
    state.mListMode.checked = SettingIsOn(context.Settings(), "ListMode");
    RecordPreviousSession(context.Settings(), state.bootTime, platform.clock.Now());
    state.driveTable = BuildDriveTable(platform.system);
    if (hooks.refreshSessionMenus) hooks.refreshSessionMenus(context);
    StartCurrentSession(context.Settings(), state.bootTime);
    if (hooks.loadAlarms) hooks.loadAlarms(context);

    state.iconShown = platform.tray.Add();
    state.mainStarted = true;
    return StartupOutcome::kStarted;
}

}  // namespace uptrail
