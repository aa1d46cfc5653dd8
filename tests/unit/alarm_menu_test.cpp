#include "alarm/alarm_menu.h"

#include <gtest/gtest.h>

#include "alarm/alarm_commands.h"
#include "app/menu_commands.h"
#include "app/menu_tree.h"
#include "support/fake_main_context.h"

namespace uptrail {
namespace {

const DateTime kNow = MakeDateTime(2026, 12, 6, 9, 30, 0);

TEST(AlarmMenu, CaptionsNameTheDayOnlyWhenItIsNotToday) {
    const MonthNames& months = EnglishMonthNames();
    const auto caption = [&](std::string key, std::string title = "") {
        return AlarmMenuCaption({std::move(key), "0000:00:00", std::move(title), 0}, kNow, months);
    };
    EXPECT_EQ(caption("2026:12:06:14:05:00", "Call home"), "14:05\t- Call home");
    EXPECT_EQ(caption("2026:12:24:07:30:00"), "Dec 24, 07:30");
    EXPECT_EQ(caption("2026:06:06:07:30:00"), "Jun 06, 07:30") << "same day of another month";
    EXPECT_EQ(caption("2027:01:05:08:03:00"), "2027, Jan 05, 08:03");
}

TEST(AlarmMenu, ListsWaitingAlarmsMarksRepeatsAndLocksNewWhileAWindowHoldsAnEntry) {
    AlarmList alarms;
    AlarmMenuState menu = BuildAlarmMenu(alarms, kNow, EnglishMonthNames());
    EXPECT_TRUE(menu.newEnabled);
    EXPECT_FALSE(menu.separatorVisible);

    alarms.Replace({{"", "0000:00:00", "", 0},
                    {"2026:12:06:10:00:00", "#1", "", 0},
                    {"2026:12:07:10:00:00", "0000:00:00", "x", 0}});
    menu = BuildAlarmMenu(alarms, kNow, EnglishMonthNames());
    EXPECT_TRUE(menu.separatorVisible);
    ASSERT_EQ(menu.items.size(), 2u) << "a stopped alarm has no item";
    EXPECT_EQ(menu.items[0], (AlarmMenuItem{"10:00", "2026:12:06:10:00:00", true}));
    EXPECT_FALSE(menu.items[1].repeating);
    EXPECT_EQ(FindMenuIndexByTag(menu, "2026:12:07:10:00:00"), 3);
    EXPECT_EQ(FindMenuIndexByTag(menu, "2030:01:01:00:00:00"), -1);
    EXPECT_EQ(FindMenuIndexByTag(menu, ""), 0);

    alarms[0].hWnd = 5;
    menu = BuildAlarmMenu(alarms, kNow, EnglishMonthNames());
    EXPECT_FALSE(menu.newEnabled);

    MainState state;
    state.alarmMenu = menu;
    const MenuNode submenu = BuildRightMenu(state)[2];
    ASSERT_EQ(submenu.children.size(), 4u);
    EXPECT_FALSE(submenu.children[0].enabled);
    EXPECT_TRUE(submenu.children[1].IsSeparator());
    EXPECT_EQ(submenu.children[2].mark, MenuMark::kRepeat);
    EXPECT_EQ(submenu.children[3].command, (MenuCommand{MenuCommandKind::kAlarmItem, 1}));
}

class AlarmCommandsTest : public ::testing::Test {
protected:
    AlarmCommandsTest() {
        fake.clock.now = kNow;
        state().logFile = "C:\\Uptrail\\Uptrail.txt";
    }
    MainState& state() { return fake.context.state; }
    testing::FakeMainContext fake;
};

TEST_F(AlarmCommandsTest, StartUpLoadsAlarmsAsStoredAndRunsTheCheckOnlyWithEntries) {
    fake.files.AddFile(state().logFile, "[Alarm]\r\n2026:12:04:07:30:00=#1=\r\n");
    LoadAlarmsAtStartup(fake.context);
    EXPECT_EQ(state().alarms[0].Key, "2026:12:04:07:30:00") << "missed alarms stay due";
    EXPECT_TRUE(fake.window.alarmCheckOn);
    ASSERT_EQ(state().alarmMenu.items.size(), 1u);

    state().alarms.Replace({});
    RefreshAlarmMenu(fake.context);
    EXPECT_FALSE(fake.window.alarmCheckOn);
}

TEST_F(AlarmCommandsTest, NewAddsAnEmptyAlarmAndOpensItsWindowUnlessAWindowHoldsOne) {
    RunMenuCommand(fake.context, {MenuCommandKind::kAlarmNew, 0});
    ASSERT_EQ(state().alarms.AlarmUpperBound(), 0);
    EXPECT_EQ(fake.window.openedAlarms, std::vector<std::string>{""});

    state().alarms[0].hWnd = 3;
    RunMenuCommand(fake.context, {MenuCommandKind::kAlarmNew, 0});
    EXPECT_EQ(state().alarms.AlarmUpperBound(), 0);
    EXPECT_EQ(fake.window.openedAlarms.size(), 1u);
}

TEST_F(AlarmCommandsTest, AnAlarmsItemOpensItsWindowOrBringsTheOpenOneForward) {
    state().alarms.Replace(
        {{"2026:12:06:10:00:00", "#1", "", 0}, {"2026:12:06:11:00:00", "#1", "", 9}});
    RefreshAlarmMenu(fake.context);
    RunMenuCommand(fake.context, {MenuCommandKind::kAlarmItem, 0});
    RunMenuCommand(fake.context, {MenuCommandKind::kAlarmItem, 1});
    RunMenuCommand(fake.context, {MenuCommandKind::kAlarmItem, 7});
    EXPECT_EQ(fake.window.openedAlarms, std::vector<std::string>{"2026:12:06:10:00:00"});
    EXPECT_EQ(fake.window.activatedAlarms, std::vector<std::uintptr_t>{9});
}

TEST_F(AlarmCommandsTest, TheCheckOpensDueAlarmsThatNoWindowShowsAndTheMenuLists) {
    state().alarms.Replace({{"2026:12:06:09:30:00", "0000:00:00", "due now", 0},
                            {"2026:12:06:09:00:00", "0000:00:00", "shown", 4},
                            {"2026:12:06:09:30:01", "0000:00:00", "not yet", 0},
                            {"", "0000:00:00", "stopped", 0}});
    RefreshAlarmMenu(fake.context);
    state().alarms.Entries().push_back({"2026:12:06:08:00:00", "0000:00:00", "after the menu", 0});
    OnMainAlertTick(fake.context);
    EXPECT_EQ(fake.window.openedAlarms, std::vector<std::string>{"2026:12:06:09:30:00"});
}

}  // namespace
}  // namespace uptrail
