#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "alarm/alarm_context.h"
#include "alarm/alarm_controls.h"

namespace uptrail {

// What the alarm window's logic asks of the window that shows it.
class AlarmWindowHost {
public:
    virtual ~AlarmWindowHost() = default;
    // The window's handle: how the alarm list records which window holds an entry.
    virtual std::uintptr_t Handle() const = 0;
    virtual void PlayAlarmSound() = 0;
    // The program closes the window; its unload runs as for any close.
    virtual void CloseWindow() = 0;
    // Brings a minimized window back to its normal size.
    virtual void Restore() = 0;
};

// One alarm window: shows one entry of the alarm list, sets it as a shift from now or a
// date and time with a repeat and a title, starts and stops it, counts down and rings.
// The shell forwards each event of its controls to the handler of the same name and then
// renders Controls(); the shell's own change guard keeps that rendering from coming back
// as user edits.
class AlarmWindowLogic {
public:
    // `alarmKey` is the key of the alarm the window opens on; "" for a new alarm.
    AlarmWindowLogic(const AlarmContext& context, AlarmWindowHost& host, std::string alarmKey);

    const AlarmControls& Controls() const { return controls_; }

    void OnLoad();
    void OnActivate();

    void OnShiftChange(std::string_view text);
    void OnTimeChange(std::string_view text);
    void OnRepeatChange(std::string_view text);
    // An arrow of a spin bar: +1 up, -1 down. `bar` 0 is the hours, 1 the minutes.
    void OnSpin(SpinGroup group, int bar, int delta);
    void OnDatePicked(Date date);
    void OnShiftEnter();
    void OnRepeatComboClick(int index);
    void OnTitleChange(std::string_view text);
    void OnButtonClick();

    // The user asks to close the window (close button, system menu); not the program.
    void OnCloseRequest();
    void OnUnload();
    void OnResize(bool minimized);

    void OnAlertTick();        // every second while toAlert runs
    void OnWindowStateTick();  // every minute while the window is minimized

private:
    // The window's entry, found again before every use: another window's save may have
    // moved it to another index.
    AlarmEntry* OwnEntry();
    DateTime Now() const;
    DateTime DueFromControls() const;
    std::string RepeatFromControls() const;

    void ShowRunning(DateTime due);
    void ShowStopped();
    void CommitAlarm(DateTime due);
    void SaveAlarms();
    void SetTime(DateTime value);
    void SetSpinBox(SpinBox& box, int hours, int minutes, int hourDigits);
    void OnDateChange();
    void ShowCountdown(DateTime due);
    void Ring(DateTime due, std::int32_t repeatMinutes);

    AlarmContext context_;
    // Whether the window shows a running alarm (counting down, inputs locked, "Stop").
    enum class RunState { kStopped, kRunning };

    AlarmWindowHost& host_;
    std::string sAlarmKey_;
    AlarmControls controls_;
    RunState runState_ = RunState::kStopped;
    std::int64_t alertCount_ = 0;  // seconds counted since a one-time alarm rang
    bool activated_ = false;
};

}  // namespace uptrail
