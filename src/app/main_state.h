#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "alarm/alarm_context.h"
#include "base/date_time.h"
#include "sessionlog/session_log.h"
#include "sessionlog/statistics.h"
#include "sessionlog/system_filter.h"
#include "sessionlog/system_identity.h"
#include "visuals/clock_dial.h"

namespace uptrail {

// The state of a menu item that the logic reads and sets; the shell renders it.
struct MenuItemState {
    bool checked = false;
    bool enabled = true;
    bool visible = true;
};

// A logged session in the left-hand menu.
struct SessionListItem {
    std::string caption;
    SessionCause cause = SessionCause::kWindowsEnded;
    std::string reason;  // why it ended, as Windows recorded it; may be empty
};

// Animation levels of the tray clock: how many hands it draws.
inline constexpr int kMinAnimationLevel = 1;
inline constexpr int kMaxAnimationLevel = 3;

// The running system session and the log it is recorded in.
struct SessionState {
    std::filesystem::path logFile;   // the session log, program-wide
    std::string systemId;            // identity of the running installation
    DateTime bootTime{};             // start of the running system session
    DateTime statsFrom{};            // where statistics would start after Erase Oldest Data
    int logCount = 0;                // entries kept by the last trim
    std::int64_t asleepMinutes = 0;  // how long the running session slept
    bool writesEvents = true;        // logged sessions go to the Windows event log too
    DriveTable driveTable;
};

// The option and log items of the right-hand menu.
struct OptionsState {
    MenuItemState mRightAuto;      // "Start with &Windows"
    MenuItemState mRightWithout;   // "Don't create Tray &Icon"
    MenuItemState mRightAnimated;  // "Animated &Tray Icon"
    MenuItemState mRightHide;      // "&Hide Tray Icon"
    MenuItemState mRightNow;       // "Monitor from &Now..."
    MenuItemState mRightOldest;    // "Erase Oldest &Data..."
    MenuItemState mRightUpdate;    // "Check for &Update...": disabled while a check runs
};

// The icon in the notification area.
struct TrayState {
    bool iconShown = false;       // the shell took the icon, or had it already
    bool iconMayBeShown = false;  // an add was tried since the last removal
    int retryWait = 0;            // seconds between the last refused add and the next try
    int retryCountdown = 0;       // seconds left until that try
    int animationLevel = kMinAnimationLevel;
    ClockDial dial;  // the tray clock, with the hands of the last tick
};

// What the left-hand menu, "Syste&ms to show" and "&Statistics" show.
struct SessionMenusState {
    // The current session, the logged sessions newest first, and "Full &Log..." with the
    // separator above it.
    std::string currentSessionCaption;
    std::string currentSessionTag;  // the own identity when system names are shown
    std::vector<SessionListItem> sessionItems;
    MenuItemState mLeftSeparator;
    MenuItemState mLeftFull;

    // "Syste&ms to show": element 0 is the own system, then the others; the separator
    // under the own system shows only when there are others.
    std::vector<SystemChoice> systemItems;
    bool systemSeparatorVisible = false;
    MenuItemState mListMode;  // "&All Systems"

    // "&Statistics": captions with their values, and whether the figures are shown as
    // plain text (disabled) once the log held a line.
    StatisticsCaptions statistics = DesignedStatisticsCaptions();
    bool statisticsDisabled = false;
    std::string lastDelayValue;  // value of "Last Delay:"
};

// Everything the main window knows for the whole run, by feature. Each feature is handed
// its own part; only the program's start-up and shell see the whole.
struct MainState {
    SessionState session;
    OptionsState options;
    TrayState tray;
    SessionMenusState menus;
    AlarmState alarms;  // shared by the main window and the alarm windows
    bool mainStarted = false;
};

}  // namespace uptrail
