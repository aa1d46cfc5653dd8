#include "alarm/alarm_schedule.h"

#include <array>
#include <cstdlib>

#include "base/duration_text.h"
#include "base/timestamp.h"

namespace uptrail {
namespace {

constexpr std::int32_t kMinutesPerDay = 1440;
constexpr std::int32_t kMinutesPerWeek = 7 * kMinutesPerDay;
constexpr std::int32_t kMinutesPerYear = 365 * kMinutesPerDay;
constexpr std::array<int, 12> kMonthLengths{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

enum RepeatPeriod { kDay = 1, kWeek = 2, kMonth = 3, kYear = 4 };

// Whether the twelve months from `due` on hold a 29 February: this year's when `due`
// comes before it (28 February included, or a yearly alarm set on that day would move a
// day earlier each leap year), else next year's.
bool NextYearHoldsLeapDay(const DateTimeFields& due) {
    const bool beforeLeapDay = due.month == 1 || (due.month == 2 && due.day <= 28);
    return IsLeapYear(beforeLeapDay ? due.year : due.year + 1);
}

std::int32_t PeriodMinutes(int period, DateTime due) {
    const DateTimeFields fields = FieldsOf(due);
    switch (period) {
    case kDay: return kMinutesPerDay;
    case kWeek: return kMinutesPerWeek;
    case kMonth: return DaysInMonth(fields.month, fields.year) * kMinutesPerDay;
    case kYear: return kMinutesPerYear + (NextYearHoldsLeapDay(fields) ? kMinutesPerDay : 0);
    default: return 0;
    }
}

// "hhhh:mm:00" as minutes; text of another shape is no repeat.
std::int32_t CustomIntervalMinutes(std::string_view repeat) {
    const auto colon = repeat.find(':');
    if (colon == std::string_view::npos) return 0;
    const std::string_view minutes =
        repeat.substr(colon + 1, repeat.find(':', colon + 1) - colon - 1);
    const std::int32_t total = std::int32_t{TimestampFieldValue(repeat.substr(0, colon))} * 60 +
                               TimestampFieldValue(minutes);
    // A negative interval would never move the alarm on, and it would ring every second.
    return total > 0 ? total : 0;
}

}  // namespace

bool IsLeapYear(std::int64_t year) {
    if (year % 4 != 0) return false;
    if (year % 400 == 0) return true;
    return year % 100 != 0;
}

int DaysInMonth(int month, std::int64_t year) {
    if (!InRange(month, 1, 12)) return 0;
    const int length = kMonthLengths[static_cast<std::size_t>(month - 1)];
    return month == 2 && year > 0 && IsLeapYear(year) ? length + 1 : length;
}

std::int32_t RepeatMinutes(std::string_view repeat, DateTime due) {
    if (!repeat.empty() && repeat.front() == '#') {
        const int period = std::min<int>(TimestampFieldValue(repeat.substr(1)), kYear);
        if (period >= kDay) return PeriodMinutes(period, due);
    }
    return CustomIntervalMinutes(repeat);
}

DateTime AdvanceDueTime(DateTime due, std::int32_t intervalMinutes, DateTime now) {
    if (intervalMinutes < 1 || due > now) return due;
    // Straight to the first occurrence after now: an alarm years behind with a one-minute
    // interval must not take millions of steps.
    const std::chrono::minutes interval{intervalMinutes};
    const auto steps = (now - due) / interval + 1;
    return due + steps * interval;
}

std::string CountdownText(DateTime from, DateTime to, std::string_view separator) {
    const std::int64_t seconds = std::llabs((to - from).count());
    const std::string joiner = separator.empty() ? ":" : std::string(separator);
    return FormatPadded(seconds / 3600, 2) + joiner + FormatPadded(seconds / 60 % 60, 2) + joiner +
           FormatPadded(seconds % 60, 2);
}

}  // namespace uptrail
