#include "sessionlog/plain_stamp.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "sessionlog/timestamp.h"

namespace uptrail {
namespace {

// Far from every date below, so a fallback to "now" cannot pass for a value read.
constexpr DateTime kNow = MakeDateTime(2031, 7, 15, 12, 34, 56);

// "yyyy:mm:dd:hh:nn:ss" with digits only.
bool IsStoredForm(const std::string& text) {
    if (text.size() != kPlainStampLength) return false;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const bool separator = at == 4 || at == 7 || at == 10 || at == 13 || at == 16;
        if (separator ? text[at] != ':' : text[at] < '0' || text[at] > '9') return false;
    }
    return true;
}

std::int64_t General(const std::string& text) {
    return ParseTimestamp(text, TimestampPart::kDateAndTime, kNow).time_since_epoch().count();
}

// Texts at the edges of the stored form: each field at the ends of its range and beyond, and
// the stored form with every position damaged by the bytes that come closest.
std::vector<std::string> EdgeTexts() {
    std::vector<std::string> texts = {
        "2026:12:04:08:03:07", "0000:00:00:00:00:00", "0029:12:31:23:59:59",
        "0030:01:01:00:00:00", "0099:12:31:23:59:59", "0100:01:01:00:00:00",
        "1930:01:01:00:00:00", "9999:99:99:99:99:99", "2024:02:29:24:60:60",
        "2026:13:00:00:00:00", "2026:00:31:00:00:00", " 2026:12:04:08:03:07",
        "2026:12:04:08:03:07 ", "2026:12:04:08:03:7", "2026:12:04:08:03:1.5",
        "2026:12:04:08:03:07:00", "2026:12:04", "20261204080307", "", "-026:12:04:08:03:07",
    };
    const std::string stored = "2026:12:04:08:03:07";
    for (std::size_t at = 0; at < stored.size(); ++at)
        for (const char c : {'/', '0', '9', ':', ';', ' ', '-', '+', '.', '\t', '\x80', '\xB9'}) {
            std::string text = stored;
            text[at] = c;
            texts.push_back(text);
        }
    return texts;
}

TEST(PlainStamp, ReadsEveryTextAsTheGeneralReadingDoes) {
    for (const std::string& text : EdgeTexts())
        EXPECT_EQ(ReadStamp(text, kNow).time_since_epoch().count(), General(text)) << text;
}

// One reader reads a whole log and keeps the month it read last: stamps that change the
// year, the month or only the day, with damaged ones between, all read as if alone.
TEST(PlainStamp, AReaderKeptForAWholeLogReadsEachStampAsIfAlone) {
    std::vector<std::string> texts = EdgeTexts();
    std::mt19937 random(20261204);
    const char kAlphabet[] = "0123456789:00112233";
    for (int i = 0; i < 20000; ++i) {
        // Mostly the stored form with fields from a few years and months, sometimes any bytes.
        std::string text = "20" + std::to_string(24 + random() % 4) + ":1" +
                           std::to_string(random() % 3) + ":" + std::to_string(10 + random() % 25) +
                           ":" + std::to_string(10 + random() % 20) + ":5" +
                           std::to_string(random() % 10) + ":4" + std::to_string(random() % 10);
        if (random() % 4 == 0) text[random() % text.size()] = kAlphabet[random() % 19];
        texts.push_back(text);
    }
    PlainStampReader reader;
    for (const std::string& text : texts) {
        DateTime value{};
        const bool read = text.size() == kPlainStampLength && reader.Read(text.data(), value);
        EXPECT_EQ(read, IsStoredForm(text)) << text;
        if (read) {
            EXPECT_EQ(value.time_since_epoch().count(), General(text)) << text;
        }
    }
}

}  // namespace
}  // namespace uptrail
