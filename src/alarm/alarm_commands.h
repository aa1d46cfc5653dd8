#pragma once
#include <cstddef>

#include "app/main_context.h"

namespace uptrail {

// The main window's side of the alarm add-on: the list at start-up, its submenu, and the
// check that opens the window of an alarm that has fallen due.

// Start-up: the stored alarms as they are (an alarm missed while the computer was off is
// due at once and rings), then the submenu.
void LoadAlarmsAtStartup(MainContext& context);

// Builds "Add-&on: Alarm" afresh from the list, and runs the alarm check exactly while
// the list has entries.
void RefreshAlarmMenu(MainContext& context);

// "&New...": a new, empty alarm and its window.
void OnAlarmNewClick(MainContext& context);

// The item of a waiting alarm: its window, or the window already showing it.
void OnAlarmItemClick(MainContext& context, std::size_t item);

// Every second while the list has entries: opens the window of each waiting alarm that
// is due and that no window shows yet.
void OnMainAlertTick(MainContext& context);

}  // namespace uptrail
