#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/date_time.h"

namespace uptrail {

// Which fields of a time stamp a caller wants. The numbers are the ones stored callers
// have always passed; a value outside the three reads as kDateAndTime.
enum class TimestampPart : std::int16_t {
    kDateAndTime = 0,
    kDate = 1,  // the date at 00:00:00
    kTime = 2,  // the time of day on kDayZero
};

// Reads time stamp text "yyyy:mm:dd:hh:nn:ss" the forgiving way the log has always been
// read, so that old, hand-edited or damaged values still give a date-time:
// - spaces around the text are ignored;
// - each field is its leading number (sign, digits, one decimal point; "08" is 8, "12abc"
//   is 12, "abc" is 0), rounded half to even and held as a 16-bit value; a field beyond
//   -32768..32767 saturates at the nearer end;
// - a year 0..29 means 2000..2029 and 30..99 means 1930..1999; other years stand;
// - fields out of their range roll over into the next larger unit (see MakeDateTime).
// Gives nothing when the text does not have exactly six fields.
std::optional<DateTime> TryParseTimestamp(std::string_view text,
                                          TimestampPart part = TimestampPart::kDateAndTime);

// As TryParseTimestamp, but a text without exactly six fields (an empty value, a date
// alone, an extra field) gives `now`, whatever `part` asks for. Callers pass their clock's
// Now(); where "now" would be wrong they test for an empty value first.
DateTime ParseTimestamp(std::string_view text, TimestampPart part, DateTime now);

// The leading number of one time stamp field, as described at TryParseTimestamp.
std::int16_t TimestampFieldValue(std::string_view field);

// "2026:12:04:08:03:07": the form every time is stored in. Years beyond four digits keep
// all their digits and a negative year keeps its sign, so the text reads back unchanged
// (except for years 0..99, which read back as two-digit years).
std::string FormatTimestamp(DateTime value);

// "2026-12-04T08:03:07": ISO 8601 local time; a year beyond four digits takes a sign, as
// ISO 8601 writes it.
std::string FormatIsoLocalTime(DateTime value);

// Abbreviated month names, January first, as bytes in the ANSI code page like all menu
// and log text. The user's locale supplies them on Windows (LocaleMonthNames).
using MonthNames = std::array<std::string, 12>;

const MonthNames& EnglishMonthNames();

// The display forms of dates and times: "Dec 04, 08:03", "Dec 04, 2026", "08:03" and
// "2027, Jan 05, 08:03".
std::string FormatMonthDayTime(DateTime value, const MonthNames& names);
std::string FormatMonthDayYear(DateTime value, const MonthNames& names);
std::string FormatHourMinute(DateTime value);
std::string FormatYearMonthDayTime(DateTime value, const MonthNames& names);

}  // namespace uptrail
