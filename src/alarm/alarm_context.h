#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "alarm/alarm_list.h"
#include "alarm/alarm_menu.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/locale.h"
#include "platform/machine_sessions.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "storage/log_writer.h"

namespace uptrail {

// Every alarm of the program, shared by the main window and the alarm windows, and the
// submenu that lists the waiting ones.
struct AlarmState {
    AlarmList list;
    AlarmMenuState menu;
    // The log file as this copy last read or wrote its alarms: a change tells that
    // another copy may have stored alarms since.
    std::optional<FileStamp> seenStamp;
};

// What the alarm add-on asks of the program's windows.
class AlarmWindows {
public:
    virtual ~AlarmWindows() = default;

    // Runs or stops the once-a-second check for alarms that have fallen due.
    virtual void SetAlarmCheck(bool on) = 0;

    // Opens an alarm window for the alarm with this key ("" for a new alarm).
    virtual void OpenAlarmWindow(std::string_view key) = 0;

    // Brings an open alarm window to the front.
    virtual void ActivateAlarmWindow(std::uintptr_t window) = 0;
};

// The services and the state the alarm add-on works with.
struct AlarmContext {
    Clock& clock;
    FileSystem& files;
    Registry& registry;
    SystemInfo& system;
    const Locale& locale;
    AlarmWindows& windows;
    AlarmState& state;
    // The session log, which keeps the alarms in a section of its own. Until the main
    // window has started, an alarm window finds it itself.
    std::filesystem::path& logFile;
    const bool& mainStarted;
    // Saves of the alarms are changes of the log like any other.
    LogWriter& writer;
    // Whose screen a due alarm may open its window on.
    const MachineSessions& sessions;
};

}  // namespace uptrail
