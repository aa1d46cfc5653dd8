#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "base/date_time.h"

namespace uptrail {

// Gregorian: every fourth year, but not whole centuries unless divisible by 400.
bool IsLeapYear(std::int64_t year);

// The length of `month` (1..12) in `year`; 0 for a month outside 1..12. February of a
// year 0 or below counts 28 days.
int DaysInMonth(int month, std::int64_t year);

// Whether `value` lies between `low` and `high`, ends included. When `high` is not above
// `low` the range is read the other way round.
template <typename T>
bool InRange(const T& value, const T& low, const T& high) {
    if (!(low < high)) return high <= value && value <= low;
    return low <= value && value <= high;
}

// How many minutes a repeating alarm moves on after it rang at `due`; 0 when it does not
// repeat. A month adds the length of the due time's month, a year the length of the
// twelve months that follow it.
std::int32_t RepeatMinutes(std::string_view repeat, DateTime due);

// `due` moved on by `intervalMinutes` as often as it takes to lie after `now`; unchanged
// when it already does or when the alarm does not repeat.
DateTime AdvanceDueTime(DateTime due, std::int32_t intervalMinutes, DateTime now);

// The time between two moments as "hh:mm:ss" (hours keep all their digits), whichever
// comes first; an empty separator means ":".
std::string CountdownText(DateTime from, DateTime to, std::string_view separator = "");

}  // namespace uptrail
