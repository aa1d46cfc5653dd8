#pragma once
// Text written straight into a buffer: the numbers, times and dates that lines of the log
// are made of, each call giving the end of what it wrote. A report writes tens of
// thousands of such lines, so none of these allocates, and the callers make sure of the
// room beforehand.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "base/date_time.h"
#include "base/timestamp.h"

namespace uptrail {

// The most bytes any of the number writers writes.
inline constexpr std::size_t kMostNumberLength = 24;

inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Two digits of 0..99.
inline char* PutTwoDigits(char* at, unsigned value) {
    std::memcpy(at, kDigitPairs + 2 * value, 2);
    return at + 2;
}
// As FormatPadded, with minDigits up to 20.
char* PutPadded(char* at, std::int64_t value, int minDigits);
// As std::to_string.
char* PutNumber(char* at, std::int64_t value);

inline char* Put(char* at, std::string_view text) {
    std::memcpy(at, text.data(), text.size());
    return at + text.size();
}

// A literal, copied as the fixed number of bytes it has.
template <std::size_t kSize>
char* Put(char* at, const char (&text)[kSize]) {
    std::memcpy(at, text, kSize - 1);
    return at + kSize - 1;
}

inline constexpr std::int64_t kSecondsPerDay = 86400;
inline constexpr std::int64_t kMinutesPerDay = 1440;

// A time as a day and the second of that day.
struct DayAndSecond {
    std::int64_t day;
    unsigned second;

    // MinuteBoundaries from `from` to this time.
    std::int64_t MinutesSince(const DayAndSecond& from) const {
        return (day - from.day) * kMinutesPerDay + (static_cast<std::int64_t>(second / 60) -
                                                    static_cast<std::int64_t>(from.second / 60));
    }
};

inline DayAndSecond SplitTime(DateTime value) {
    const std::int64_t total = value.time_since_epoch().count();
    if (total >= 0) {
        // Every time after 1970, divided without the corrections for a sign.
        const auto seconds = static_cast<std::uint64_t>(total);
        const std::uint64_t day = seconds / kSecondsPerDay;
        return {static_cast<std::int64_t>(day),
                static_cast<unsigned>(seconds - day * kSecondsPerDay)};
    }
    // Not total - day * 86400: near the lower end of the range that product overflows.
    const std::int64_t remainder = total % kSecondsPerDay;
    const std::int64_t day = total / kSecondsPerDay - (remainder < 0 ? 1 : 0);
    return {day, static_cast<unsigned>(remainder < 0 ? remainder + kSecondsPerDay : remainder)};
}

// "08:03", or with the seconds "08:03:07".
inline char* PutClock(char* at, unsigned secondOfDay, bool withSeconds) {
    const unsigned hour = secondOfDay / 3600;
    const unsigned secondOfHour = secondOfDay - hour * 3600;
    const unsigned minute = secondOfHour / 60;
    at = PutTwoDigits(at, hour);
    *at++ = ':';
    at = PutTwoDigits(at, minute);
    if (!withSeconds) return at;
    *at++ = ':';
    return PutTwoDigits(at, secondOfHour - minute * 60);
}

// "2026-12-04T" and "Dec 04, ": the parts before the time of day, as FormatIsoLocalTime and
// FormatMonthDayTime write them.
char* PutIsoDate(char* at, const DateTimeFields& f);

char* PutMonthDay(char* at, const DateTimeFields& f, const MonthNames& months);

// The date part of the times that lines write, made once for each day and copied for the
// other times on that day: a session's start and end, and the end of the one before it,
// mostly fall on a day just written. `writeDate` writes at most kBlock bytes.
template <typename WriteDate>
class DateParts {
public:
    static constexpr std::size_t kBlock = 48;

    explicit DateParts(WriteDate writeDate) : writeDate_(writeDate) {}

    // Needs kBlock bytes of room.
    char* Put(char* at, std::int64_t day, DateTime value) {
        for (const Slot& slot : slots_) {
            if (slot.day != day) continue;
            std::memcpy(at, slot.text, kBlock);
            return at + slot.size;
        }
        // A new day is written twice rather than copied: reading bytes just written, in
        // pieces of another size, waits for the writes to finish.
        const DateTimeFields fields = FieldsOf(value);
        Slot& slot = slots_[next_];
        next_ = 1 - next_;
        slot.day = day;
        slot.size = static_cast<std::size_t>(writeDate_(slot.text, fields) - slot.text);
        return writeDate_(at, fields);
    }

private:
    struct Slot {
        std::int64_t day = INT64_MIN;  // no day of the DateTime range
        std::size_t size = 0;
        char text[kBlock] = {};
    };

    WriteDate writeDate_;
    Slot slots_[2];
    std::size_t next_ = 0;
};

// "01d 02h 03m", as FormatDayDuration writes it, for any number of minutes: beyond the
// 32 bits of the day form it shows the nearer limit.
char* PutDayDuration(char* at, std::int64_t minutes);

}  // namespace uptrail
