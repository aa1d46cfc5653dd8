#pragma once
#include "app/main_state.h"
#include "platform/tray_icon.h"

namespace uptrail {

// The longest wait, in clock ticks (seconds), between two tries to add an icon the shell
// refused. The wait doubles from one second up to this: a taskbar that is not there yet
// announces itself once it is, so a long wait costs nothing, and a shell that keeps
// refusing is not asked every second for the rest of the session.
inline constexpr int kMaxTrayRetrySeconds = 300;

// Adds the icon, or finds that the shell has it already, and sets `tray.iconShown` to
// the outcome; a refusal schedules the next try.
void ShowTrayIcon(TrayState& tray, TrayIcon& shell);

// Once a second while the icon should be there: tries again when the wait is over.
void RetryTrayIcon(TrayState& tray, TrayIcon& shell);

// The taskbar announced itself: it was created anew, or it rescaled and keeps its icons.
void ShowTrayIconToNewTaskbar(TrayState& tray, TrayIcon& shell);

// Removes the icon whenever one may be shown, and lets the next tick add it afresh.
void RemoveTrayIcon(TrayState& tray, TrayIcon& shell);

}  // namespace uptrail
