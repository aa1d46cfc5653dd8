#pragma once
#include "app/main_state.h"
#include "base/settings_key.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/event_sink.h"
#include "platform/file_system.h"
#include "platform/http_client.h"
#include "platform/locale.h"
#include "platform/machine_lock.h"
#include "platform/machine_sessions.h"
#include "platform/program_window.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "platform/system_log.h"
#include "platform/time_zone.h"
#include "platform/tray_icon.h"
#include "storage/log_writer.h"
#include "storage/settings_store.h"

namespace uptrail {

// What the main window's logic reaches the system through.
struct Platform {
    Clock& clock;
    FileSystem& files;
    Registry& registry;
    SystemInfo& system;
    TrayIcon& tray;
    ProgramWindow& window;
    AlarmWindows& alarmWindows;
    Desktop& desktop;
    Locale& locale;
    HttpClient& http;
    const TimeZone& zone;
    EventSink& events;
    MachineLock& logLock;  // taken around every change of the log, machine-wide
    MachineSessions& sessions;
    SystemLogReader& systemLog;
};

// The main window's logic: its platform and its state, passed to every handler.
struct MainContext {
    Platform platform;
    MainState state;
    // Every change of the log goes through it; it keeps the ones that could not be written.
    LogWriter writer{platform.files, platform.logLock, platform.sessions.ProcessId()};

    // The settings store of the running installation (log file and own section); each
    // value put into the log file is a change of its own through the writer.
    SettingsStore Settings() {
        return SettingsStore{platform.files,         platform.registry, state.session.logFile,
                             state.session.systemId, SettingsKeyPath(), &writer};
    }

    // What the alarm add-on sees of the program.
    AlarmContext Alarms() {
        return AlarmContext{platform.clock,  platform.files,        platform.registry,
                            platform.system, platform.locale,       platform.alarmWindows,
                            state.alarms,    state.session.logFile, state.mainStarted,
                            writer,          platform.sessions};
    }
};

}  // namespace uptrail
