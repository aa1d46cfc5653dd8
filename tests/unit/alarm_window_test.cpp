#include "alarm/alarm_window.h"

#include <gtest/gtest.h>

#include "alarm/alarm_commands.h"
#include "alarm/alarm_menu.h"
#include "app/menu_tree.h"
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
    const AlarmControls& controls() const { return window.Controls(); }

    std::uintptr_t handle;
    int sounds = 0;
    int closes = 0;
    AlarmWindow window;
};

class AlarmWindowTest : public ::testing::Test {
protected:
    AlarmWindowTest() {
        fake.clock.now = kNow;
        state().logFile = "C:\\Uptrail\\Uptrail.txt";
        state().mainStarted = true;
        fake.files.AddFolder(state().logFile.parent_path());
        fake.files.AddFile(state().logFile, "[Log]\r\n");
    }
    MainState& state() { return fake.context.state; }
    std::string StoredAlarms() {
        return LoadSectionText(fake.files.Contents(state().logFile), "Alarm", "");
    }
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

TEST_F(AlarmWindowTest, ANewAlarmSetAsAShiftIsStoredWithItsRepeatAndTitleWhenStarted) {
    OnAlarmNewClick(fake.context);
    OpenWindow w(fake.context, "", 100);
    EXPECT_FALSE(w.controls().bbAlarmEnabled);
    EXPECT_EQ(state().alarms[0].hWnd, 100u) << "the window holds its entry from the start";

    w.window.OnShiftChange("0000:90:00");
    w.window.OnActivate();  // a stopped window keeps its edits when activated again
    EXPECT_EQ(w.controls().tbShift.text, "0000:59:00");
    EXPECT_EQ(w.controls().tbTime.text, "10:29:00");
    EXPECT_TRUE(w.controls().bbAlarmEnabled);
    w.window.OnRepeatComboClick(2);
    w.window.OnTitleChange("Call home");
    w.window.OnButtonClick();
    EXPECT_EQ(w.closes, 1);
    w.window.OnUnload();
    EXPECT_EQ(StoredAlarms(), "2026:12:06:10:29:00=#2=Call home");
    EXPECT_EQ(state().alarms[0].hWnd, 0u);
    EXPECT_TRUE(fake.window.alarmCheckOn);
    EXPECT_EQ(state().alarmMenu.items.size(), 1u) << "the main window's check finds it at once";
}

TEST_F(AlarmWindowTest, AOneTimeAlarmRingsOnceThenCountsTheSecondsSince) {
    Store("2026:12:06:09:30:20=0000:00:00=Tea\r\n");
    OpenWindow w(fake.context, "2026:12:06:09:30:20", 7);
    EXPECT_EQ(w.controls().bbAlarm, "Stop");
    // The due time is taken to the minute from the controls, so it is already due.
    Tick(w);
    EXPECT_EQ(w.sounds, 1);
    EXPECT_EQ(w.controls().bbAlarm, "Start");
    EXPECT_EQ(StoredAlarms(), "=0000:00:00=Tea") << "stopped, but still the window's";
    Tick(w, 2);
    EXPECT_EQ(w.sounds, 1);
    EXPECT_EQ(w.controls().tlNow, "00:00:03 ");
}

TEST_F(AlarmWindowTest, StopKeepsTheWindowAndClosingRemovesTheAlarm) {
    Store("2029:01:01:00:00:00=0000:00:00=\r\n");
    OpenWindow w(fake.context, "2029:01:01:00:00:00", 7);
    Tick(w);
    EXPECT_EQ(w.controls().tbShift.text, "9999:00:00") << "a countdown beyond the box";
    w.window.OnButtonClick();
    EXPECT_EQ(w.controls().bbAlarm, "Start");
    EXPECT_EQ(w.closes, 0);
    EXPECT_EQ(StoredAlarms(), "=0000:00:00=");
    w.window.OnCloseRequest();
    w.window.OnUnload();
    EXPECT_EQ(StoredAlarms(), "");
    EXPECT_FALSE(fake.window.alarmCheckOn) << "nothing is left to check for";
}

TEST_F(AlarmWindowTest, ADailyAlarmTwoDaysBehindRingsThreeTimesThenCountsDownToTomorrow) {
    Store("2026:12:04:07:30:00=#1=Wake\r\n");
    OnMainAlertTick(fake.context);
    ASSERT_EQ(fake.window.openedAlarms, std::vector<std::string>{"2026:12:04:07:30:00"});
    OpenWindow w(fake.context, fake.window.openedAlarms[0], 7);
    Tick(w, 4);
    EXPECT_EQ(w.sounds, 3);
    EXPECT_EQ(StoredAlarms(), "2026:12:07:07:30:00=#1=Wake");
    EXPECT_EQ(w.controls().tbShift.text, "0021:59:41");
    EXPECT_EQ(w.controls().bbAlarm, "Stop");
    OnMainAlertTick(fake.context);
    EXPECT_EQ(fake.window.openedAlarms.size(), 1u) << "the window's alarm is left to the window";
}

TEST_F(AlarmWindowTest, TwoWindowsNeverWriteIntoEachOthersEntry) {
    Store("2026:12:07:07:30:00=0000:00:00=first\r\n2026:12:07:08:00:00=0000:00:00=second\r\n");
    OpenWindow first(fake.context, "2026:12:07:07:30:00", 7);
    OpenWindow second(fake.context, "2026:12:07:08:00:00", 8);
    // Stopping sorts the second alarm's now empty entry to the front: the first window's
    // entry moves to another index.
    second.window.OnButtonClick();
    first.window.OnRepeatComboClick(1);
    Tick(first);
    second.window.OnShiftChange("0001:00:00");
    second.window.OnButtonClick();
    second.window.OnUnload();
    first.window.OnCloseRequest();
    first.window.OnUnload();
    EXPECT_EQ(StoredAlarms(),
              "2026:12:06:10:30:00=0000:00:00=second\r\n2026:12:07:07:30:00=#1=first");
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

TEST_F(AlarmWindowTest, TheMenuListsWaitingAlarmsAndLocksNewWhileAWindowHoldsAnEntry) {
    state().alarms.Replace({{"", "0000:00:00", "", 5},
                            {"2026:12:06:10:00:00", "#1", "", 0},
                            {"2026:12:07:10:00:00", "0000:00:00", "", 9}});
    RefreshAlarmMenu(fake.context);
    const MenuNode submenu = BuildRightMenu(state())[2];
    ASSERT_EQ(submenu.children.size(), 4u) << "a stopped alarm has no item";
    EXPECT_FALSE(submenu.children[0].enabled);
    EXPECT_TRUE(submenu.children[1].IsSeparator());
    EXPECT_EQ(submenu.children[2].mark, MenuMark::kRepeat);
    EXPECT_EQ(submenu.children[3].mark, MenuMark::kNone);
    EXPECT_EQ(submenu.children[3].command, (MenuCommand{MenuCommandKind::kAlarmItem, 1}));

    OnAlarmNewClick(fake.context);
    EXPECT_EQ(state().alarms.AlarmUpperBound(), 2);
    // An alarm's item opens its window, or brings forward the window that shows it.
    OnAlarmItemClick(fake.context, 0);
    OnAlarmItemClick(fake.context, 1);
    EXPECT_EQ(fake.window.openedAlarms, std::vector<std::string>{"2026:12:06:10:00:00"});
    EXPECT_EQ(fake.window.activatedAlarms, std::vector<std::uintptr_t>{9});
}

}  // namespace
}  // namespace uptrail
