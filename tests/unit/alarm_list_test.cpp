#include "alarm/alarm_list.h"

#include <gtest/gtest.h>

#include "storage/section_text.h"
#include "support/memory_file_system.h"

namespace uptrail {
namespace {

using testing::MemoryFileSystem;

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

    MemoryFileSystem files;
    AlarmList alarms;
};

TEST_F(AlarmListTest, OfTwoAlarmsWithTheSameTimeAndRepeatOnlyTheFirstIsKept) {
    Store("2026:01:05:09:00:00=0001:30:00=Tea\r\n2026:01:05:09:00:00=0001:30:00=Coffee\r\n");
    Load();
    ASSERT_EQ(alarms.AlarmUpperBound(), 1);
    EXPECT_EQ(alarms[1].Title, "Coffee");
    Save();
    EXPECT_EQ(StoredAlarms(), "2026:01:05:09:00:00=0001:30:00=Tea");
    EXPECT_EQ(alarms.AlarmUpperBound(), 0);
}

TEST_F(AlarmListTest, RepeatsAreReadInTheirCanonicalForm) {
    const struct {
        std::string stored, loaded;
    } cases[] = {
        {"25:75:00", "0025:59:00"},   {"1:2", "0000:00:00"},         {"#2", "#2"},
        {"#x", "#0"},                 {"99999:00:00", "9999:00:00"}, {" 3:05:00 ", "0003:05:00"},
        {"-5:10:00", "0000:10:00"},   {"1:2:3:4", "0000:00:00"},     {"", "0000:00:00"},
    };
    for (const auto& c : cases) EXPECT_EQ(NormalisedRepeat(c.stored), c.loaded) << c.stored;
}

TEST_F(AlarmListTest, ATitleHoldingEqualsSignsComesBackWhole) {
    Store("2026:12:24:07:30:00=#1=a=b\r\n2026:12:25:07:30:00=#1\r\nnot an alarm\r\n");
    Load();
    ASSERT_EQ(alarms.AlarmUpperBound(), 1) << "a line without \"=\" is no alarm";
    EXPECT_EQ(alarms[0].Title, "a=b");
    EXPECT_EQ(alarms[1].Title, "");
    Save();
    EXPECT_EQ(StoredAlarms(), "2026:12:24:07:30:00=#1=a=b\r\n2026:12:25:07:30:00=#1=");
}

TEST_F(AlarmListTest, AFileWithoutAlarmsLeavesTheListAsItWas) {
    Load();
    EXPECT_TRUE(alarms.Empty());
    alarms.AddEmpty();
    alarms[0].Key = "2026:01:09:09:00:00";
    files.AddFile(kLog, "[Log]\r\n");
    Load();
    EXPECT_EQ(alarms.AlarmUpperBound(), 0);
}

TEST_F(AlarmListTest, LoadingWithAdvanceMovesMissedRepeatsPastNowOnly) {
    Store("2026:01:05:07:30:00=#1=daily\r\n2026:01:05:07:30:00=0000:00:00=once\r\n"
          "2026:01:09:07:30:00=#2=ahead\r\n2026:01:07:08:59:30=0000:01:00=minutely\r\n");
    Load(true);
    EXPECT_EQ(alarms[0].Key, "2026:01:09:07:30:00") << "three days behind: the next 07:30";
    EXPECT_EQ(alarms[1].Key, "2026:01:05:07:30:00") << "a one-time alarm stays due";
    EXPECT_EQ(alarms[2].Key, "2026:01:09:07:30:00") << "a future alarm stays";
    EXPECT_EQ(alarms[3].Key, "2026:01:08:09:00:30");
    Load(false);
    EXPECT_EQ(alarms[0].Key, "2026:01:05:07:30:00");
}

TEST_F(AlarmListTest, SavingSortsByTimeAndDropsStoppedAlarmsNoWindowHolds) {
    Store("");
    alarms.Replace({{"2026:03:01:10:00:00", "#1", "c", 0},
                    {"", "0000:00:00", "stopped", 0},
                    {"2026:01:01:10:00:00", "#1", "a", 0},
                    {"", "0000:00:00", "new, in its window", 42},
                    {"2026:02:01:10:00:00", "#1", "b", 0}});
    Save();
    EXPECT_EQ(StoredAlarms(),
              "=0000:00:00=new, in its window\r\n2026:01:01:10:00:00=#1=a\r\n"
              "2026:02:01:10:00:00=#1=b\r\n2026:03:01:10:00:00=#1=c");
    EXPECT_EQ(alarms[0].hWnd, 42u) << "the window's entry keeps its window";

    alarms[0].hWnd = 0;
    alarms[1].Key = alarms[2].Key = alarms[3].Key = "";
    Save();
    EXPECT_TRUE(alarms.Empty());
    EXPECT_EQ(files.Contents(kLog), "[Log]\r\nentry\r\n\r\n[Alarm]\r\n") << "a bare header stays";
}

TEST_F(AlarmListTest, EntriesThatWindowsHoldAreNeverPurgedAsDuplicates) {
    Store("");
    alarms.Replace({{"", "0000:00:00", "", 7}, {"", "0000:00:00", "", 8},
                    {"2026:01:09:10:00:00", "#1", "", 0}, {"2026:01:09:10:00:00", "#1", "", 9}});
    Save();
    EXPECT_EQ(alarms.AlarmUpperBound(), 3);
}

TEST_F(AlarmListTest, AWindowFindsTheEntryItHoldsBeforeAnyByKey) {
    alarms.Replace({{"", "0000:00:00", "", 0},
                    {"2026:01:09:10:00:00", "#1", "", 5},
                    {"2026:01:09:10:00:00", "#2", "", 0},
                    {"", "0000:00:00", "", 6},
                    {"", "0000:00:00", "", 0}});
    EXPECT_EQ(FindOwnEntry(alarms, "anything", 6), 3);
    EXPECT_EQ(FindOwnEntry(alarms, "2026:01:09:10:00:00", 0), 2)
        << "one a window holds is not free";
    EXPECT_EQ(FindOwnEntry(alarms, "", 77), 0) << "a new window takes the first free stopped entry";
    EXPECT_EQ(FindOwnEntry(alarms, "2027:01:01:00:00:00", 77), 4) << "else the last one";
    EXPECT_EQ(FindOwnEntry(AlarmList{}, "", 1), -1);
}

}  // namespace
}  // namespace uptrail
