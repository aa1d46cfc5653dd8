#include "app/session_menus.h"

#include <algorithm>
#include <vector>

#include "alarm/alarm_commands.h"
#include "base/duration_text.h"
#include "base/version_info.h"
#include "sessionlog/end_reason.h"
#include "sessionlog/log_entries.h"
#include "sessionlog/session_log.h"
#include "sessionlog/sleep_log.h"
#include "sessionlog/statistics.h"
#include "sessionlog/system_filter.h"
#include "storage/settings_store.h"

namespace uptrail {
namespace {

// Popup lines are two pixels lower than the menu bar the system measures, and four lines
// go to the current session, "Full &Log..." and their separators.
constexpr int kPopupLineShrink = 2;
constexpr int kLinesBesideSessions = 4;
constexpr int kMostListedSessions = 50;

constexpr std::string_view kCrashedMessage = "This session was crashed.";
constexpr std::string_view kClosedMessage =
    "You do not have accurate information about this session\r\n"
    "because Uptrail was closed manually before the system reboot.";

// What one rebuild lists, decided before the list is walked.
struct ListFilter {
    std::vector<std::string> shown;
    bool allSystems = false;
    bool showNames = false;
    std::size_t limit = 0;

    bool Lists(std::string_view system) const { return allSystems || IsShown(shown, system); }
};

StatisticsTexts StatisticsTextsOf(const MainContext& context) {
    const Locale& locale = context.platform.locale;
    return {context.state.session.statsFrom, context.state.menus.lastDelayValue,
            locale.DecimalSeparator(), &locale.Months()};
}

// Newest first, as far as the limit and the filter allow; every entry with a system
// counts toward its last exit, listed or not.
void ListSessions(MainContext& context, const LogEntries& log, const EndReasons& reasons,
                  const ListFilter& filter, SystemExits& exits) {
    MainState& state = context.state;
    const MonthNames& months = context.platform.locale.Months();
    const std::vector<bool> listed =
        ListedIdentities(log.identities, filter.shown, filter.allSystems);
    for (auto entry = log.entries.rbegin(); entry != log.entries.rend(); ++entry) {
        if (entry->system == kNoSystem) continue;
        const std::string_view system = log.identities[entry->system];
        exits.Note(system, entry->end);
        if (state.menus.sessionItems.size() >= filter.limit || !listed[entry->system]) continue;
        const std::string_view named = filter.showNames ? system : "";
        state.menus.sessionItems.push_back(
            {FormatSessionLine(entry->start, entry->end, named, months, state.session.driveTable),
             entry->cause, std::string(reasons.Of(entry->start))});
    }
}

// The own system is offered even before the log held a line.
void EnsureOwnSystemItem(MainContext& context, const ListFilter& filter) {
    MainState& state = context.state;
    if (!state.menus.systemItems.empty()) return;
    state.menus.systemItems.push_back(
        {FormatSystemName(state.session.systemId, state.session.driveTable), state.session.systemId,
         filter.Lists(state.session.systemId)});
}

}  // namespace

bool HoldsSeveralSystems(const LogEntries& log) {
    // Every identity kept is named by some entry, and they differ byte for byte.
    return log.identities.size() > 1;
}

std::size_t SessionListLimit(int screenHeight, int menuHeight) {
    // A menu height the system reports as 2 pixels or less would divide by zero or less.
    const int lineHeight = std::max(menuHeight - kPopupLineShrink, 1);
    const int fitting =
        MinOf(std::int64_t{screenHeight} / lineHeight - kLinesBesideSessions, kMostListedSessions);
    return static_cast<std::size_t>(std::max(fitting, 0));
}

void RefreshSessionMenus(MainContext& context) {
    MainState& state = context.state;
    Platform& platform = context.platform;
    ListFilter filter;
    filter.shown = ShownSystems(Get(context.Settings(), setting::kSysList), state.session.systemId);
    filter.allSystems = state.menus.mListMode.checked;
    filter.limit = SessionListLimit(platform.desktop.ScreenHeight(), platform.desktop.MenuHeight());

    // The entries are read in place from the file's bytes: on a long log every copy of
    // them costs some megabytes.
    const LogFileText file = ReadLogFile(platform.files, state.session.logFile);
    if (file.error != kOk) {
        // A log that is there but cannot be read now (locked, no rights) is no empty log:
        // the figures and lists of the last rebuild stay.
        EnsureOwnSystemItem(context, filter);
        return;
    }
    const DateTime now = platform.clock.Now();
    const LogEntries log = ReadLogEntries(file.text, now);
    const SleepIndex sleeps(ReadSleepPeriods(file.text, now));
    state.session.asleepMinutes =
        sleeps.MinutesIn(state.session.systemId, state.session.bootTime, now);
    filter.showNames = HoldsSeveralSystems(log) && (filter.allSystems || filter.shown.size() >= 2);
    state.menus.currentSessionTag = filter.showNames ? state.session.systemId : "";
    WriteStatistics(CountSessions(log.entries, state.session.bootTime, sleeps.MinutesOf(log)),
                    StatisticsTextsOf(context), state.menus.statistics);

    // Shown both ways: a log folder chosen since the last rebuild may hold a longer log.
    state.menus.mLeftSeparator.visible = state.menus.mLeftFull.visible =
        log.lineCount > filter.limit;
    state.menus.sessionItems.clear();
    if (log.lineCount == 0) {
        EnsureOwnSystemItem(context, filter);
        return;
    }
    SystemExits exits(state.session.systemId);
    ListSessions(context, log, EndReasons::Read(file.text), filter, exits);
    state.menus.systemItems =
        exits.MenuItems(filter.shown, filter.allSystems, state.session.driveTable, platform.locale);
    state.menus.systemSeparatorVisible = exits.Size() > 1;
    state.menus.statisticsDisabled = true;
}

void OnLeftMenuOpening(MainContext& context) {
    MainState& state = context.state;
    const DateTime now = context.platform.clock.Now();
    const DateTime start = ParseTimestamp(Get(context.Settings(), setting::kLastStart),
                                          TimestampPart::kDateAndTime, now);
    state.menus.currentSessionCaption =
        FormatSessionLine(start, now, state.menus.currentSessionTag,
                          context.platform.locale.Months(), state.session.driveTable);
}

void OnSessionItemClick(MainContext& context, std::size_t index) {
    const auto& items = context.state.menus.sessionItems;
    if (index >= items.size()) return;
    const SessionListItem& item = items[index];
    std::string text;
    MessageIcon icon = MessageIcon::kInformation;
    if (item.cause == SessionCause::kCrashed) {
        text = kCrashedMessage;
        icon = MessageIcon::kStop;
    } else if (item.cause == SessionCause::kProgramClosed) {
        text = kClosedMessage;
        icon = MessageIcon::kExclamation;
    }
    if (!item.reason.empty()) text.append(text.empty() ? "" : "\r\n\r\n").append(item.reason);
    if (text.empty()) return;
    context.platform.desktop.ShowMessage(text, std::string(kVersion.title) + " Info", icon);
}

void OnFullLogClick(MainContext& context) {
    // Quiet by design: without a viewer for text files the command does nothing.
    static_cast<void>(context.platform.desktop.OpenFile(context.state.session.logFile));
}

void OnSystemItemClick(MainContext& context, std::size_t index) {
    MainState& state = context.state;
    if (index >= state.menus.systemItems.size()) return;
    SystemChoice& item = state.menus.systemItems[index];
    item.checked = !item.checked;
    Put(context.Settings(), setting::kSysList, CheckedSystemList(state.menus.systemItems));
    // With all systems listed every item is checked; unchecking one means "all but this".
    if (!item.checked && state.menus.mListMode.checked) {
        OnListModeClick(context);
    } else {
        RefreshSessionMenus(context);
    }
}

void OnListModeClick(MainContext& context) {
    MainState& state = context.state;
    state.menus.mListMode.checked = !state.menus.mListMode.checked;
    Put(context.Settings(), setting::kListMode,
        std::to_string(BoolToFlag(state.menus.mListMode.checked)));
    RefreshSessionMenus(context);
}

void OnRightMenuOpening(MainContext& context) {
    MainState& state = context.state;
    state.options.mRightNow.enabled = state.session.statsFrom != state.session.bootTime;
    state.options.mRightOldest.enabled = state.session.logCount > kEraseOldestLimit;
    RefreshAlarmMenu(context.Alarms());
}

}  // namespace uptrail
