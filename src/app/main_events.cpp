#include "app/main_events.h"

#include <algorithm>
#include <cstdint>

#include "base/duration_text.h"
#include "base/timestamp.h"
#include "sessionlog/session_tracker.h"
#include "storage/settings_store.h"

namespace uptrail {

void OnHeartbeatTimer(MainContext& context) {
    StoreHeartbeat(context.Settings(), context.platform.clock);
}

void OnClockTimer(MainContext& context) {
    MainState& state = context.state;
    TrayIcon& tray = context.platform.tray;
    if (!state.options.mRightWithout.checked && !state.tray.iconShown)
        state.tray.iconShown = tray.Add();
    if (!state.options.mRightAnimated.checked) return;
    const DateTimeFields now = FieldsOf(context.platform.clock.Now());
    const ClockDial& dial = state.tray.dial;
    state.tray.dial.Tick(now.hour, now.minute, now.second, state.tray.animationLevel);
    // Asked at every tick, so that a new scale shows within a second.
    const int size = tray.IconSize();
    if (size == ClockDial::kSize)
        tray.ShowClock(dial.Picture());
    else
        tray.ShowClock(RenderDial(size, dial.Hands(), state.tray.animationLevel));
}

void OnTaskbarCreated(MainContext& context) {
    if (!context.state.options.mRightWithout.checked)
        context.state.tray.iconShown = context.platform.tray.Add();
}

void OnHandOverKey(MainContext& context) {
    TrayIcon& tray = context.platform.tray;
    if (context.state.tray.iconShown) tray.Delete();
    context.state.tray.iconShown = tray.Add();
}

std::string DurationTip(DateTime sessionStart, DateTime now) {
    using std::chrono::floor;
    using std::chrono::minutes;
    // Minutes are counted as minute boundaries passed, as the session list counts them.
    const auto elapsed = floor<minutes>(now) - floor<minutes>(sessionStart);
    const auto clamped = std::clamp<std::int64_t>(elapsed.count(), INT32_MIN, INT32_MAX);
    constexpr std::size_t kTipCharacters = 63;  // the shell's field holds 64 with the zero
    std::string tip = "Duration: " + FormatDayDuration(static_cast<std::int32_t>(clamped));
    tip.resize(std::min(tip.size(), kTipCharacters));
    return tip;
}

void OnTrayMouseMove(MainContext& context) {
    const DateTime now = context.platform.clock.Now();
    const DateTime start = ParseTimestamp(Get(context.Settings(), setting::kLastStart),
                                          TimestampPart::kDateAndTime, now);
    context.platform.tray.SetTip(DurationTip(start, now));
    if (context.state.tray.iconShown) context.platform.tray.Modify();
}

void OnMainWindowClose(MainContext& context, SessionCause cause) {
    RecordClose(context.Settings(), cause, context.platform.clock.Now());
    if (context.state.tray.iconShown) context.platform.tray.Delete();
}

}  // namespace uptrail
