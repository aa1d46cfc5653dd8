#pragma once
#include <array>
#include <string>
#include <string_view>

#include "base/date_time.h"

namespace uptrail {

// The masks of the alarm window's boxes: "#" takes a digit, the rest is fixed.
inline constexpr std::string_view kShiftMask = "####:##:00";
inline constexpr std::string_view kCountdownMask = "####:##:##";  // the shift box while running
inline constexpr std::string_view kTimeMask = "##:##:00";
inline constexpr std::string_view kRepeatMask = "####:##:00";

// The items of the repeat combo; index 0 is a custom interval, 1..4 the periods "#1".."#4".
inline constexpr std::array<std::string_view, 5> kRepeatPeriods{"", "Day", "Week", "Month", "Year"};

// A masked box with its two spin bars, hours and minutes. The bars run from 0 to their
// limits; their upper arrows raise the value.
struct SpinBox {
    std::string mask;
    std::string text;
    std::array<int, 2> values{};
    std::array<int, 2> limits{};
};

// What the alarm window shows, as its shell renders it.
struct AlarmControls {
    SpinBox tbShift{std::string(kShiftMask), "0000:00:00", {}, {9999, 59}};
    SpinBox tbTime{std::string(kTimeMask), "00:00:00", {}, {23, 59}};
    SpinBox tbRepeat{std::string(kRepeatMask), "0000:00:00", {}, {9999, 59}};
    Date ucDate{};
    int cbRepeat = 0;  // -1: nothing chosen
    std::string tbTitle;
    std::string bbAlarm = "Start";
    bool bbAlarmEnabled = false;
    std::string tlNow;  // how long ago the alarm rang
    // The shift, the date and the time: locked while the alarm runs.
    bool inputsEnabled = true;
    // The custom interval box and its bars: only with the combo's custom item.
    bool customRepeatEnabled = true;
    bool toAlert = false;
    bool toWindowState = false;
    std::string caption = "Alarm";
};

enum class SpinGroup { kShift, kTime, kRepeat };

}  // namespace uptrail
