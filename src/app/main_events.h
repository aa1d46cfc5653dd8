#pragma once
#include <cstdint>
#include <string>

#include "app/main_context.h"
#include "sessionlog/session_log.h"

namespace uptrail {

// The main window's timers and messages once start-up has run. Each is called by the
// shell for one event and keeps the state in `context` current.

// Every 30 seconds: the heartbeat that dates a session which ends without a close, with
// any change of the log kept from a refused write; and the alarms other copies stored.
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

// Why the program ends.
enum class ProgramEnd {
    kClosed,       // Exit, the setup's close, Windows' Restart Manager: an orderly close
    kSignOut,      // the account signs out; other accounts may go on
    kSessionEnds,  // Windows shuts down or restarts
};

// The window closes: records when and why (cause kWindowsEnded when Windows ends the
// session or the account, kProgramClosed otherwise), then removes the icon. An exit or a
// sign-out while another account's copy runs records only a heartbeat: the PC's session
// goes on, and the last copy records its close.
void OnMainWindowClose(MainContext& context, ProgramEnd end);

}  // namespace uptrail
