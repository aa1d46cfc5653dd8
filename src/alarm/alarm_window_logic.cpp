#include "alarm/alarm_window_logic.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "alarm/alarm_commands.h"
#include "alarm/alarm_schedule.h"
#include "base/duration_text.h"
#include "base/timestamp.h"
#include "sessionlog/log_location.h"

namespace uptrail {
namespace {

constexpr std::string_view kZeroShift = "0000:00:00";

// The numeric value of `count` characters of a box's text from `first` on.
int BoxField(std::string_view text, std::size_t first, std::size_t count) {
    if (first >= text.size()) return 0;
    return TimestampFieldValue(text.substr(first, count));
}

std::string SpinText(int hours, int minutes, int hourDigits) {
    return FormatPadded(hours, hourDigits) + ":" + FormatPadded(minutes, 2) + ":00";
}

Date DateOf(DateTime value) { return std::chrono::floor<std::chrono::days>(value); }

}  // namespace

AlarmWindowLogic::AlarmWindowLogic(const AlarmContext& context, AlarmWindowHost& host,
                                   std::string alarmKey)
    : context_(context), host_(host), sAlarmKey_(std::move(alarmKey)) {}

DateTime AlarmWindowLogic::Now() const { return context_.clock.Now(); }

AlarmEntry* AlarmWindowLogic::OwnEntry() {
    AlarmList& alarms = context_.state.list;
    const std::optional<int> index = FindOwnEntry(alarms, sAlarmKey_, host_.Handle());
    return index ? &alarms[*index] : nullptr;
}

DateTime AlarmWindowLogic::DueFromControls() const {
    const std::string& time = controls_.tbTime.text;
    return DateTime{controls_.ucDate} + std::chrono::hours{BoxField(time, 0, 2)} +
           std::chrono::minutes{BoxField(time, 3, 2)};
}

std::string AlarmWindowLogic::RepeatFromControls() const {
    if (controls_.cbRepeat >= 1) return std::string("#").append(std::to_string(controls_.cbRepeat));
    return controls_.tbRepeat.text;
}

void AlarmWindowLogic::SetSpinBox(SpinBox& box, int hours, int minutes, int hourDigits) {
    box.values = {std::clamp(hours, 0, box.limits[0]), std::clamp(minutes, 0, box.limits[1])};
    box.text = SpinText(box.values[0], box.values[1], hourDigits);
}

void AlarmWindowLogic::SetTime(DateTime value) {
    const DateTimeFields fields = FieldsOf(value);
    SetSpinBox(controls_.tbTime, fields.hour, fields.minute, 2);
}

void AlarmWindowLogic::OnLoad() {
    // A window that opens before the main window has started finds the log itself, and
    // the repeating alarms move on to their next occurrence.
    AlarmState& state = context_.state;
    if (!context_.mainStarted) {
        context_.logFile =
            LogFileIn(ResolveLogFolder(context_.registry, context_.files, context_.system));
        LoadAlarms(state.list, context_.files, context_.logFile, true, Now());
    }
    // The window takes its entry at once, before it is ever activated: no save by another
    // window may drop it, and the main window's check must not open a second window on it.
    if (AlarmEntry* entry = OwnEntry()) entry->hWnd = host_.Handle();
}

void AlarmWindowLogic::OnActivate() {
    AlarmEntry* entry = OwnEntry();
    const bool firstActivation = !std::exchange(activated_, true);
    const bool showsRunning = runState_ == RunState::kRunning;
    if (entry) entry->hWnd = host_.Handle();
    if (entry && !entry->Key.empty()) {
        // Coming back to a window that already shows its running alarm keeps what the
        // user typed into the title and the repeat.
        if (showsRunning && entry->Key == sAlarmKey_ && !firstActivation) return;
        sAlarmKey_ = entry->Key;
        ShowRunning(ParseTimestamp(entry->Key, TimestampPart::kDateAndTime, Now()));
        if (entry->Repeat.starts_with('#')) {
            OnRepeatComboClick(std::clamp<int>(TimestampFieldValue(entry->Repeat.substr(1)), 0, 4));
        } else {
            OnRepeatComboClick(0);
            const std::string repeat = NormalisedRepeat(entry->Repeat);
            SetSpinBox(controls_.tbRepeat, BoxField(repeat, 0, 4), BoxField(repeat, 5, 2), 4);
        }
        controls_.tbTitle = entry->Title;
        return;
    }
    // A stopped window keeps the user's half-made settings when it is activated again.
    if (firstActivation || showsRunning) ShowStopped();
}

void AlarmWindowLogic::ShowRunning(DateTime due) {
    controls_.inputsEnabled = false;
    controls_.tbShift.mask = kCountdownMask;
    controls_.ucDate = DateOf(due);
    SetTime(due);
    controls_.tlNow.clear();
    runState_ = RunState::kRunning;
    controls_.bbAlarm = "Stop";
    controls_.bbAlarmEnabled = true;
    controls_.toAlert = true;
}

void AlarmWindowLogic::ShowStopped() {
    const DateTime now = Now();
    controls_.inputsEnabled = true;
    controls_.ucDate = DateOf(now);
    SetTime(now);
    controls_.tbShift.mask = kShiftMask;
    SetSpinBox(controls_.tbShift, 0, 0, 4);
    controls_.tlNow.clear();
    runState_ = RunState::kStopped;
    controls_.bbAlarm = "Start";
    controls_.bbAlarmEnabled = false;
    controls_.toAlert = false;
    if (AlarmEntry* entry = OwnEntry()) entry->Key.clear();
}

void AlarmWindowLogic::CommitAlarm(DateTime due) {
    ShowRunning(due);
    AlarmEntry* entry = OwnEntry();
    if (!entry) {
        // Whatever became of the window's entry, the alarm the user starts is kept.
        AlarmList& alarms = context_.state.list;
        entry = &alarms[alarms.AddEmpty()];
        entry->hWnd = host_.Handle();
    }
    const std::string key = FormatTimestamp(due);
    // The menu item follows its alarm, so that the main window's check still finds it.
    for (AlarmMenuItem& item : context_.state.menu.items)
        if (item.tag == sAlarmKey_ && !sAlarmKey_.empty()) item.tag = key;
    entry->Key = key;
    entry->Title = controls_.tbTitle;
    entry->Repeat = RepeatFromControls();
    sAlarmKey_ = key;
}

void AlarmWindowLogic::SaveAlarms() {
    // The main window's check looks alarms up by their menu items: an alarm started or
    // moved on here must be found there at once, not after the menu next opens.
    SaveAlarmList(context_);
}

void AlarmWindowLogic::OnShiftChange(std::string_view text) {
    SetSpinBox(controls_.tbShift, BoxField(text, 0, 4), BoxField(text, 5, 2), 4);
    const auto& [hours, minutes] = controls_.tbShift.values;
    const DateTime due = Now() + std::chrono::minutes{hours * 60 + minutes};
    controls_.ucDate = DateOf(due);
    SetTime(due);
    controls_.bbAlarmEnabled = true;
}

void AlarmWindowLogic::OnTimeChange(std::string_view text) {
    SetSpinBox(controls_.tbTime, BoxField(text, 0, 2), BoxField(text, 3, 2), 2);
    OnDateChange();
}

void AlarmWindowLogic::OnRepeatChange(std::string_view text) {
    SetSpinBox(controls_.tbRepeat, BoxField(text, 0, 4), BoxField(text, 5, 2), 4);
}

void AlarmWindowLogic::OnSpin(SpinGroup group, int bar, int delta) {
    if (bar < 0 || bar > 1) return;
    SpinBox& box = group == SpinGroup::kShift  ? controls_.tbShift
                   : group == SpinGroup::kTime ? controls_.tbTime
                                               : controls_.tbRepeat;
    std::array<int, 2> values = box.values;
    const std::size_t which = static_cast<std::size_t>(bar);
    values[which] = std::clamp(values[which] + delta, 0, box.limits[which]);
    const std::string text = SpinText(values[0], values[1], group == SpinGroup::kTime ? 2 : 4);
    if (group == SpinGroup::kShift) OnShiftChange(text);
    if (group == SpinGroup::kTime) OnTimeChange(text);
    if (group == SpinGroup::kRepeat) OnRepeatChange(text);
}

void AlarmWindowLogic::OnDatePicked(Date date) {
    controls_.ucDate = date;
    OnDateChange();
}

void AlarmWindowLogic::OnDateChange() { controls_.bbAlarmEnabled = DueFromControls() > Now(); }

void AlarmWindowLogic::OnShiftEnter() {
    if (controls_.tbShift.text != kZeroShift && runState_ == RunState::kStopped &&
        controls_.bbAlarmEnabled)
        OnButtonClick();
}

void AlarmWindowLogic::OnRepeatComboClick(int index) {
    controls_.cbRepeat = std::clamp(index, -1, static_cast<int>(kRepeatPeriods.size()) - 1);
    controls_.customRepeatEnabled = controls_.cbRepeat == 0;
    if (controls_.cbRepeat > 0) SetSpinBox(controls_.tbRepeat, 0, 0, 4);
}

void AlarmWindowLogic::OnTitleChange(std::string_view text) {
    controls_.tbTitle = std::string(text);
}

void AlarmWindowLogic::OnButtonClick() {
    if (runState_ == RunState::kRunning) {
        ShowStopped();
        SaveAlarms();
        return;
    }
    CommitAlarm(DueFromControls());
    host_.CloseWindow();
}

void AlarmWindowLogic::OnCloseRequest() {
    // Repeat and title are kept; an alarm only gets a new due time through Start.
    AlarmEntry* entry = OwnEntry();
    if (!entry || controls_.cbRepeat < 0) return;
    entry->Repeat = RepeatFromControls();
    entry->Title = controls_.tbTitle;
}

void AlarmWindowLogic::OnUnload() {
    if (AlarmEntry* entry = OwnEntry()) entry->hWnd = 0;
    SaveAlarms();
}

void AlarmWindowLogic::OnResize(bool minimized) {
    controls_.toWindowState = minimized;
    controls_.caption = minimized && !controls_.tbTitle.empty()
                            ? std::string("Alarm: ").append(controls_.tbTitle)
                            : "Alarm";
}

void AlarmWindowLogic::OnWindowStateTick() {
    if (controls_.toWindowState && runState_ == RunState::kStopped) host_.Restore();
}

void AlarmWindowLogic::ShowCountdown(DateTime due) {
    const std::string countdown = CountdownText(due, Now());
    const std::size_t width = controls_.tbShift.mask.size();
    controls_.tbShift.text = countdown.size() > width
                                 ? "9999:00:00"
                                 : std::string(width - countdown.size(), '0') + countdown;
}

void AlarmWindowLogic::Ring(DateTime due, std::int32_t repeatMinutes) {
    const AlarmEntry* entry = OwnEntry();
    const bool ring = entry && !entry->Key.empty();
    if (repeatMinutes == 0) {
        ShowStopped();
        SaveAlarms();
        ++alertCount_;
        // The window goes on ticking to show how long ago the alarm rang.
        controls_.toAlert = true;
    } else {
        CommitAlarm(due + std::chrono::minutes{repeatMinutes});
        SaveAlarms();
    }
    if (ring) host_.PlayAlarmSound();
}

void AlarmWindowLogic::OnAlertTick() {
    AlarmEntry* entry = OwnEntry();
    // A repeat changed while the alarm runs counts from its next ring on.
    if (entry && controls_.cbRepeat >= 0) entry->Repeat = RepeatFromControls();
    const DateTime due = DueFromControls();
    const std::int32_t repeatMinutes =
        RepeatMinutes(entry ? entry->Repeat : RepeatFromControls(), due);
    const DateTime now = Now();
    if (due > now) {
        if (!controls_.inputsEnabled) ShowCountdown(due);
        return;
    }
    if (alertCount_ <= 0) {
        Ring(due, repeatMinutes);
        return;
    }
    ++alertCount_;
    controls_.tlNow = CountdownText(DateTime{}, DateTime{std::chrono::seconds{alertCount_}}) + " ";
}

}  // namespace uptrail
