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

// Every second while the list has entries: takes in what other copies stored, then, in
// the session at the screen only, opens the window of each waiting alarm that is due and
// that no window shows yet. A copy whose session is switched away or disconnected keeps
// its due alarms for when its session comes back to the screen.
void OnMainAlertTick(const AlarmContext& context);

// Takes in the alarms other copies stored, when the log file changed since this copy
// last read or wrote it.
void PickUpStoredAlarms(const AlarmContext& context);

// Saves the list as one change of the log (see WriteAlarms) and takes the merged list
// over once it is written; then the submenu.
void SaveAlarmList(const AlarmContext& context);

}  // namespace uptrail
