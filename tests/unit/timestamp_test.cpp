#include <gtest/gtest.h>

#include <limits>

#include "sessionlog/timestamp.h"

namespace uptrail {
namespace {

using namespace std::chrono_literals;

// Far from every date in the tables, so a fallback to "now" cannot pass for a parsed value.
const DateTime kNow = MakeDateTime(2031, 7, 15, 12, 34, 56);

struct ParseCase {
    std::string_view text;
    DateTime expected;
};

void ExpectParsedAsDateAndTime(const std::vector<ParseCase>& cases) {
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(FormatTimestamp(ParseTimestamp(text, TimestampPart::kDateAndTime, kNow)),
                  FormatTimestamp(expected))
            << "text \"" << text << "\"";
}

TEST(Calendar, MakeDateAgreesWithTheStandardCalendarOverThousandsOfYears) {
    using namespace std::chrono;
    for (int y = -2000; y <= 4000; y += 7)
        for (unsigned m = 1; m <= 12; ++m)
            for (unsigned d : {1u, 15u, 28u}) {
                const year_month_day date{year{y}, month{m}, day{d}};
                ASSERT_EQ(MakeDate(y, static_cast<int>(m), static_cast<int>(d)), local_days{date})
                    << y << "-" << m << "-" << d;
            }
}

TEST(Calendar, FieldsOfAgreesWithTheStandardCalendarDayByDay) {
    using namespace std::chrono;
    for (local_days day = MakeDate(1599, 12, 25); day < MakeDate(2401, 3, 5); day += days{1}) {
        const year_month_day date{day};
        const DateTimeFields fields = FieldsOf(DateTime{day} + 13h + 14min + 15s);
        const DateTimeFields expected{int{date.year()}, static_cast<int>(unsigned{date.month()}),
                                      static_cast<int>(unsigned{date.day()}), 13, 14, 15};
        ASSERT_EQ(fields, expected) << FormatTimestamp(DateTime{day});
    }
}

TEST(Calendar, HandlesTheExtremesOfTheDateTimeRange) {
    EXPECT_EQ(FieldsOf(DateTime::max()), (DateTimeFields{292277026596, 12, 4, 15, 30, 7}));
    EXPECT_EQ(FieldsOf(DateTime::min()), (DateTimeFields{-292277022657, 1, 27, 8, 29, 52}));
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    EXPECT_LT(MakeDateTime(kMin, kMin, kMin, kMin, kMin, kMin), MakeDateTime(-1000, 1, 1));
    EXPECT_GT(MakeDateTime(kMax, kMax, kMax, kMax, kMax, kMax), MakeDateTime(10000, 1, 1));
}

TEST(ParseTimestamp, ReadsTheStoredFormAndIgnoresSurroundingSpaces) {
    ExpectParsedAsDateAndTime({
        {"2026:12:04:08:03:07", MakeDateTime(2026, 12, 4, 8, 3, 7)},
        {"   2026:12:04:08:03:07 ", MakeDateTime(2026, 12, 4, 8, 3, 7)},
        {"2026:1:4:8:3:7", MakeDateTime(2026, 1, 4, 8, 3, 7)},
    });
}

TEST(ParseTimestamp, RollsOutOfRangeFieldsOverIntoTheNextUnit) {
    ExpectParsedAsDateAndTime({
        {"2026:13:01:00:00:00", MakeDateTime(2027, 1, 1)},
        {"2026:-1:15:00:00:00", MakeDateTime(2025, 11, 15)},
        {"2026:03:00:00:00:00", MakeDateTime(2026, 2, 28)},
        {"2026:01:-1:00:00:00", MakeDateTime(2025, 12, 30)},
        {"2026:02:30:25:00:00", MakeDateTime(2026, 3, 3, 1, 0, 0)},
        {"2026:01:01:23:59:60", MakeDateTime(2026, 1, 2)},
        {"2026:01:01:00:00:-1", MakeDateTime(2025, 12, 31, 23, 59, 59)},
        {"0000:00:00:00:00:00", MakeDateTime(1999, 11, 30)},
    });
}

TEST(ParseTimestamp, ReadsYearsBelowOneHundredAsTheYearsAroundTwoThousand) {
    ExpectParsedAsDateAndTime({
        {"0:06:01:00:00:00", MakeDateTime(2000, 6, 1)},
        {"29:06:01:00:00:00", MakeDateTime(2029, 6, 1)},
        {"30:06:01:00:00:00", MakeDateTime(1930, 6, 1)},
        {"0099:06:01:00:00:00", MakeDateTime(1999, 6, 1)},
        {"100:06:01:00:00:00", MakeDateTime(100, 6, 1)},
        {"-1:06:01:00:00:00", MakeDateTime(-1, 6, 1)},
        // The mapping comes before the roll-over: month 0 of year 30 is December 1929.
        {"30:00:01:00:00:00", MakeDateTime(1929, 12, 1)},
    });
}

TEST(TimestampFieldValue, TakesTheLeadingNumberRoundedHalfToEvenAndSaturatesAt16Bits) {
    const struct {
        std::string_view field;
        std::int16_t expected;
    } cases[] = {
        {"", 0},       {"abc", 0},    {"08", 8},       {"12abc", 12},  {" \t7", 7},
        {"+7", 7},     {"-7", -7},    {"--7", 0},      {"7.", 7},      {"2.4999", 2},
        {"2.5", 2},    {"3.5", 4},    {"2.51", 3},     {"2.50000", 2}, {"6.5x", 6},
        {"-2.5", -2},  {"-3.5", -4},  {".5", 0},       {"32767", 32767},
        {"32768", 32767},             {"32767.5", 32767},             {"-32768", -32768},
        {"-32768.5", -32768},         {"-32769", -32768},
        {"99999999999999999999999999999999", 32767},
    };
    for (const auto& [field, expected] : cases)
        EXPECT_EQ(TimestampFieldValue(field), expected) << "field \"" << field << "\"";
}

TEST(ParseTimestamp, RollsASaturatedYearOnBeyondSixteenBits) {
    EXPECT_EQ(FieldsOf(ParseTimestamp("32767:13:01:00:00:00", TimestampPart::kDateAndTime, kNow)),
              (DateTimeFields{32768, 1, 1, 0, 0, 0}));
}

TEST(ParseTimestamp, GivesNowForATextWithoutExactlySixFields) {
    for (const std::string_view text : {"", "2026:12:04:08:03", "2026:12:04:08:03:07:00"})
        for (const auto part :
             {TimestampPart::kDateAndTime, TimestampPart::kDate, TimestampPart::kTime}) {
            EXPECT_EQ(ParseTimestamp(text, part, kNow), kNow) << "text \"" << text << "\"";
            EXPECT_FALSE(TryParseTimestamp(text, part)) << "text \"" << text << "\"";
        }
}

TEST(ParseTimestamp, GivesTheDateOrTheTimeOfDayAloneWhenAsked) {
    const struct {
        std::string_view text;
        TimestampPart part;
        DateTime expected;
    } cases[] = {
        {"2026:12:04:08:03:07", TimestampPart::kDate, MakeDateTime(2026, 12, 4)},
        {"2026:12:04:08:03:07", TimestampPart::kTime, MakeDateTime(1899, 12, 30, 8, 3, 7)},
        {"2026:12:04:25:00:00", TimestampPart::kDate, MakeDateTime(2026, 12, 4)},
        {"2026:12:04:25:00:00", TimestampPart::kTime, MakeDateTime(1899, 12, 31, 1, 0, 0)},
        {"2026:12:04:08:03:07", static_cast<TimestampPart>(7), MakeDateTime(2026, 12, 4, 8, 3, 7)},
    };
    for (const auto& [text, part, expected] : cases)
        EXPECT_EQ(FormatTimestamp(ParseTimestamp(text, part, kNow)), FormatTimestamp(expected))
            << "text \"" << text << "\", part " << static_cast<int>(part);
}

TEST(FormatTimestamp, WritesEveryFieldPaddedKeepsLongAndNegativeYearsAndReadsBack) {
    const struct {
        DateTime value;
        std::string_view text;
    } cases[] = {
        {MakeDateTime(2026, 12, 4, 8, 3, 7), "2026:12:04:08:03:07"},
        {MakeDateTime(1, 1, 1), "0001:01:01:00:00:00"},
        {MakeDateTime(100, 1, 1), "0100:01:01:00:00:00"},
        {MakeDateTime(10000, 1, 1), "10000:01:01:00:00:00"},
        {MakeDateTime(32767, 12, 31, 23, 59, 59), "32767:12:31:23:59:59"},
        {MakeDateTime(-5, 3, 1, 12, 0, 0), "-0005:03:01:12:00:00"},
        {MakeDateTime(-32768, 1, 1), "-32768:01:01:00:00:00"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(FormatTimestamp(value), text);
        // Years 1 to 99 read back as the years around 2000.
        if (value < MakeDateTime(1, 1, 1) || value >= MakeDateTime(100, 1, 1)) {
            EXPECT_EQ(ParseTimestamp(text, TimestampPart::kDateAndTime, kNow), value) << text;
        }
    }
}

TEST(DateDisplay, ShowsTheFixedDisplayFormsWithTheGivenMonthNames) {
    const auto& english = EnglishMonthNames();
    const DateTime morning = MakeDateTime(2026, 12, 4, 8, 3, 7);
    EXPECT_EQ(FormatMonthDayTime(morning, english), "Dec 04, 08:03");
    EXPECT_EQ(FormatMonthDayYear(morning, english), "Dec 04, 2026");
    EXPECT_EQ(FormatHourMinute(morning), "08:03");
    EXPECT_EQ(FormatYearMonthDayTime(MakeDateTime(2027, 1, 5, 8, 3, 59), english),
              "2027, Jan 05, 08:03");

    MonthNames names = EnglishMonthNames();
    names[2] = "M\xE4r";
    const DateTime value = MakeDateTime(2026, 3, 9, 10, 11, 12);
    EXPECT_EQ(FormatMonthDayTime(value, names), "M\xE4r 09, 10:11");
    EXPECT_EQ(FormatMonthDayYear(value, names), "M\xE4r 09, 2026");
}

}  // namespace
}  // namespace uptrail
