#pragma once
#include <cstdint>
#include <string>

#include "app/main_context.h"
#include "sessionlog/session_log.h"

namespace uptrail {

// The main window's timers and messages once start-up has run. Each is called by the
// shell for one event and keeps the state in `context` current.

// Every 30 seconds: the heartbeat that dates a session which ends without a close.
void OnHeartbeatTimer(MainContext& context);

// Every second: adds the icon again once the wait after a refused add is over, unless the
// user chose to go without it; then, while the clock is animated, draws the time into the icon.
void OnClockTimer(MainContext& context);

// The taskbar announced itself: Explorer restarted and its icons are gone, or it changed
// its scale or display and still has them.
void OnTaskbarCreated(MainContext& context);

// A second copy of the program asks this one to show its icon.
void OnHandOverKey(MainContext& context);

// The PC goes to sleep or hibernates, and wakes again. Either wake-up notification ends
// the sleep; the second finds none pending.
void OnSuspend(MainContext& context);
void OnResume(MainContext& context);

// The pointer rests on the icon: the tooltip shows how long the running session lasts,
// "Duration: 02d 05h 17m", and when it slept, how long it was awake: ", awake 23h 02m".
void OnTrayMouseMove(MainContext& context);
std::string DurationTip(DateTime sessionStart, DateTime now, std::int64_t asleepMinutes = 0);

// The window closes: records when and why, then removes the icon. `cause` is
// kWindowsEnded when Windows ends the session, kProgramClosed for every other close.
void OnMainWindowClose(MainContext& context, SessionCause cause);

}  // namespace uptrail
