#include "app/main_events.h"

#include "app/session_tracker.h"

namespace uptrail {

void OnHeartbeatTimer(MainContext& context) {
    StoreHeartbeat(context.Settings(), context.platform.clock);
}

void OnClockTimer(MainContext& context) {
    MainState& state = context.state;
    if (!state.mRightWithout.checked && !state.iconShown) state.iconShown = context.platform.tray.Add();
}

void OnTaskbarCreated(MainContext& context) {
    if (!context.state.mRightWithout.checked) context.state.iconShown = context.platform.tray.Add();
}

void OnHandOverKey(MainContext& context) {
    TrayIcon& tray = context.platform.tray;
    if (context.state.iconShown) tray.Delete();
    context.state.iconShown = tray.Add();
}

void OnMainWindowClose(MainContext& context, SessionCause cause) {
    RecordClose(context.Settings(), cause, context.platform.clock.Now());
    if (context.state.iconShown) context.platform.tray.Delete();
}

}  // namespace uptrail
