#include "alarm/alarm_list.h"

#include <gtest/gtest.h>

#include "alarm/alarm_schedule.h"
#include "sessionlog/timestamp.h"
#include "storage/section_text.h"
#include "support/memory_file_system.h"

namespace uptrail {
namespace {

const std::filesystem::path kLog = "C:\\Uptrail\\Uptrail.txt";
const DateTime kNow = MakeDateTime(2026, 1, 8, 9, 0, 0);

class AlarmListTest : public ::testing::Test {
protected:
    AlarmListTest() { files.AddFolder(kLog.parent_path()); }
    void Store(const std::string& alarmLines) {
        files.AddFile(kLog, "[Log]\r\nentry\r\n\r\n[Alarm]\r\n" + alarmLines);
    }
    std::string StoredAlarms() { return LoadSectionText(files.Contents(kLog), "Alarm", ""); }
    void Load(bool advance = false) { LoadAlarms(alarms, files, kLog, advance, kNow); }
    void Save() { SaveAlarms(alarms, files, kLog); }

    testing::MemoryFileSystem files;
    AlarmList alarms;
};

TEST_F(AlarmListTest, LoadsTitlesWholeAndRepeatsInTheirCanonicalForm) {
    Store("2026:12:24:07:30:00=25:75:00=a=b\r\nnot an alarm\r\n2026:12:25:07:30:00=1:2\r\n");
    Load();
    ASSERT_EQ(alarms.AlarmUpperBound(), 1) << "a line without \"=\" is no alarm";
    EXPECT_EQ(alarms[0], (AlarmEntry{"2026:12:24:07:30:00", "0025:59:00", "a=b", 0}));
    EXPECT_EQ(alarms[1], (AlarmEntry{"2026:12:25:07:30:00", "0000:00:00", "", 0}));
    for (const auto& [stored, loaded] : {std::pair{"#x", "#0"}, {"99999:00:00", "9999:00:00"},
                                         {" -5:10:00 ", "0000:10:00"}})
        EXPECT_EQ(NormalisedRepeat(stored), loaded) << stored;
}

TEST_F(AlarmListTest, LoadingWithAdvanceMovesMissedRepeatsPastNowOnly) {
    Store("2026:01:05:07:30:00=#1=daily\r\n2026:01:05:07:30:00=0000:00:00=once\r\n"
          "2026:01:09:07:30:00=#2=ahead\r\n2026:01:07:08:59:30=0000:01:00=minutely\r\n"
          "2026:01:07:09:00:00=#1=due at now\r\n1900:01:01:00:00:00=0000:01:00=long behind\r\n");
    Load(true);
    EXPECT_EQ(alarms[0].Key, "2026:01:09:07:30:00") << "three days behind: the next 07:30";
    EXPECT_EQ(alarms[1].Key, "2026:01:05:07:30:00") << "a one-time alarm stays due";
    EXPECT_EQ(alarms[2].Key, "2026:01:09:07:30:00") << "a future alarm stays";
    EXPECT_EQ(alarms[3].Key, "2026:01:08:09:00:30");
    EXPECT_EQ(alarms[4].Key, "2026:01:09:09:00:00") << "an occurrence exactly at now is past";
    EXPECT_EQ(alarms[5].Key, "2026:01:08:09:01:00") << "at once, not in millions of steps";
    Load(false);
    EXPECT_EQ(alarms[0].Key, "2026:01:05:07:30:00");
}

// Of duplicates (same time and repeat) the lowest index stays; what a window holds stays.
TEST_F(AlarmListTest, SavingDropsStoppedAndDoubledAlarmsNoWindowHoldsAndSortsTheRest) {
    Store("");
    alarms.Replace({{"2026:03:01:10:00:00", "#1", "c", 0},
                    {"", "0000:00:00", "stopped", 0},
                    {"2026:01:01:10:00:00", "#1", "a", 0},
                    {"", "0000:00:00", "new, in its window", 42},
                    {"2026:03:01:10:00:00", "#1", "c again", 0},
                    {"2026:01:01:10:00:00", "#1", "a in its window", 9}});
    Save();
    EXPECT_EQ(StoredAlarms(),
              "=0000:00:00=new, in its window\r\n2026:01:01:10:00:00=#1=a\r\n"
              "2026:01:01:10:00:00=#1=a in its window\r\n2026:03:01:10:00:00=#1=c");
    EXPECT_EQ(alarms[0].hWnd, 42u) << "the window's entry keeps its window";

    alarms.Replace({{"", "0000:00:00", "stopped", 0}});
    Save();
    EXPECT_TRUE(alarms.Empty());
    EXPECT_EQ(files.Contents(kLog), "[Log]\r\nentry\r\n\r\n[Alarm]\r\n") << "a bare header stays";
}

TEST(AlarmSchedule, DaysInMonth) {
    EXPECT_EQ(DaysInMonth(2, 2024), 29);
    EXPECT_EQ(DaysInMonth(2, 2000), 29);
    EXPECT_EQ(DaysInMonth(2, 2100), 28);
    EXPECT_EQ(DaysInMonth(2, 0), 28) << "no leap day before year 1";
    EXPECT_EQ(DaysInMonth(13, 2024), 0);
    EXPECT_EQ(DaysInMonth(0, 2024), 0);
}

TEST(AlarmSchedule, RepeatMinutesOfIntervalsAndPeriods) {
    const struct {
        const char* repeat;
        DateTime due;
        std::int32_t minutes;
    } cases[] = {
        {"0000:00:00", MakeDateTime(2026, 1, 1), 0},
        {"0001:30:00", MakeDateTime(2026, 1, 1), 90},
        {"-0001:30:00", MakeDateTime(2026, 1, 1), 0},
        {"#1", MakeDateTime(2026, 1, 1), 1440},
        {"#2", MakeDateTime(2026, 1, 1), 10080},
        {"#3", MakeDateTime(2024, 2, 15), 41760},
        {"#3", MakeDateTime(2023, 1, 31), 44640},
        {"#4", MakeDateTime(2024, 2, 28), 527040},  // the leap day is still ahead
        {"#4", MakeDateTime(2023, 3, 1), 527040},
        {"#4", MakeDateTime(2024, 3, 1), 525600},
        {"#9", MakeDateTime(2024, 1, 10), 527040},  // a period beyond a year is a year
        {"#0", MakeDateTime(2026, 1, 1), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RepeatMinutes(c.repeat, c.due), c.minutes)
            << c.repeat << " " << FormatTimestamp(c.due);
}

TEST(AlarmSchedule, CountdownTextInEitherDirection) {
    const DateTime t = MakeDateTime(2026, 1, 1);
    EXPECT_EQ(CountdownText(t, t + std::chrono::seconds{3725}), "01:02:05");
    EXPECT_EQ(CountdownText(t + std::chrono::hours{100}, t), "100:00:00");
}

}  // namespace
}  // namespace uptrail
