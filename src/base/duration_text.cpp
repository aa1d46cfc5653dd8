#include "base/duration_text.h"

#include <algorithm>
#include <limits>

namespace uptrail {
namespace {

constexpr std::uint64_t kSecondsPerHour = 3600;
constexpr std::uint64_t kSecondsPerMinute = 60;
constexpr std::int64_t kMillisecondsPerSecond = 1000;

std::int64_t FloorDivide(std::int64_t value, std::int64_t divisor) {
    const std::int64_t quotient = value / divisor;
    return (value % divisor < 0) ? quotient - 1 : quotient;
}

std::int32_t ClampTo32Bits(std::int64_t value) {
    using Limits = std::numeric_limits<std::int32_t>;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, Limits::min(), Limits::max()));
}

std::string FormatHoursMinutesSeconds(std::uint64_t seconds, std::string_view separator) {
    // Even the largest magnitude (2^63 seconds) leaves an hour count that fits in 64 bits.
    const auto hours = static_cast<std::int64_t>(seconds / kSecondsPerHour);
    const std::uint64_t rest = seconds % kSecondsPerHour;
    const auto minutes = static_cast<std::int64_t>(rest / kSecondsPerMinute);
    const auto secs = static_cast<std::int64_t>(rest % kSecondsPerMinute);
    return FormatPadded(hours, 2)
        .append(separator)
        .append(FormatPadded(minutes, 2))
        .append(separator)
        .append(FormatPadded(secs, 2));
}

}  // namespace

std::string FormatPadded(std::int64_t value, int minDigits) {
    // Written from the right into a buffer that holds any 64-bit value with its sign: every
    // line of a session list holds several of these numbers.
    char buffer[24];
    char* const end = buffer + sizeof buffer;
    char* first = end;
    std::uint64_t magnitude = Magnitude(value);
    do {
        *--first = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    const auto width = static_cast<std::size_t>(std::max(minDigits, 0));
    const auto digits = static_cast<std::size_t>(end - first);
    std::string text;
    text.reserve(std::max(width, digits) + 1);
    if (value < 0) text.push_back('-');
    if (digits < width) text.append(width - digits, '0');
    return text.append(first, end);
}

std::string FormatDayDuration(std::int32_t minutes) {
    // Truncating division and remainder are defined for every int32 divided by a positive
    // constant, INT32_MIN included, and give each unit the sign of the whole.
    const std::int32_t hours = minutes / 60;
    const std::int32_t days = hours / 24;
    std::string text = FormatPadded(days, 2);
    return text.append("d ")
        .append(FormatPadded(hours % 24, 2))
        .append("h ")
        .append(FormatPadded(minutes % 60, 2))
        .append("m");
}

std::string FormatClockDuration(std::int64_t milliseconds) {
    return FormatSeconds(FloorDivide(milliseconds, kMillisecondsPerSecond));
}

std::string FormatSeconds(std::int64_t seconds, std::string_view separator) {
    if (separator.empty()) separator = ":";
    const std::string text = FormatHoursMinutesSeconds(Magnitude(seconds), separator);
    return seconds < 0 ? "-" + text : text;
}

std::int32_t MinOf(std::int64_t a, std::int64_t b) { return ClampTo32Bits(a < b ? a : b); }

std::int32_t MaxOf(std::int64_t a, std::int64_t b) { return ClampTo32Bits(a > b ? a : b); }

std::int16_t BoolToFlag(bool value) { return value ? 1 : 0; }

}  // namespace uptrail
