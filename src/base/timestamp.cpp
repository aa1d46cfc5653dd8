#include "base/timestamp.h"

#include <algorithm>
#include <limits>

#include "base/duration_text.h"
#include "base/put_text.h"

namespace uptrail {
namespace {

constexpr char kFieldSeparator = ':';
constexpr std::size_t kFieldCount = 6;
using TimestampFields = std::array<std::string_view, kFieldCount>;

// Beyond this the value saturates at the 16-bit ends anyway; capping the running value
// keeps a field of a thousand digits from overflowing it.
constexpr std::int64_t kMagnitudeCap = 1'000'000;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// Fields are a few characters long, and every entry of the log holds two time stamps: a
// plain scan beats a library search per field.
std::optional<TimestampFields> SplitIntoSixFields(std::string_view text) {
    TimestampFields fields;
    std::size_t count = 0;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= text.size(); ++at) {
        if (at < text.size() && text[at] != kFieldSeparator) continue;
        if (count == kFieldCount) return std::nullopt;
        fields[count++] = text.substr(start, at - start);
        start = at + 1;
    }
    if (count != kFieldCount) return std::nullopt;
    return fields;
}

std::string_view LeadingDigits(std::string_view text) {
    const auto end = std::find_if_not(text.begin(), text.end(), IsDigit);
    return text.substr(0, static_cast<std::size_t>(end - text.begin()));
}

std::int64_t CappedValueOf(std::string_view digits) {
    std::int64_t value = 0;
    for (const char digit : digits) value = std::min(value * 10 + (digit - '0'), kMagnitudeCap);
    return value;
}

// Whether the digits after the decimal point carry `whole` one further from zero:
// above one half always, exactly one half only when that reaches the even neighbour.
bool FractionRoundsAway(std::string_view fractionDigits, std::int64_t whole) {
    if (fractionDigits.empty() || fractionDigits[0] < '5') return false;
    if (fractionDigits[0] > '5') return true;
    const bool aboveHalf = fractionDigits.find_first_not_of('0', 1) != std::string_view::npos;
    return aboveHalf || whole % 2 == 1;
}

std::int16_t SaturateToField(std::int64_t value) {
    using Limits = std::numeric_limits<std::int16_t>;
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(value, Limits::min(), Limits::max()));
}

// Two-digit years are read as the years around now, as they always have been.
int ExpandTwoDigitYear(int year) {
    if (year >= 0 && year <= 29) return year + 2000;
    if (year >= 30 && year <= 99) return year + 1900;
    return year;
}

// The form every stored time has, "yyyy:mm:dd:hh:nn:ss" in plain digits, read directly:
// the log holds two of them per entry and is read whole at every start. Gives the same
// field values as the general reading; any other text is left to that.
using FieldValues = std::array<int, kFieldCount>;
constexpr std::size_t kCanonicalLength = 19;

bool ReadCanonical(std::string_view text, FieldValues& values) {
    constexpr std::size_t kSeparators[] = {4, 7, 10, 13, 16};
    if (text.size() != kCanonicalLength) return false;
    for (const std::size_t at : kSeparators)
        if (text[at] != kFieldSeparator) return false;
    // Every digit is checked, but without a branch each.
    bool digitsOnly = true;
    const auto digit = [&](std::size_t at) {
        const unsigned value = static_cast<unsigned char>(text[at]) - unsigned{'0'};
        digitsOnly &= value <= 9;
        return static_cast<int>(value);
    };
    const auto twoDigits = [&](std::size_t at) { return digit(at) * 10 + digit(at + 1); };
    values = {twoDigits(0) * 100 + twoDigits(2),
              twoDigits(5),
              twoDigits(8),
              twoDigits(11),
              twoDigits(14),
              twoDigits(17)};
    return digitsOnly;
}

