#include "alarm/alarm_menu.h"

#include <algorithm>

namespace uptrail {

std::string AlarmMenuCaption(const AlarmEntry& entry, DateTime now, const MonthNames& months) {
    const DateTime due = ParseTimestamp(entry.Key, TimestampPart::kDateAndTime, now);
    const DateTimeFields dueFields = FieldsOf(due);
    const DateTimeFields nowFields = FieldsOf(now);
    // The year shows when the stored text names another year, as the user reads the key.
    const std::string_view keyYear = std::string_view(entry.Key).substr(0, entry.Key.find(':'));
    std::string caption;
    if (keyYear != std::to_string(nowFields.year))
        caption = FormatYearMonthDayTime(due, months);
    else if (dueFields.month == nowFields.month && dueFields.day == nowFields.day)
        caption = FormatHourMinute(due);
    else
        caption = FormatMonthDayTime(due, months);
    if (!entry.Title.empty()) caption += "\t- " + entry.Title;
    return caption;
}

AlarmMenuState BuildAlarmMenu(const AlarmList& alarms, DateTime now, const MonthNames& months) {
    AlarmMenuState menu;
    menu.separatorVisible = !alarms.Empty();
    for (const AlarmEntry& entry : alarms.Entries()) {
        if (entry.hWnd != 0) menu.newEnabled = false;
        if (entry.Key.empty()) continue;
        menu.items.push_back(
            {AlarmMenuCaption(entry, now, months), entry.Key, entry.Repeat != kNoRepeat});
    }
    return menu;
}

std::optional<int> FindMenuIndexByTag(const AlarmMenuState& menu, std::string_view tag) {
    if (tag.empty()) return 0;
    const auto found = std::find_if(menu.items.begin(), menu.items.end(),
                                    [&](const AlarmMenuItem& item) { return item.tag == tag; });
    if (found == menu.items.end()) return std::nullopt;
    return kFirstAlarmItemPosition + static_cast<int>(found - menu.items.begin());
}

}  // namespace uptrail
