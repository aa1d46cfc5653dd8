#include "app/tray_presence.h"

#include <algorithm>

namespace uptrail {

void ShowTrayIcon(TrayState& tray, TrayIcon& shell) {
    tray.iconMayBeShown = true;
    // The shell refuses to add an icon it already has: a taskbar that rescaled keeps its
    // icons, and an add that timed out while Windows signed in may have worked all the
    // same. Then the change of an icon it has is taken.
    tray.iconShown = shell.Add() || shell.Modify();
    if (tray.iconShown) {
        tray.retryWait = 0;
        tray.retryCountdown = 0;
        return;
    }
    tray.retryWait = std::clamp(tray.retryWait * 2, 1, kMaxTrayRetrySeconds);
    tray.retryCountdown = tray.retryWait;
}

void RetryTrayIcon(TrayState& tray, TrayIcon& shell) {
    if (tray.iconShown) return;
    if (--tray.retryCountdown > 0) return;
    ShowTrayIcon(tray, shell);
}

void ShowTrayIconToNewTaskbar(TrayState& tray, TrayIcon& shell) {
    tray.retryWait = 0;
    ShowTrayIcon(tray, shell);
}

void RemoveTrayIcon(TrayState& tray, TrayIcon& shell) {
    // A refused delete means the shell no longer has the icon; either way it is gone.
    if (tray.iconShown || tray.iconMayBeShown) static_cast<void>(shell.Delete());
    tray.iconShown = false;
    tray.iconMayBeShown = false;
    tray.retryWait = 0;
    tray.retryCountdown = 0;
}

}  // namespace uptrail
