#pragma once
#include <cstddef>

#include "alarm/alarm_context.h"

namespace uptrail {

// The main window's side of the alarm add-on: the list at start-up, its submenu, and the
// check that opens the window of an alarm that has fallen due.

// Start-up: the stored alarms as they are (an alarm missed while the computer was off is
// due at once and rings), then the submenu.
void LoadAlarmsAtStartup(const AlarmContext& context);

// Builds "Add-&on: Alarm" afresh from the list, and runs the alarm check exactly while
// the list has entries.
void RefreshAlarmMenu(const AlarmContext& context);

// "&New...": a new, empty alarm and its window.
void OnAlarmNewClick(const AlarmContext& context);

// The item of a waiting alarm: its window, or the window already showing it.
void OnAlarmItemClick(const AlarmContext& context, std::size_t item);

// Every second while the list has entries: opens the window of each waiting alarm that
// is due and that no window shows yet.
void OnMainAlertTick(const AlarmContext& context);

}  // namespace uptrail
