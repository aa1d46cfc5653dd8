#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "alarm/alarm_list.h"
#include "base/date_time.h"
#include "base/timestamp.h"

namespace uptrail {

// A waiting alarm in "Add-&on: Alarm"; the tag is its key.
struct AlarmMenuItem {
    std::string caption;
    std::string tag;
    bool repeating = false;  // marked with the program's picture

    friend bool operator==(const AlarmMenuItem&, const AlarmMenuItem&) = default;
};

// The add-on submenu below "&New...": the separator shows once the list has entries, the
// items start at position 2.
struct AlarmMenuState {
    bool newEnabled = true;  // no new alarm while an alarm window holds an entry
    bool separatorVisible = false;
    std::vector<AlarmMenuItem> items;
};

inline constexpr int kFirstAlarmItemPosition = 2;

// "14:05" today, "Dec 24, 07:30" later this year, "2027, Jan 05, 08:03" in another year;
// a title follows after a Tab and "- ".
std::string AlarmMenuCaption(const AlarmEntry& entry, DateTime now, const MonthNames& months);

// The submenu for the list as it is now: one item per waiting alarm, in list order.
AlarmMenuState BuildAlarmMenu(const AlarmList& alarms, DateTime now, const MonthNames& months);

// The submenu position of the first alarm item with this tag, none when there is none; 0
// for an empty tag, which names "&New...".
[[nodiscard]] std::optional<int> FindMenuIndexByTag(const AlarmMenuState& menu,
                                                    std::string_view tag);

}  // namespace uptrail
