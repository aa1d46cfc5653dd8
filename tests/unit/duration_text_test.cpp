#include <gtest/gtest.h>

#include <limits>

#include "sessionlog/duration_text.h"

namespace uptrail {
namespace {

constexpr auto kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr auto kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr auto kInt64Max = std::numeric_limits<std::int64_t>::max();
constexpr auto kInt64Min = std::numeric_limits<std::int64_t>::min();

TEST(FormatDayDuration, ShowsDaysHoursAndMinutesEachWithItsOwnSign) {
    const struct {
        std::int32_t minutes;
        std::string_view expected;
    } cases[] = {
        {59, "00d 00h 59m"},           {1440, "01d 00h 00m"},
        {150000, "104d 04h 00m"},      {-1440, "-01d 00h 00m"},
        {-1505, "-01d -01h -05m"},     {kInt32Max, "1491308d 02h 07m"},
        {kInt32Min, "-1491308d -02h -08m"},
    };
    for (const auto& [minutes, expected] : cases)
        EXPECT_EQ(FormatDayDuration(minutes), expected) << minutes << " minutes";
}

TEST(FormatClockDuration, RoundsMillisecondsDownToWholeSeconds) {
    const struct {
        std::int64_t milliseconds;
        std::string_view expected;
    } cases[] = {
        {999, "00:00:00"}, {-1, "-00:00:01"}, {-1000, "-00:00:01"},
        {kInt64Max, "2562047788015:12:55"}, {kInt64Min, "-2562047788015:12:56"},
    };
    for (const auto& [milliseconds, expected] : cases)
        EXPECT_EQ(FormatClockDuration(milliseconds), expected) << milliseconds << " ms";
}

// All hour digits, a negative value as its size, and colons for an empty separator.
TEST(FormatSeconds, ShowsHoursMinutesAndSecondsBetweenTheGivenSeparator) {
    const struct {
        std::int64_t seconds;
        std::string_view separator;
        std::string_view expected;
    } cases[] = {
        {3599, ":", "00:59:59"},     {3723, ":", "01:02:03"},   {360000, ":", "100:00:00"},
        {-3723, ":", "-01:02:03"},   {3723, " : ", "01 : 02 : 03"},
        {-3723, ".", "-01.02.03"},   {3723, "", "01:02:03"},
        {kInt64Max, ":", "2562047788015215:30:07"},
        {kInt64Min, ":", "-2562047788015215:30:08"},
    };
    for (const auto& [seconds, separator, expected] : cases)
        EXPECT_EQ(FormatSeconds(seconds, separator), expected) << seconds << " s";
}

TEST(FormatPadded, PadsToTheGivenDigitsAndKeepsTheSignInFront) {
    const struct {
        std::int64_t value;
        int digits;
        std::string_view expected;
    } cases[] = {
        {5, 4, "0005"},  {123, 2, "123"}, {-5, 2, "-05"}, {7, -3, "7"},
        {kInt64Min, 2, "-9223372036854775808"},
    };
    for (const auto& [value, digits, expected] : cases)
        EXPECT_EQ(FormatPadded(value, digits), expected) << value << " in " << digits << " digits";
}

TEST(MinOfMaxOf, ChooseTheSmallerOrLargerAndClampItIntoThirtyTwoBits) {
    const struct {
        std::int64_t a, b;
        std::int32_t min, max;
    } cases[] = {
        {1, 2, 1, 2},
        {kInt32Max, kInt32Min, kInt32Min, kInt32Max},
        {std::int64_t{kInt32Max} + 1, kInt32Max, kInt32Max, kInt32Max},
        {kInt64Max, 0, 0, kInt32Max},
        {kInt64Min, 0, kInt32Min, 0},
    };
    for (const auto& [a, b, min, max] : cases) {
        EXPECT_EQ(MinOf(a, b), min) << "MinOf(" << a << ", " << b << ")";
        EXPECT_EQ(MaxOf(a, b), max) << "MaxOf(" << a << ", " << b << ")";
    }
}

}  // namespace
}  // namespace uptrail
