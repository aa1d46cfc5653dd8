#include "base/put_text.h"

#include <algorithm>

#include "base/duration_text.h"

namespace uptrail {
namespace {

constexpr std::int64_t kLargestFourDigitYear = 9999;
constexpr std::int32_t kMinutesPerHour = 60;
constexpr std::int32_t kHoursPerDay = 24;

int DigitCount(std::uint64_t magnitude) {
    int count = 1;
    for (; magnitude >= 100; magnitude /= 100) count += 2;
    return magnitude >= 10 ? count + 1 : count;
}

}  // namespace

char* PutPadded(char* at, std::int64_t value, int minDigits) {
    std::uint64_t magnitude = Magnitude(value);
    if (value < 0) *at++ = '-';
    char* const end = at + std::max(DigitCount(magnitude), minDigits);
    // Written from the right, two digits at a time, then padded with zeros.
    char* next = end;
    for (; magnitude >= 100; magnitude /= 100) {
        next -= 2;
        std::memcpy(next, kDigitPairs + 2 * (magnitude % 100), 2);
    }
    if (magnitude >= 10) {
        next -= 2;
        std::memcpy(next, kDigitPairs + 2 * magnitude, 2);
    } else {
        *--next = static_cast<char>('0' + magnitude);
    }
    while (next > at) *--next = '0';
    return end;
}

char* PutNumber(char* at, std::int64_t value) { return PutPadded(at, value, 1); }

char* PutIsoDate(char* at, const DateTimeFields& f) {
    if (f.year > kLargestFourDigitYear) *at++ = '+';
    at = PutPadded(at, f.year, 4);
    *at++ = '-';
    at = PutTwoDigits(at, f.month);
    *at++ = '-';
    at = PutTwoDigits(at, f.day);
    *at++ = 'T';
    return at;
}

char* PutMonthDay(char* at, const DateTimeFields& f, const MonthNames& months) {
    at = Put(at, months[static_cast<std::size_t>(f.month - 1)]);
    *at++ = ' ';
    at = PutTwoDigits(at, f.day);
    return Put(at, ", ");
}

char* PutDayDuration(char* at, std::int64_t minutes) {
    const auto clamped =
        static_cast<std::int32_t>(std::clamp<std::int64_t>(minutes, INT32_MIN, INT32_MAX));
    const std::int32_t hours = clamped / kMinutesPerHour;
    const std::int32_t days = hours / kHoursPerDay;
    // Sessions last less than a hundred days: two digits each.
    const bool twoDigitDays = clamped >= 0 && days < 100;
    at = twoDigitDays ? PutTwoDigits(at, days) : PutPadded(at, days, 2);
    at = Put(at, "d ");
    at = twoDigitDays ? PutTwoDigits(at, hours % kHoursPerDay)
                      : PutPadded(at, hours % kHoursPerDay, 2);
    at = Put(at, "h ");
    at = twoDigitDays ? PutTwoDigits(at, clamped % kMinutesPerHour)
                      : PutPadded(at, clamped % kMinutesPerHour, 2);
    *at++ = 'm';
    return at;
}

}  // namespace uptrail
