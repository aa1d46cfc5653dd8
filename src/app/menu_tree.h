#pragma once
#include <string>
#include <vector>

#include "app/main_state.h"

namespace uptrail {

// What choosing a menu item does: the handler it runs and, for items of a list, which
// element was chosen.
enum class MenuCommandKind {
    kNone,
    kSessionItem,  // index into MainState::sessionItems
    kFullLog,
    kSystemItem,  // index into MainState::systemItems
    kListMode,
    kSessionChart,
    kAlarmNew,
    kAlarmItem,  // index into MainState::alarmMenu.items
    kLogFolder,
    kEraseOldest,
    kMonitorFromNow,
    kWebsite,
    kFeedback,
    kCheckForUpdate,
    kAbout,
    kStartWithWindows,
    kWithoutTrayIcon,
    kAnimatedTrayIcon,
    kHideTrayIcon,
    kExit,
};

struct MenuCommand {
    MenuCommandKind kind = MenuCommandKind::kNone;
    int index = 0;
    bool operator==(const MenuCommand&) const = default;
};

// The mark a session or alarm item carries in the check-mark column.
// A repeating alarm carries the program's own picture.
enum class MenuMark { kNone, kStop, kExclamation, kRepeat };

// One item of a popup menu as the shell renders it. A caption with a Tab shows the part
// after it right-aligned; "-" is a separator. Items with children open a submenu.
struct MenuNode {
    std::string caption{};
    MenuCommand command{};
    bool checked = false;
    bool enabled = true;
    // A disabled item that reads as ordinary text rather than greyed (the statistics).
    bool plainText = false;
    MenuMark mark = MenuMark::kNone;
    std::vector<MenuNode> children{};

    bool IsSeparator() const { return caption == "-"; }
};

// The left-hand menu: the current session, the logged sessions, "Full &Log...". Items
// that are not visible are left out, as the platform menu has no hidden items.
std::vector<MenuNode> BuildLeftMenu(const MainState& state);

// The right-hand menu: systems filter, statistics, the alarm add-on and the commands.
std::vector<MenuNode> BuildRightMenu(const MainState& state);

}  // namespace uptrail
