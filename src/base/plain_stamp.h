#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "base/date_time.h"

namespace uptrail {

// The length of a time stamp in the form the log stores: "2026:12:04:08:03:07".
inline constexpr std::size_t kPlainStampLength = 19;

namespace plain_stamp_detail {

// A stamp is read as three words of eight bytes: "yyyy:mm:", "dd:hh:nn" and, overlapping the
// second, "hh:nn:ss". XORed with its pattern, a word holds each digit's value in its byte
// and 0 where a ":" belongs; adding the limits sets a byte's top bit exactly when a digit
// is above 9 or a separator is something else. Two stamps per entry, 64000 in a full log:
// one test per word instead of one per byte.
struct StampWord {
    std::size_t offset;
    std::uint64_t pattern;  // '0' at the digits, ':' at the separators
    std::uint64_t limits;   // 0x76 at the digits (9 + 0x76 = 0x7F), 0x7F at the separators
};

constexpr std::uint64_t PatternOf(const char (&bytes)[9]) {
    std::uint64_t word = 0;
    for (int i = 7; i >= 0; --i) word = word << 8 | static_cast<unsigned char>(bytes[i]);
    return word;
}

constexpr std::uint64_t LimitsOf(const char (&bytes)[9]) {
    std::uint64_t word = 0;
    for (int i = 7; i >= 0; --i) word = word << 8 | (bytes[i] == ':' ? 0x7Fu : 0x76u);
    return word;
}

inline constexpr StampWord kYearMonth{0, PatternOf("0000:00:"), LimitsOf("0000:00:")};
inline constexpr StampWord kDayHourMinute{8, PatternOf("00:00:00"), LimitsOf("00:00:00")};
inline constexpr StampWord kHourMinuteSecond{11, PatternOf("00:00:00"), LimitsOf("00:00:00")};
inline constexpr std::uint64_t kTopBits = 0x8080808080808080ULL;

// The eight bytes at `at` with the first in the lowest byte, whatever the machine's order.
inline std::uint64_t LoadWord(const char* at) {
    unsigned char bytes[8];
    std::memcpy(bytes, at, sizeof bytes);
    std::uint64_t word = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&word, bytes, sizeof word);
    } else {
        for (int i = 7; i >= 0; --i) word = word << 8 | bytes[i];
    }
    return word;
}

// The number of the two digits at byte `index` of a word of digit values.
inline int TwoDigits(std::uint64_t values, int index) {
    return static_cast<int>((values >> (8 * index) & 0xFF) * 10 +
                            (values >> (8 * index + 8) & 0xFF));
}

}  // namespace plain_stamp_detail

// Reads the time stamps of a log in the stored form with plain digits in every field,
// giving what TryParseTimestamp gives for them. It keeps the start of the last month it
// worked out: a log's stamps mostly fall in the month of the stamp before.
class PlainStampReader {
public:
    // Reads the kPlainStampLength bytes at `text` when they are such a stamp; any other bytes
    // give false and leave `value` alone.
    bool Read(const char* text, DateTime& value) {
        using namespace plain_stamp_detail;
        std::uint64_t words[3];
        std::uint64_t damaged = 0;
        for (int i = 0; const StampWord& word : {kYearMonth, kDayHourMinute, kHourMinuteSecond}) {
            const std::uint64_t values = LoadWord(text + word.offset) ^ word.pattern;
            damaged |= (values + word.limits) | values;
            words[i++] = values;
        }
        if ((damaged & kTopBits) != 0) return false;
        if (words[0] != monthKey_) LearnMonth(words[0]);
        // Days, hours, minutes and seconds add up as MakeDateTime adds them, those beyond
        // their range included.
        const std::uint64_t time = words[2];
        value = monthStart_ + std::chrono::seconds{(TwoDigits(words[1], 0) - 1) * 86400 +
                                                   TwoDigits(time, 0) * 3600 +
                                                   TwoDigits(time, 3) * 60 + TwoDigits(time, 6)};
        return true;
    }

private:
    void LearnMonth(std::uint64_t yearMonth);

    std::uint64_t monthKey_ = ~std::uint64_t{0};  // the digits of "yyyy:mm:"; no stamp has these
    DateTime monthStart_{};
};

// ParseTimestamp(text, TimestampPart::kDateAndTime, now), the stored form read directly.
DateTime ReadStamp(std::string_view text, DateTime now);

}  // namespace uptrail
