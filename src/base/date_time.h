#pragma once
#include <chrono>
#include <cstdint>

namespace uptrail {

// A local civil date and time to the second, without a time zone: what the log stores.
using DateTime = std::chrono::local_seconds;
using Date = std::chrono::local_days;

// The calendar arithmetic below is done on plain 64-bit counts rather than with
// std::chrono::year_month_day, whose year stops at +-32767 and whose floor() can overflow
// near the ends of the range: a damaged log may hold any year, and no value of DateTime
// may make the program misbehave.

// The fields of a date-time on the proleptic Gregorian calendar. The year is not limited
// to four digits (nor to positive values); the other fields are always in their usual
// ranges: month 1..12, day 1..31, hour 0..23, minute and second 0..59.
struct DateTimeFields {
    std::int64_t year = 0;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const DateTimeFields&, const DateTimeFields&) = default;
};

namespace calendar_detail {

constexpr std::int64_t kSecondsPerDay = 86400;
// Days from 0000-03-01 to 1970-01-01; the 400-year cycle is counted from a March so that
// the leap day falls at the end of each year of the cycle.
constexpr std::int64_t kEpochShift = 719468;
constexpr std::int64_t kDaysPer400Years = 146097;

constexpr std::int64_t FloorDivide(std::int64_t value, std::int64_t divisor) {
    const std::int64_t quotient = value / divisor;
    return (value % divisor < 0) ? quotient - 1 : quotient;
}

// Days since 1970-01-01 of the first day of `month` (1..12) of `year`.
constexpr std::int64_t DaysToMonthStart(std::int64_t year, int month) {
    const std::int64_t marchYear = month <= 2 ? year - 1 : year;
    const std::int64_t era = FloorDivide(marchYear, 400);
    const std::int64_t yearOfEra = marchYear - era * 400;
    const std::int64_t monthFromMarch = month > 2 ? month - 3 : month + 9;
    const std::int64_t dayOfYear = (153 * monthFromMarch + 2) / 5;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * kDaysPer400Years + dayOfEra - kEpochShift;
}

}  // namespace calendar_detail

// The date-time of the given fields, each of which may lie outside its usual range and
// then rolls over into the larger units: month 13 is January of the next year, month 0
// December of the year before, day 0 the last day of the month before, hour 24 the next
// day, and negative values count backwards. No year mapping is applied here.
// Every int input gives a well-defined result: the sums stay far inside 64 bits.
constexpr DateTime MakeDateTime(int year, int month, int day, int hour = 0, int minute = 0,
                                int second = 0) {
    using namespace calendar_detail;
    const std::int64_t monthsFromYearZero = std::int64_t{year} * 12 + (std::int64_t{month} - 1);
    const std::int64_t wholeYear = FloorDivide(monthsFromYearZero, 12);
    const int monthOfYear = static_cast<int>(monthsFromYearZero - wholeYear * 12) + 1;
    const std::int64_t days = DaysToMonthStart(wholeYear, monthOfYear) + (std::int64_t{day} - 1);
    const std::int64_t seconds =
        std::int64_t{hour} * 3600 + std::int64_t{minute} * 60 + std::int64_t{second};
    return DateTime{std::chrono::seconds{days * kSecondsPerDay + seconds}};
}

constexpr Date MakeDate(int year, int month, int day) {
    return Date{std::chrono::days{MakeDateTime(year, month, day).time_since_epoch().count() /
                                  calendar_detail::kSecondsPerDay}};
}

// Day zero of the date scale: a time of day alone is a date-time on this day.
inline constexpr Date kDayZero = MakeDate(1899, 12, 30);

// The fields of any DateTime, including the extreme values of its range.
constexpr DateTimeFields FieldsOf(DateTime value) {
    using namespace calendar_detail;
    const std::int64_t total = value.time_since_epoch().count();
    const std::int64_t days = FloorDivide(total, kSecondsPerDay);
    // Not total - days * 86400: near the lower end of the range that product overflows.
    const std::int64_t remainder = total % kSecondsPerDay;
    const std::int64_t secondOfDay = remainder < 0 ? remainder + kSecondsPerDay : remainder;

    const std::int64_t shifted = days + kEpochShift;
    const std::int64_t era = FloorDivide(shifted, kDaysPer400Years);
    const std::int64_t dayOfEra = shifted - era * kDaysPer400Years;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / (kDaysPer400Years - 1)) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;

    DateTimeFields fields;
    fields.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    fields.month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    fields.year = yearOfEra + era * 400 + (fields.month <= 2 ? 1 : 0);
    fields.hour = static_cast<int>(secondOfDay / 3600);
    fields.minute = static_cast<int>(secondOfDay / 60 % 60);
    fields.second = static_cast<int>(secondOfDay % 60);
    return fields;
}

}  // namespace uptrail
