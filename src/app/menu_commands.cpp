#include "app/menu_commands.h"

#include <cstdint>

#include "alarm/alarm_commands.h"
#include "app/commands/about_box.h"
#include "app/commands/log_maintenance.h"
#include "app/commands/preference_toggles.h"
#include "app/commands/session_chart.h"
#include "app/commands/update_check.h"
#include "app/commands/web_commands.h"
#include "app/session_menus.h"

namespace uptrail {
namespace {

std::size_t ListIndex(const MenuCommand& command) {
    return command.index < 0 ? SIZE_MAX : static_cast<std::size_t>(command.index);
}

}  // namespace

void RunMenuCommand(MainContext& context, const MenuCommand& command) {
    switch (command.kind) {
    case MenuCommandKind::kSessionItem: OnSessionItemClick(context, ListIndex(command)); break;
    case MenuCommandKind::kFullLog: OnFullLogClick(context); break;
    case MenuCommandKind::kSystemItem: OnSystemItemClick(context, ListIndex(command)); break;
    case MenuCommandKind::kListMode: OnListModeClick(context); break;
    case MenuCommandKind::kSessionChart: OnSessionChartClick(context); break;
    case MenuCommandKind::kAbout: OnRightAboutClick(context); break;
    case MenuCommandKind::kStartWithWindows: OnRightAutoClick(context); break;
    case MenuCommandKind::kWithoutTrayIcon: OnRightWithoutClick(context); break;
    case MenuCommandKind::kAnimatedTrayIcon: OnRightAnimatedClick(context); break;
    case MenuCommandKind::kHideTrayIcon: OnRightHideClick(context); break;
    case MenuCommandKind::kExit: OnRightExitClick(context); break;
    case MenuCommandKind::kWebsite: OnRightSiteClick(context); break;
    case MenuCommandKind::kFeedback: OnRightMailClick(context); break;
    case MenuCommandKind::kCheckForUpdate: OnRightUpdateClick(context); break;
    case MenuCommandKind::kLogFolder: OnRightFolderClick(context); break;
    case MenuCommandKind::kEraseOldest: OnRightOldestClick(context); break;
    case MenuCommandKind::kMonitorFromNow: OnRightNowClick(context); break;
    case MenuCommandKind::kAlarmNew: OnAlarmNewClick(context.Alarms()); break;
    case MenuCommandKind::kAlarmItem: OnAlarmItemClick(context.Alarms(), ListIndex(command)); break;
    case MenuCommandKind::kNone: break;
    }
}

}  // namespace uptrail
