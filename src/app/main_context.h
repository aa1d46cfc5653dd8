#pragma once
#include "app/main_state.h"
#include "base/settings_key.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/event_sink.h"
#include "platform/file_system.h"
#include "platform/http_client.h"
#include "platform/locale.h"
#include "platform/program_window.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "platform/time_zone.h"
#include "platform/tray_icon.h"
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
};

// The main window's logic: its platform and its state, passed to every handler.
struct MainContext {
    Platform platform;
    MainState state;

    // The settings store of the running installation (log file and own section).
    SettingsStore Settings() {
        return SettingsStore{platform.files, platform.registry, state.session.logFile,
                             state.session.systemId, SettingsKeyPath()};
    }

    // What the alarm add-on sees of the program.
    AlarmContext Alarms() {
        return AlarmContext{platform.clock,  platform.files,        platform.registry,
                            platform.system, platform.locale,       platform.alarmWindows,
                            state.alarms,    state.session.logFile, state.mainStarted};
    }
};

}  // namespace uptrail
