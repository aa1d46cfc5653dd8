#include "alarm/alarm_commands.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "alarm/alarm_list.h"
#include "alarm/alarm_menu.h"
#include "base/timestamp.h"

namespace uptrail {

void LoadAlarmsAtStartup(const AlarmContext& context) {
    AlarmState& state = context.state;
    state.seenStamp = context.files.StampOf(context.logFile);
    LoadAlarms(state.list, context.files, context.logFile, false, context.clock.Now());
    RefreshAlarmMenu(context);
}

void PickUpStoredAlarms(const AlarmContext& context) {
    AlarmState& state = context.state;
    const auto stamp = context.files.StampOf(context.logFile);
    if (!stamp || stamp == state.seenStamp) return;
    state.seenStamp = stamp;
    AdoptAlarms(state.list, ReloadedAlarms(state.list, context.files, context.logFile));
    RefreshAlarmMenu(context);
}

void SaveAlarmList(const AlarmContext& context) {
    auto merged = std::make_shared<MergedAlarms>();
    const std::filesystem::path logFile = context.logFile;
    AlarmState& state = context.state;
    FileSystem& files = context.files;
    // The list is read at each run: a save kept for later writes the list as it is then.
    const auto apply = [&state, logFile, merged](FileSystem& staged) {
        static_cast<void>(WriteAlarms(state.list, staged, logFile, *merged));
    };
    const auto written = [&state, &files, logFile, merged] {
        AdoptAlarms(state.list, std::move(*merged));
        state.seenStamp = files.StampOf(logFile);
    };
    // Refused, the save is kept and runs again with the next change of the log; the list
    // in memory stays as this copy has it meanwhile.
    static_cast<void>(context.writer.Run(logFile, {{}, apply, written}));
    RefreshAlarmMenu(context);
}

void RefreshAlarmMenu(const AlarmContext& context) {
    AlarmState& state = context.state;
    state.menu = BuildAlarmMenu(state.list, context.clock.Now(), context.locale.Months());
    context.windows.SetAlarmCheck(!state.list.Empty());
}

void OnAlarmNewClick(const AlarmContext& context) {
    // As the menu shows: no new alarm while an alarm window holds an entry.
    const std::vector<AlarmEntry>& entries = context.state.list.Entries();
    if (std::any_of(entries.begin(), entries.end(),
                    [](const AlarmEntry& e) { return e.hWnd != 0; }))
        return;
    context.state.list.AddEmpty();
    context.windows.OpenAlarmWindow("");
}

void OnAlarmItemClick(const AlarmContext& context, std::size_t item) {
    const std::vector<AlarmMenuItem>& items = context.state.menu.items;
    if (item >= items.size()) return;
    const std::string key = items[item].tag;
    // One window per alarm: a second click brings the open one forward.
    const std::vector<AlarmEntry>& entries = context.state.list.Entries();
    const auto sameKey = [&](const AlarmEntry& entry) { return entry.Key == key; };
    const bool freeEntry =
        std::any_of(entries.begin(), entries.end(),
                    [&](const AlarmEntry& entry) { return sameKey(entry) && entry.hWnd == 0; });
    const auto held = std::find_if(entries.begin(), entries.end(), sameKey);
    if (!freeEntry && held != entries.end())
        context.windows.ActivateAlarmWindow(held->hWnd);
    else
        context.windows.OpenAlarmWindow(key);
}

void OnMainAlertTick(const AlarmContext& context) {
    PickUpStoredAlarms(context);
    if (!context.sessions.AtTheScreen()) return;
    AlarmState& state = context.state;
    const DateTime now = context.clock.Now();
    // Opening a window changes the list (the window takes its entry), so the due alarms
    // are gathered first.
    std::vector<std::string> due;
    for (const AlarmEntry& entry : state.list.Entries()) {
        if (entry.Key.empty() || entry.hWnd != 0) continue;
        if (ParseTimestamp(entry.Key, TimestampPart::kDateAndTime, now) > now) continue;
        const std::optional<int> position = FindMenuIndexByTag(state.menu, entry.Key);
        if (position && *position >= kFirstAlarmItemPosition) due.push_back(entry.Key);
    }
    for (const std::string& key : due) context.windows.OpenAlarmWindow(key);
}

}  // namespace uptrail
