#pragma once
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "sessionlog/date_time.h"

namespace uptrail {

// The state of a menu item that the logic reads and sets; the shell renders it.
struct MenuItemState {
    bool checked = false;
    bool enabled = true;
    bool visible = true;
};

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

    // Option items of the right-hand menu.
    MenuItemState mRightAuto;      // "Start with &Windows"
    MenuItemState mRightWithout;   // "Don't create Tray &Icon"
    MenuItemState mRightAnimated;  // "Animated &Tray Icon"
    MenuItemState mRightHide;      // "&Hide Tray Icon"
    MenuItemState mListMode;       // "&All Systems"
    std::string lastDelayValue;    // value of "Last Delay:"
};

}  // namespace uptrail
