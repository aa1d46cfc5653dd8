#include "alarm/alarm_window.h"

#include <gtest/gtest.h>

#include "alarm/alarm_commands.h"
#include "alarm/alarm_list.h"
#include "alarm/alarm_menu.h"
#include "alarm/alarm_schedule.h"
#include "app/menu_tree.h"
#include "sessionlog/timestamp.h"
#include "storage/section_text.h"
#include "support/fake_main_context.h"

namespace uptrail {
namespace {

const DateTime kNow = MakeDateTime(2026, 12, 6, 9, 30, 15);

// An alarm window with its shell double, opened as the main window opens one.
struct OpenWindow final : AlarmWindowHost {
    OpenWindow(MainContext& context, std::string key, std::uintptr_t id)
        : handle(id), window(context, *this, std::move(key)) {
        window.OnLoad();
        window.OnActivate();
    }
    std::uintptr_t Handle() const override { return handle; }
    void PlayAlarmSound() override { ++sounds; }
    void CloseWindow() override { ++closes; }
    void Restore() override {}

    std::uintptr_t handle;
    int sounds = 0;
    int closes = 0;
    AlarmWindow window;
};

class AlarmTest : public ::testing::Test {
protected:
    AlarmTest() {
        fake.clock.now = kNow;
        state().logFile = "C:\\Uptrail\\Uptrail.txt";
        state().mainStarted = true;
        fake.files.AddFolder(state().logFile.parent_path());
        fake.files.AddFile(state().logFile, "[Log]\r\n");
    }
    MainState& state() { return fake.context.state; }
    AlarmList& alarms() { return state().alarms; }
    std::string StoredAlarms() {
        return LoadSectionText(fake.files.Contents(state().logFile), "Alarm", "");
    }
    // Loaded as the main window loads them at its start: nothing moves on.
    void Store(const std::string& lines) {
        fake.files.AddFile(state().logFile, "[Log]\r\n\r\n[Alarm]\r\n" + lines);
        LoadAlarmsAtStartup(fake.context);
    }
    void Tick(OpenWindow& w, int times = 1) {
        for (int i = 0; i < times; ++i) {
            fake.clock.Advance(std::chrono::seconds{1});
            w.window.OnAlertTick();
        }
    }
    testing::FakeMainContext fake;
};

TEST_F(AlarmTest, LoadsTitlesWholeAndRepeatsInTheirCanonicalForm) {
    Store("2026:12:24:07:30:00=25:75:00=a=b\r\nnot an alarm\r\n2026:12:25:07:30:00=1:2\r\n");
    ASSERT_EQ(alarms().AlarmUpperBound(), 1) << "a line without \"=\" is no alarm";
    EXPECT_EQ(alarms()[0], (AlarmEntry{"2026:12:24:07:30:00", "0025:59:00", "a=b", 0}));
    EXPECT_EQ(alarms()[1], (AlarmEntry{"2026:12:25:07:30:00", "0000:00:00", "", 0}));
    for (const auto& [stored, loaded] : {std::pair{"#x", "#0"}, {" -5:10:00 ", "0000:10:00"}})
        EXPECT_EQ(NormalisedRepeat(stored), loaded) << stored;
}

TEST_F(AlarmTest, LoadingWithAdvanceMovesMissedRepeatsPastNowOnly) {
    Store("1900:01:01:00:00:00=0000:01:00=long behind\r\n2026:12:03:07:30:00=0000:00:00=once\r\n"
          "2026:12:07:07:30:00=#2=ahead\r\n2026:12:06:09:30:15=#1=due at now\r\n");
    EXPECT_EQ(alarms()[0].Key, "1900:01:01:00:00:00") << "not without advance";
    LoadAlarms(alarms(), fake.files, state().logFile, true, kNow);
    EXPECT_EQ(alarms()[0].Key, "2026:12:06:09:31:00") << "at once, not in millions of steps";
    EXPECT_EQ(alarms()[1].Key, "2026:12:03:07:30:00") << "a one-time alarm stays due";
    EXPECT_EQ(alarms()[2].Key, "2026:12:07:07:30:00") << "a future alarm stays";
    EXPECT_EQ(alarms()[3].Key, "2026:12:07:09:30:15") << "an occurrence exactly at now is past";
}

// Of duplicates (same time and repeat) the lowest index stays; what a window holds stays.
TEST_F(AlarmTest, SavingDropsStoppedAndDoubledAlarmsNoWindowHoldsAndSortsTheRest) {
    Store("");
    alarms().Replace({{"2026:03:01:10:00:00", "#1", "c", 0},
                      {"", "0000:00:00", "stopped", 0},
                      {"2026:01:01:10:00:00", "#1", "a", 0},
                      {"", "0000:00:00", "new, in its window", 42},
                      {"2026:03:01:10:00:00", "#1", "c again", 0},
                      {"2026:01:01:10:00:00", "#1", "a in its window", 9}});
    SaveAlarms(alarms(), fake.files, state().logFile);
    EXPECT_EQ(StoredAlarms(),
              "=0000:00:00=new, in its window\r\n2026:01:01:10:00:00=#1=a\r\n"
              "2026:01:01:10:00:00=#1=a in its window\r\n2026:03:01:10:00:00=#1=c");
    EXPECT_EQ(alarms()[0].hWnd, 42u) << "the window's entry keeps its window";

    alarms().Replace({{"", "0000:00:00", "stopped", 0}});
    SaveAlarms(alarms(), fake.files, state().logFile);
    EXPECT_TRUE(alarms().Empty());
    EXPECT_EQ(fake.files.Contents(state().logFile), "[Log]\r\n\r\n[Alarm]\r\n") << "a bare header";
}

TEST(AlarmSchedule, PeriodsIntervalsAndCountdowns) {
    EXPECT_EQ(DaysInMonth(2, 2000), 29);
    EXPECT_EQ(DaysInMonth(2, 2100), 28);
    EXPECT_EQ(DaysInMonth(2, 0), 28) << "no leap day before year 1";
    EXPECT_EQ(DaysInMonth(13, 2024), 0);

    const DateTime t = MakeDateTime(2026, 1, 1);
    EXPECT_EQ(RepeatMinutes("0001:30:00", t), 90);
    EXPECT_EQ(RepeatMinutes("-0001:30:00", t), 0) << "a negative interval is no repeat";
    EXPECT_EQ(RepeatMinutes("#0", t), 0);
    EXPECT_EQ(RepeatMinutes("#1", t), 1440);
    EXPECT_EQ(RepeatMinutes("#2", t), 7 * 1440);
    EXPECT_EQ(RepeatMinutes("#3", MakeDateTime(2024, 2, 15)), 29 * 1440);
    EXPECT_EQ(RepeatMinutes("#4", MakeDateTime(2024, 2, 28)), 366 * 1440) << "leap day ahead";
    EXPECT_EQ(RepeatMinutes("#4", MakeDateTime(2024, 3, 1)), 365 * 1440);
    EXPECT_EQ(RepeatMinutes("#9", MakeDateTime(2024, 1, 10)), 366 * 1440) << "at most a year";

    EXPECT_EQ(CountdownText(t, t + std::chrono::seconds{3725}), "01:02:05");
    EXPECT_EQ(CountdownText(t + std::chrono::hours{100}, t), "100:00:00");
}

TEST_F(AlarmTest, ANewAlarmSetAsAShiftIsStoredWithItsRepeatAndTitleWhenStarted) {
    OnAlarmNewClick(fake.context);
    OpenWindow w(fake.context, "", 100);
    EXPECT_EQ(alarms()[0].hWnd, 100u) << "the window holds its entry from the start";

    w.window.OnShiftChange("0000:90:00");
    w.window.OnActivate();  // a stopped window keeps its edits when activated again
    EXPECT_EQ(w.window.Controls().tbShift.text, "0000:59:00");
    EXPECT_EQ(w.window.Controls().tbTime.text, "10:29:00");
    w.window.OnRepeatComboClick(2);
    w.window.OnTitleChange("Call home");
    w.window.OnButtonClick();
    w.window.OnUnload();
    EXPECT_EQ(StoredAlarms(), "2026:12:06:10:29:00=#2=Call home");
    EXPECT_EQ(state().alarmMenu.items.size(), 1u) << "the main window's check finds it at once";
}

TEST_F(AlarmTest, AOneTimeAlarmRingsOnceThenCountsTheSecondsSince) {
    Store("2026:12:06:09:30:20=0000:00:00=Tea\r\n");
    OpenWindow w(fake.context, "2026:12:06:09:30:20", 7);
    // The due time is taken to the minute from the controls, so it is already due.
    Tick(w);
    EXPECT_EQ(w.window.Controls().bbAlarm, "Start");
    EXPECT_EQ(StoredAlarms(), "=0000:00:00=Tea") << "stopped, but still the window's";
    Tick(w, 2);
    EXPECT_EQ(w.sounds, 1);
    EXPECT_EQ(w.window.Controls().tlNow, "00:00:03 ");
}

TEST_F(AlarmTest, ADailyAlarmTwoDaysBehindRingsThreeTimesThenCountsDownToTomorrow) {
    Store("2026:12:04:07:30:00=#1=Wake\r\n");
    OnMainAlertTick(fake.context);
    ASSERT_EQ(fake.window.openedAlarms, std::vector<std::string>{"2026:12:04:07:30:00"});
    OpenWindow w(fake.context, fake.window.openedAlarms[0], 7);
    Tick(w, 4);
    EXPECT_EQ(w.sounds, 3);
    EXPECT_EQ(StoredAlarms(), "2026:12:07:07:30:00=#1=Wake");
    EXPECT_EQ(w.window.Controls().tbShift.text, "0021:59:41");
    OnMainAlertTick(fake.context);
    EXPECT_EQ(fake.window.openedAlarms.size(), 1u) << "the window's alarm is left to the window";
}

// Stopping sorts the stopped alarm's now empty entry to the front, so the other window's
// entry moves to another index.
TEST_F(AlarmTest, StopKeepsTheWindowClosingRemovesTheAlarmAndNoWindowWritesIntoAnother) {
    Store("2029:01:01:07:30:00=0000:00:00=first\r\n2029:01:01:08:00:00=0000:00:00=\r\n");
    OpenWindow first(fake.context, "2029:01:01:07:30:00", 7);
    OpenWindow second(fake.context, "2029:01:01:08:00:00", 8);
    Tick(second);
    EXPECT_EQ(second.window.Controls().tbShift.text, "9999:00:00") << "a countdown beyond the box";
    second.window.OnButtonClick();
    EXPECT_EQ(second.window.Controls().bbAlarm, "Start");
    EXPECT_EQ(second.closes, 0);
    EXPECT_EQ(StoredAlarms(), "=0000:00:00=\r\n2029:01:01:07:30:00=0000:00:00=first");
    first.window.OnRepeatComboClick(1);
    Tick(first);
    second.window.OnCloseRequest();
    second.window.OnUnload();
    EXPECT_EQ(StoredAlarms(), "2029:01:01:07:30:00=#1=first");

    first.window.OnButtonClick();
    first.window.OnCloseRequest();
    first.window.OnUnload();
    EXPECT_EQ(StoredAlarms(), "");
    EXPECT_FALSE(fake.window.alarmCheckOn) << "nothing is left to check for";
}

TEST(AlarmMenu, CaptionsNameTheDayOnlyWhenItIsNotToday) {
    const auto caption = [](std::string key, std::string title = "") {
        return AlarmMenuCaption({std::move(key), "0000:00:00", std::move(title), 0}, kNow,
                                EnglishMonthNames());
    };
    EXPECT_EQ(caption("2026:12:06:14:05:00", "Call home"), "14:05\t- Call home");
    EXPECT_EQ(caption("2026:06:06:07:30:00"), "Jun 06, 07:30") << "same day of another month";
    EXPECT_EQ(caption("2027:01:05:08:03:00"), "2027, Jan 05, 08:03");
}

TEST_F(AlarmTest, TheMenuListsWaitingAlarmsAndLocksNewWhileAWindowHoldsAnEntry) {
    alarms().Replace({{"", "0000:00:00", "", 5},
                      {"2026:12:06:10:00:00", "#1", "", 0},
                      {"2026:12:07:10:00:00", "0000:00:00", "", 9}});
    RefreshAlarmMenu(fake.context);
    const MenuNode submenu = BuildRightMenu(state())[2];
    ASSERT_EQ(submenu.children.size(), 4u) << "a stopped alarm has no item";
    EXPECT_FALSE(submenu.children[0].enabled);
    EXPECT_EQ(submenu.children[2].mark, MenuMark::kRepeat);
    EXPECT_EQ(submenu.children[3].mark, MenuMark::kNone);

    OnAlarmNewClick(fake.context);
    EXPECT_EQ(alarms().AlarmUpperBound(), 2);
    // An alarm's item opens its window, or brings forward the window that shows it.
    OnAlarmItemClick(fake.context, 0);
    OnAlarmItemClick(fake.context, 1);
    EXPECT_EQ(fake.window.openedAlarms, std::vector<std::string>{"2026:12:06:10:00:00"});
    EXPECT_EQ(fake.window.activatedAlarms, std::vector<std::uintptr_t>{9});
}

}  // namespace
}  // namespace uptrail
