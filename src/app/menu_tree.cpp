#include "app/menu_tree.h"

namespace uptrail {
namespace {

MenuNode Separator() { return MenuNode{"-"}; }

MenuNode Command(std::string caption, MenuCommandKind kind, int index = 0) {
    return MenuNode{std::move(caption), {kind, index}};
}

MenuNode Option(std::string caption, MenuCommandKind kind, const MenuItemState& item) {
    MenuNode node = Command(std::move(caption), kind);
    node.checked = item.checked;
    node.enabled = item.enabled;
    return node;
}

MenuMark MarkForCause(SessionCause cause) {
    if (cause == SessionCause::kCrashed) return MenuMark::kStop;
    if (cause == SessionCause::kProgramClosed) return MenuMark::kExclamation;
    return MenuMark::kNone;
}

MenuNode SystemsSubmenu(const MainState& state) {
    MenuNode systems{"Syste&ms to show"};
    for (std::size_t i = 0; i < state.menus.systemItems.size(); ++i) {
        const SystemChoice& item = state.menus.systemItems[i];
        MenuNode node = Command(item.caption, MenuCommandKind::kSystemItem, static_cast<int>(i));
        node.checked = item.checked;
        systems.children.push_back(std::move(node));
        if (i == 0 && state.menus.systemSeparatorVisible) systems.children.push_back(Separator());
    }
    systems.children.push_back(Separator());
    systems.children.push_back(
        Option("&All Systems", MenuCommandKind::kListMode, state.menus.mListMode));
    return systems;
}

// The figures read as plain text once the log held a line: they cannot be chosen, but
// are not greyed either.
MenuNode StatisticsSubmenu(const MainState& state) {
    MenuNode statistics{"&Statistics"};
    for (const std::string& caption : state.menus.statistics) {
        MenuNode node{caption};
        node.enabled = !state.menus.statisticsDisabled;
        node.plainText = state.menus.statisticsDisabled;
        statistics.children.push_back(std::move(node));
    }
    return statistics;
}

MenuNode AlarmSubmenu(const AlarmMenuState& menu) {
    MenuNode alarms{"Add-&on: Alarm"};
    MenuNode newAlarm = Command("&New...", MenuCommandKind::kAlarmNew);
    newAlarm.enabled = menu.newEnabled;
    alarms.children.push_back(std::move(newAlarm));
    if (menu.separatorVisible) alarms.children.push_back(Separator());
    for (std::size_t i = 0; i < menu.items.size(); ++i) {
        MenuNode node =
            Command(menu.items[i].caption, MenuCommandKind::kAlarmItem, static_cast<int>(i));
        if (menu.items[i].repeating) node.mark = MenuMark::kRepeat;
        alarms.children.push_back(std::move(node));
    }
    return alarms;
}

void AddVisibleOption(std::vector<MenuNode>& menu, std::string caption, MenuCommandKind kind,
                      const MenuItemState& item) {
    if (item.visible) menu.push_back(Option(std::move(caption), kind, item));
}

}  // namespace

std::vector<MenuNode> BuildLeftMenu(const MainState& state) {
    std::vector<MenuNode> menu;
    menu.push_back(MenuNode{state.menus.currentSessionCaption});
    menu.push_back(Separator());
    for (std::size_t i = 0; i < state.menus.sessionItems.size(); ++i) {
        const SessionListItem& item = state.menus.sessionItems[i];
        MenuNode node = Command(item.caption, MenuCommandKind::kSessionItem, static_cast<int>(i));
        node.mark = MarkForCause(item.cause);
        menu.push_back(std::move(node));
    }
    if (state.menus.mLeftSeparator.visible) menu.push_back(Separator());
    if (state.menus.mLeftFull.visible)
        menu.push_back(Command("Full &Log...", MenuCommandKind::kFullLog));
    return menu;
}

std::vector<MenuNode> BuildRightMenu(const MainState& state) {
    std::vector<MenuNode> menu;
    menu.push_back(SystemsSubmenu(state));
    menu.push_back(StatisticsSubmenu(state));
    menu.push_back(Command("Session &Chart...", MenuCommandKind::kSessionChart));
    menu.push_back(AlarmSubmenu(state.alarms.menu));
    menu.push_back(Separator());
    menu.push_back(Command("&Log Folder...", MenuCommandKind::kLogFolder));
    menu.push_back(
        Option("Erase Oldest &Data...", MenuCommandKind::kEraseOldest, state.options.mRightOldest));
    menu.push_back(
        Option("Monitor from &Now...", MenuCommandKind::kMonitorFromNow, state.options.mRightNow));
    menu.push_back(Separator());
    menu.push_back(Command("We&bsite...", MenuCommandKind::kWebsite));
    menu.push_back(Command("&Feedback...", MenuCommandKind::kFeedback));
    menu.push_back(Option("Check for &Update...", MenuCommandKind::kCheckForUpdate,
                          state.options.mRightUpdate));
    menu.push_back(Command("&About...", MenuCommandKind::kAbout));
    menu.push_back(Separator());
    menu.push_back(Option("Start with &Windows", MenuCommandKind::kStartWithWindows,
                          state.options.mRightAuto));
    AddVisibleOption(menu, "Don't create Tray &Icon", MenuCommandKind::kWithoutTrayIcon,
                     state.options.mRightWithout);
    menu.push_back(Option("Animated &Tray Icon", MenuCommandKind::kAnimatedTrayIcon,
                          state.options.mRightAnimated));
    AddVisibleOption(menu, "&Hide Tray Icon", MenuCommandKind::kHideTrayIcon,
                     state.options.mRightHide);
    menu.push_back(Command("E&xit", MenuCommandKind::kExit));
    return menu;
}

}  // namespace uptrail
