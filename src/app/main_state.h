#pragma once
#include <array>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "alarm/alarm_list.h"
#include "alarm/alarm_menu.h"
#include "sessionlog/date_time.h"
#include "visuals/clock_dial.h"

namespace uptrail {

// The state of a menu item that the logic reads and sets; the shell renders it.
struct MenuItemState {
    bool checked = false;
    bool enabled = true;
    bool visible = true;
};

// A logged session in the left-hand menu; the tag is its cause as decimal text.
struct SessionListItem {
    std::string caption;
    std::string tag;
};

// A system in "Syste&ms to show"; the tag is its identity.
struct SystemListItem {
    std::string caption;
    std::string tag;
    bool checked = false;
};

// The items of "&Statistics", positions 0 to 9, as designed; "-" is a separator. The
// figures are written after a Tab in the captions.
inline constexpr std::array<const char*, 10> kStatisticsCaptions{
    "Statistics From:", "-", "Average Session:", "Longest Session:", "System Off Time:",
    "Crashed Sessions:", "Min. Restart Time:", "-", "Last Off Time:", "Last Delay:"};
inline constexpr std::size_t kLastDelayPosition = 9;

inline std::array<std::string, 10> DesignedStatisticsCaptions() {
    std::array<std::string, 10> captions;
    for (std::size_t i = 0; i < captions.size(); ++i) captions[i] = kStatisticsCaptions[i];
    return captions;
}

// Drive roots ("C:") keyed by their serial text ("1A2B3C4D/", "--/"), in the order the
// system lists the drives; the first drive with a given key stays.
using DriveTable = std::vector<std::pair<std::string, std::string>>;

// Animation levels of the tray clock: how many hands it draws.
inline constexpr int kMinAnimationLevel = 1;
inline constexpr int kMaxAnimationLevel = 3;

// Everything the main window knows for the whole run, in one place.
struct MainState {
    std::filesystem::path logFile;  // the session log, program-wide
    std::string systemId;           // identity of the running installation
    DateTime bootTime{};            // start of the running system session
    DateTime statsFrom{};           // where statistics would start after Erase Oldest Data
    int logCount = 0;               // entries kept by the last trim
    int animationLevel = kMinAnimationLevel;
    DriveTable driveTable;
    bool iconShown = false;
    bool mainStarted = false;
    ClockDial dial;  // the tray clock, with the hands of the last tick

    // Option items of the right-hand menu.
    MenuItemState mRightAuto;      // "Start with &Windows"
    MenuItemState mRightWithout;   // "Don't create Tray &Icon"
    MenuItemState mRightAnimated;  // "Animated &Tray Icon"
    MenuItemState mRightHide;      // "&Hide Tray Icon"
    MenuItemState mListMode;       // "&All Systems"
    MenuItemState mRightNow;       // "Monitor from &Now..."
    MenuItemState mRightOldest;    // "Erase Oldest &Data..."
    MenuItemState mRightUpdate;    // "Check for &Update...": disabled while a check runs
    std::string lastDelayValue;    // value of "Last Delay:"

    // The left-hand menu: the current session, the logged sessions newest first, and
    // "Full &Log..." with the separator above it.
    std::string currentSessionCaption;  // mLeftCurrent
    std::string currentSessionTag;      // the own identity when system names are shown
    std::vector<SessionListItem> sessionItems;
    MenuItemState mLeftSeparator;
    MenuItemState mLeftFull;

    // "Syste&ms to show": element 0 is the own system, then the others; the separator
    // under the own system shows only when there are others.
    std::vector<SystemListItem> systemItems;
    bool systemSeparatorVisible = false;

    // "&Statistics": captions with their values, and whether the figures are shown as
    // plain text (disabled) once the log held a line.
    std::array<std::string, 10> statistics = DesignedStatisticsCaptions();
    bool statisticsDisabled = false;

    // Every alarm of the program, shared by the main window and the alarm windows, and
    // the submenu that lists the waiting ones.
    AlarmList alarms;
    AlarmMenuState alarmMenu;
};

}  // namespace uptrail
