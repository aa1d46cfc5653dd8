#include "alarm/alarm_schedule.h"

#include <gtest/gtest.h>

#include "sessionlog/timestamp.h"

namespace uptrail {
namespace {

TEST(AlarmSchedule, CalendarRules) {
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_FALSE(IsLeapYear(2023));
    EXPECT_EQ(DaysInMonth(2, 2024), 29);
    EXPECT_EQ(DaysInMonth(2, 2100), 28);
    EXPECT_EQ(DaysInMonth(2, 0), 28) << "no leap day before year 1";
    EXPECT_EQ(DaysInMonth(12, 2023), 31);
    EXPECT_EQ(DaysInMonth(13, 2024), 0);
    EXPECT_EQ(DaysInMonth(0, 2024), 0);
}

TEST(AlarmSchedule, InRangeReadsAnInvertedRangeTheOtherWayRound) {
    EXPECT_TRUE(InRange(5, 1, 12));
    EXPECT_FALSE(InRange(13, 1, 12));
    EXPECT_TRUE(InRange(5, 12, 1)) << "high below low";
    EXPECT_TRUE(InRange(3, 3, 3));
    EXPECT_FALSE(InRange(5, 1, 12, true));
}

TEST(AlarmSchedule, RepeatMinutesOfIntervalsAndPeriods) {
    const struct {
        const char* repeat;
        DateTime due;
        std::int32_t minutes;
    } cases[] = {
        {"0000:00:00", MakeDateTime(2026, 1, 1), 0},
        {"0001:30:00", MakeDateTime(2026, 1, 1), 90},
        {"9999:59:00", MakeDateTime(2026, 1, 1), 599999},
        {"#1", MakeDateTime(2026, 1, 1), 1440},
        {"#2", MakeDateTime(2026, 1, 1), 10080},
        {"#3", MakeDateTime(2024, 2, 15), 41760},
        {"#3", MakeDateTime(2023, 2, 15), 40320},
        {"#3", MakeDateTime(2023, 1, 31), 44640},
        {"#4", MakeDateTime(2024, 1, 10), 527040},
        {"#4", MakeDateTime(2023, 3, 1), 527040},
        {"#4", MakeDateTime(2024, 3, 1), 525600},
        {"#4", MakeDateTime(2024, 2, 28), 527040},  // the leap day is still ahead
        {"#4", MakeDateTime(2024, 2, 29), 525600},
        {"#4", MakeDateTime(2023, 2, 27), 525600},
        {"#9", MakeDateTime(2024, 1, 10), 527040},  // a period beyond a year is a year
        {"#0", MakeDateTime(2026, 1, 1), 0},
        {"#-2", MakeDateTime(2026, 1, 1), 0},
        {"garbage", MakeDateTime(2026, 1, 1), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RepeatMinutes(c.repeat, c.due), c.minutes)
            << c.repeat << " " << FormatTimestamp(c.due);
}

TEST(AlarmSchedule, AdvanceLandsOnTheFirstOccurrenceAfterNow) {
    const DateTime now = MakeDateTime(2026, 1, 8, 9, 0, 0);
    EXPECT_EQ(AdvanceDueTime(MakeDateTime(2026, 1, 6, 7, 30), 1440, now),
              MakeDateTime(2026, 1, 9, 7, 30));
    EXPECT_EQ(AdvanceDueTime(MakeDateTime(2026, 1, 7, 9, 0), 1440, now),
              MakeDateTime(2026, 1, 9, 9, 0))
        << "an occurrence exactly at now is past";
    EXPECT_EQ(AdvanceDueTime(MakeDateTime(2026, 1, 6), 0, now), MakeDateTime(2026, 1, 6));
    EXPECT_EQ(AdvanceDueTime(MakeDateTime(2027, 1, 1), 1, now), MakeDateTime(2027, 1, 1));
    EXPECT_EQ(AdvanceDueTime(MakeDateTime(1900, 1, 1), 1, now), now + std::chrono::minutes{1})
        << "a century behind at one minute takes no million steps";
}

TEST(AlarmSchedule, CountdownTextInEitherDirection) {
    const DateTime t = MakeDateTime(2026, 1, 1);
    EXPECT_EQ(CountdownText(t, t + std::chrono::seconds{3725}), "01:02:05");
    EXPECT_EQ(CountdownText(t + std::chrono::seconds{3725}, t), "01:02:05");
    EXPECT_EQ(CountdownText(t, t + std::chrono::hours{100}), "100:00:00");
    EXPECT_EQ(CountdownText(t, t), "00:00:00");
    EXPECT_EQ(CountdownText(t, t + std::chrono::seconds{61}, "."), "00.01.01");
}

}  // namespace
}  // namespace uptrail
