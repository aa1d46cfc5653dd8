#include "app/main_events.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>

#include "alarm/alarm_commands.h"
#include "app/log_change.h"
#include "app/tray_presence.h"
#include "base/duration_text.h"
#include "base/timestamp.h"
#include "sessionlog/session_tracker.h"
#include "sessionlog/statistics.h"
#include "storage/settings_store.h"

namespace uptrail {
namespace {

constexpr std::int64_t kMinutesPerDay = 1440;

// "03h 02m" within a day, "01d 03h 02m" beyond.
std::string AwakeText(std::int64_t minutes) {
    const std::string text = FormatLongDayDuration(std::max<std::int64_t>(minutes, 0));
    if (minutes >= kMinutesPerDay) return text;
    return text.substr(text.find(' ') + 1);
}

}  // namespace

void OnHeartbeatTimer(MainContext& context) {
    const DateTime now = context.platform.clock.Now();
    // Changes kept from a refused write go first, in the same replace.
    ChangeLog(context, "heartbeat",
              [now](const SettingsStore& settings) { StoreHeartbeat(settings, now); });
    // The alarm check runs only while this copy has alarms; another copy's new ones are
    // taken in here meanwhile.
    PickUpStoredAlarms(context.Alarms());
}

void OnSuspend(MainContext& context) {
    const DateTime now = context.platform.clock.Now();
    ChangeLog(
        context, "sleep", [now](const SettingsStore& settings) { BeginSleep(settings, now); }, {},
        WriteHaste::kHurried);
}

void OnResume(MainContext& context) {
    const DateTime now = context.platform.clock.Now();
    const DateTime bootTime = context.state.session.bootTime;
    auto slept = std::make_shared<std::optional<SleepPeriod>>();
    const auto apply = [now, bootTime, slept](const SettingsStore& settings) {
        *slept = EndSleep(settings, bootTime, now);
        // The heartbeat of the suspend would date a crash soon after the wake too early.
        if (*slept) StoreHeartbeat(settings, now);
    };
    const auto written = [&context, slept] {
        if (*slept)
            context.state.session.asleepMinutes += MinuteBoundaries((*slept)->start, (*slept)->end);
    };
    ChangeLog(context, {}, apply, written);
}

void OnClockTimer(MainContext& context) {
    MainState& state = context.state;
    TrayIcon& tray = context.platform.tray;
    if (!state.options.mRightWithout.checked) RetryTrayIcon(state.tray, tray);
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
        ShowTrayIconToNewTaskbar(context.state.tray, context.platform.tray);
}

void OnHandOverKey(MainContext& context) {
    RemoveTrayIcon(context.state.tray, context.platform.tray);
    ShowTrayIcon(context.state.tray, context.platform.tray);
}

std::string DurationTip(DateTime sessionStart, DateTime now, std::int64_t asleepMinutes) {
    // Minutes are counted as minute boundaries passed, as the session list counts them.
    const std::int64_t elapsed = MinuteBoundaries(sessionStart, now);
    constexpr std::size_t kTipCharacters = 63;  // the shell's field holds 64 with the zero
    std::string tip = "Duration: " + FormatLongDayDuration(elapsed);
    if (asleepMinutes > 0) tip += ", awake " + AwakeText(elapsed - asleepMinutes);
    tip.resize(std::min(tip.size(), kTipCharacters));
    return tip;
}

void OnTrayMouseMove(MainContext& context) {
    const DateTime now = context.platform.clock.Now();
    const DateTime start = ParseTimestamp(Get(context.Settings(), setting::kLastStart),
                                          TimestampPart::kDateAndTime, now);
    context.platform.tray.SetTip(DurationTip(start, now, context.state.session.asleepMinutes));
    if (context.state.tray.iconShown) context.platform.tray.Modify();
}

void OnMainWindowClose(MainContext& context, ProgramEnd end) {
    const DateTime now = context.platform.clock.Now();
    const bool windowsEnds = end == ProgramEnd::kSessionEnds || end == ProgramEnd::kSignOut;
    // A sign-out or an exit ends this account's copy, not the PC's session, while another
    // account's copy runs on: its heartbeats date the session, and the last copy to go
    // records the close.
    const bool lastCopy =
        end == ProgramEnd::kSessionEnds || !context.platform.sessions.OtherCopyRunning();
    const SessionCause cause =
        windowsEnds ? SessionCause::kWindowsEnded : SessionCause::kProgramClosed;
    ChangeLog(
        context, {},
        [now, lastCopy, cause](const SettingsStore& settings) {
            if (lastCopy)
                RecordClose(settings, cause, now);
            else
                StoreHeartbeat(settings, now);
        },
        {}, windowsEnds ? WriteHaste::kHurried : WriteHaste::kNormal);
    RemoveTrayIcon(context.state.tray, context.platform.tray);
}

}  // namespace uptrail