bool ReadFields(std::string_view text, FieldValues& values) {
    const auto fields = SplitIntoSixFields(TrimSpaces(text));
    if (!fields) return false;
    std::transform(fields->begin(), fields->end(), values.begin(), TimestampFieldValue);
    return true;
}

// The display forms are written piece by piece into one string: the session list writes
// two of them for each of its lines.
std::string& AppendHourMinute(std::string& text, const DateTimeFields& f) {
    return text.append(FormatPadded(f.hour, 2)).append(":").append(FormatPadded(f.minute, 2));
}

std::string& AppendMonthDay(std::string& text, const DateTimeFields& f, const MonthNames& names) {
    return text.append(names[static_cast<std::size_t>(f.month - 1)])
        .append(" ")
        .append(FormatPadded(f.day, 2))
        .append(", ");
}

}  // namespace

std::int16_t TimestampFieldValue(std::string_view field) {
    while (!field.empty() && (field.front() == ' ' || field.front() == '\t'))
        field.remove_prefix(1);
    if (field.empty()) return 0;

    const bool negative = field.front() == '-';
    if (field.front() == '-' || field.front() == '+') field.remove_prefix(1);

    const std::string_view wholeDigits = LeadingDigits(field);
    std::int64_t magnitude = CappedValueOf(wholeDigits);
    field.remove_prefix(wholeDigits.size());
    if (!field.empty() && field.front() == '.' &&
        FractionRoundsAway(LeadingDigits(field.substr(1)), magnitude))
        ++magnitude;
    return SaturateToField(negative ? -magnitude : magnitude);
}

std::optional<DateTime> TryParseTimestamp(std::string_view text, TimestampPart part) {
    FieldValues values{};
    if (!ReadCanonical(text, values) && !ReadFields(text, values)) return std::nullopt;

    const DateTime date = MakeDateTime(ExpandTwoDigitYear(values[0]), values[1], values[2]);
    const std::chrono::seconds timeOfDay = std::chrono::hours{values[3]} +
                                           std::chrono::minutes{values[4]} +
                                           std::chrono::seconds{values[5]};
    switch (part) {
    case TimestampPart::kDate: return date;
    case TimestampPart::kTime: return DateTime{kDayZero} + timeOfDay;
    case TimestampPart::kDateAndTime:
    default: return date + timeOfDay;
    }
}

DateTime ParseTimestamp(std::string_view text, TimestampPart part, DateTime now) {
    return TryParseTimestamp(text, part).value_or(now);
}

std::string FormatTimestamp(DateTime value) {
    const DateTimeFields f = FieldsOf(value);
    std::string text = FormatPadded(f.year, 4);
    for (const int field : {f.month, f.day, f.hour, f.minute, f.second})
        text.append(1, kFieldSeparator).append(FormatPadded(field, 2));
    return text;
}

const MonthNames& EnglishMonthNames() {
    static const MonthNames names{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return names;
}

std::string FormatHourMinute(DateTime value) {
    std::string text;
    return AppendHourMinute(text, FieldsOf(value));
}

std::string FormatMonthDayTime(DateTime value, const MonthNames& names) {
    const DateTimeFields f = FieldsOf(value);
    std::string text;
    return AppendHourMinute(AppendMonthDay(text, f, names), f);
}

std::string FormatMonthDayYear(DateTime value, const MonthNames& names) {
    const DateTimeFields f = FieldsOf(value);
    std::string text;
    return AppendMonthDay(text, f, names).append(FormatPadded(f.year, 4));
}

std::string FormatYearMonthDayTime(DateTime value, const MonthNames& names) {
    return FormatPadded(FieldsOf(value).year, 4) + ", " + FormatMonthDayTime(value, names);
}

std::string FormatIsoLocalTime(DateTime value) {
    char text[2 * kMostNumberLength];
    const char* end = PutClock(PutIsoDate(text, FieldsOf(value)), SplitTime(value).second, true);
    return std::string(text, static_cast<std::size_t>(end - text));
}

}  // namespace uptrail
