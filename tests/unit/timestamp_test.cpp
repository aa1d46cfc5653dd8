#include "base/timestamp.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "base/duration_text.h"
#include "base/plain_stamp.h"
#include "base/put_text.h"

namespace uptrail {
namespace {

using namespace std::chrono_literals;

// Far from every date below, so a fallback to "now" cannot pass for a value read.
constexpr DateTime kNow = MakeDateTime(2031, 7, 15, 12, 34, 56);

DateTime Parsed(std::string_view text) {
    return ParseTimestamp(text, TimestampPart::kDateAndTime, kNow);
}

// Day by day across year zero and the leap-year rules of four centuries.
TEST(Calendar, AgreesWithTheStandardCalendarBothWays) {
    using namespace std::chrono;
    for (local_days day = MakeDate(-1, 12, 25); day < MakeDate(2401, 3, 5); day += days{1}) {
        const year_month_day date{day};
        const int month = static_cast<int>(unsigned{date.month()});
        const DateTimeFields fields{
            int{date.year()}, month, static_cast<int>(unsigned{date.day()}), 13, 14, 15};
        ASSERT_EQ(FieldsOf(DateTime{day} + 13h + 14min + 15s), fields);
        ASSERT_EQ(MakeDate(static_cast<int>(fields.year), fields.month, fields.day), day);
    }
}

TEST(Timestamp, ReadsFieldsRollingThoseOutOfRangeOverWritesThemPaddedAndGivesNowForOtherTexts) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"  2026:1:4:8:3:7 ", "2026:01:04:08:03:07"},
        {"2026:13:01:00:00:00", "2027:01:01:00:00:00"},
        {"2026:02:30:25:00:00", "2026:03:03:01:00:00"},
        {"2026:01:01:00:00:-1", "2025:12:31:23:59:59"},
        {"0000:00:00:00:00:00", "1999:11:30:00:00:00"},
        {"29:06:01:00:00:00", "2029:06:01:00:00:00"},
        {"100:06:01:00:00:00", "0100:06:01:00:00:00"},
        // The year mapping comes before the roll-over: month 0 of year 30 is December 1929.
        {"30:00:01:00:00:00", "1929:12:01:00:00:00"},
        // Long and negative years are written whole, so they read back.
        {"32767:13:01:00:00:00", "32768:01:01:00:00:00"},
        {"-0005:03:01:12:00:00", "-0005:03:01:12:00:00"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(FormatTimestamp(Parsed(text)), expected) << text;
    for (const std::string_view text : {"", "2026:12:04:08:03", "2026:12:04:08:03:07:00"})
        EXPECT_EQ(Parsed(text), kNow) << text;
}

TEST(TimestampFieldValue, TakesTheLeadingNumberRoundedHalfToEvenAndSaturatesAt16Bits) {
    const std::pair<std::string_view, std::int16_t> cases[] = {
        {"", 0},      {"12abc", 12},      {" \t7", 7},
        {"+7", 7},    {"--7", 0},         {"2.4999", 2},
        {"2.500", 2}, {"3.5", 4},         {"2.51", 3},
        {"-3.5", -4}, {"-32769", -32768}, {"99999999999999999999999999999999", 32767}};
    for (const auto& [field, expected] : cases)
        EXPECT_EQ(TimestampFieldValue(field), expected) << "field \"" << field << "\"";
}

// Texts at the edges of the stored form, the stored form with each byte damaged by those
// that come closest, and stamps that change the year, the month or only the day: one reader
// keeps the month it read last, yet reads each as the general reader does.
TEST(PlainStamp, ReadsEveryTextAsTheGeneralReaderDoes) {
    std::vector<std::string> texts = {
        "0000:00:00:00:00:00", "0029:12:31:23:59:59", "0030:01:01:00:00:00", "0099:12:31:23:59:59",
        "0100:01:01:00:00:00", "9999:99:99:99:99:99", " 2026:12:04:08:03:07"};
    const std::string stored = "2026:12:04:08:03:07";
    for (std::size_t at = 0; at < stored.size(); ++at)
        for (const char c : {'/', '0', '9', ':', ';', ' ', '-', '+', '.', '\t', '\x80', '\xB9'}) {
            texts.push_back(stored);
            texts.back()[at] = c;
        }
    std::mt19937 random(20261204);
    for (int i = 0; i < 20000; ++i) {
        // Three years and months; days, hours, minutes and seconds beyond their ranges too.
        std::string text = stored;
        for (const std::size_t at : {3, 6, 8, 9, 11, 12, 14, 15, 17, 18})
            text[at] = static_cast<char>('0' + random() % (at < 7 ? 3 : 10));
        if (random() % 4 == 0) text[random() % text.size()] = "0123456789:00112233"[random() % 19];
        texts.push_back(text);
    }
    const std::regex storedForm("[0-9]{4}(:[0-9]{2}){5}");
    PlainStampReader reader;
    for (const std::string& text : texts) {
        EXPECT_EQ(ReadStamp(text, kNow), Parsed(text)) << text;
        DateTime value{};
        const bool read = text.size() == kPlainStampLength && reader.Read(text.data(), value);
        EXPECT_EQ(read, std::regex_match(text, storedForm)) << text;
        EXPECT_TRUE(!read || value == Parsed(text)) << text;
    }
}

TEST(DurationText, ShowsEachUnitWithItsOwnSignAndAllTheDigitsItNeedsAndClampsTo32Bits) {
    EXPECT_EQ(FormatDayDuration(-1505), "-01d -01h -05m");
    EXPECT_EQ(FormatDayDuration(INT32_MIN), "-1491308d -02h -08m");
    char line[32];  // the session list's own writer, for a session that ends before it starts
    EXPECT_EQ(std::string(line, PutDayDuration(line, -1505)), "-01d -01h -05m");
    // Milliseconds round down: a millisecond past -01:02:03 is already -01:02:04.
    EXPECT_EQ(FormatClockDuration(-3723001), "-01:02:04");
    EXPECT_EQ(FormatSeconds(INT64_MIN), "-2562047788015215:30:08");
    EXPECT_EQ(MinOf(INT64_MIN, 0), INT32_MIN);
    EXPECT_EQ(MaxOf(INT64_MAX, 0), INT32_MAX);
}

}  // namespace
}  // namespace uptrail
