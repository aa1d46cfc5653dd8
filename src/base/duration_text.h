#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace uptrail {

// The size of a value; unsigned, because the size of the most negative value has no
// signed counterpart.
inline std::uint64_t Magnitude(std::int64_t value) {
    const auto bits = static_cast<std::uint64_t>(value);
    return value < 0 ? 0 - bits : bits;
}

// The "00" picture of every number in date and duration text: at least `minDigits` digits,
// more when the value needs them, and a minus sign in front of a negative value ("-05").
std::string FormatPadded(std::int64_t value, int minDigits);

// "01d 02h 03m". Each unit is truncated toward zero and keeps its own sign, so minus five
// minutes reads "00d 00h -05m"; days beyond two digits keep all their digits.
std::string FormatDayDuration(std::int32_t minutes);

// "01:02:03" for whole seconds, with the milliseconds rounded down first (so 999 ms is
// 00:00:00, and -1 ms already counts as a whole second before zero).
std::string FormatClockDuration(std::int64_t milliseconds);

// "01:02:03", hours beyond two digits keeping all their digits; an empty separator means
// ":". A negative value (only an inconsistent log or clock produces one) is shown as its
// size with a minus sign in front, "-00:00:05", rather than as a misleading time of day.
std::string FormatSeconds(std::int64_t seconds, std::string_view separator = ":");

// The smaller or larger value, clamped into the 32-bit range rather than wrapped, so an
// absurd value from a damaged log stays an absurd value of the same sign.
std::int32_t MinOf(std::int64_t a, std::int64_t b);
std::int32_t MaxOf(std::int64_t a, std::int64_t b);

// The number a switch is stored as: 1 for true, 0 for false.
std::int16_t BoolToFlag(bool value);

}  // namespace uptrail
