#include "alarm/alarm_commands.h"

#include <algorithm>
#include <string>
#include <vector>

#include "alarm/alarm_list.h"
#include "alarm/alarm_menu.h"
#include "sessionlog/timestamp.h"

namespace uptrail {

void LoadAlarmsAtStartup(MainContext& context) {
    MainState& state = context.state;
    Platform& platform = context.platform;
    LoadAlarms(state.alarms, platform.files, state.logFile, false, platform.clock.Now());
    RefreshAlarmMenu(context);
}

void RefreshAlarmMenu(MainContext& context) {
    MainState& state = context.state;
    Platform& platform = context.platform;
    state.alarmMenu = BuildAlarmMenu(state.alarms, platform.clock.Now(), platform.locale.Months());
    platform.window.SetAlarmCheck(!state.alarms.Empty());
}

void OnAlarmNewClick(MainContext& context) {
    // As the menu shows: no new alarm while an alarm window holds an entry.
    const std::vector<AlarmEntry>& entries = context.state.alarms.Entries();
    if (std::any_of(entries.begin(), entries.end(),
                    [](const AlarmEntry& e) { return e.hWnd != 0; }))
        return;
    context.state.alarms.AddEmpty();
    context.platform.window.OpenAlarmWindow("");
}

void OnAlarmItemClick(MainContext& context, std::size_t item) {
    const std::vector<AlarmMenuItem>& items = context.state.alarmMenu.items;
    if (item >= items.size()) return;
    const std::string key = items[item].tag;
    // One window per alarm: a second click brings the open one forward.
    const std::vector<AlarmEntry>& entries = context.state.alarms.Entries();
    const auto sameKey = [&](const AlarmEntry& entry) { return entry.Key == key; };
    const bool freeEntry =
        std::any_of(entries.begin(), entries.end(),
                    [&](const AlarmEntry& entry) { return sameKey(entry) && entry.hWnd == 0; });
    const auto held = std::find_if(entries.begin(), entries.end(), sameKey);
    if (!freeEntry && held != entries.end())
        context.platform.window.ActivateAlarmWindow(held->hWnd);
    else
        context.platform.window.OpenAlarmWindow(key);
}

void OnMainAlertTick(MainContext& context) {
    MainState& state = context.state;
    const DateTime now = context.platform.clock.Now();
    // Opening a window changes the list (the window takes its entry), so the due alarms
    // are gathered first.
    std::vector<std::string> due;
    for (const AlarmEntry& entry : state.alarms.Entries()) {
        if (entry.Key.empty() || entry.hWnd != 0) continue;
        if (ParseTimestamp(entry.Key, TimestampPart::kDateAndTime, now) > now) continue;
        if (FindMenuIndexByTag(state.alarmMenu, entry.Key) >= kFirstAlarmItemPosition)
            due.push_back(entry.Key);
    }
    for (const std::string& key : due) context.platform.window.OpenAlarmWindow(key);
}

}  // namespace uptrail
