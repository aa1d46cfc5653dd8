#include "alarm/alarm_window.h"

#include <gtest/gtest.h>

#include <memory>

#include "alarm/alarm_commands.h"
#include "storage/section_text.h"
#include "support/fake_main_context.h"

namespace uptrail {
namespace {

using std::chrono::hours;
using std::chrono::minutes;
using std::chrono::seconds;

const DateTime kNow = MakeDateTime(2026, 12, 6, 9, 30, 15);

class FakeAlarmHost final : public AlarmWindowHost {
public:
    explicit FakeAlarmHost(std::uintptr_t handle) : handle_(handle) {}
    std::uintptr_t Handle() const override { return handle_; }
    void PlayAlarmSound() override { ++sounds; }
    void CloseWindow() override { ++closes; }
    void Restore() override { ++restores; }

    int sounds = 0;
    int closes = 0;
    int restores = 0;

private:
    std::uintptr_t handle_;
};

// An alarm window with its shell double, opened as the main window opens one.
struct OpenWindow {
    OpenWindow(MainContext& context, std::string key, std::uintptr_t handle)
        : host(handle), window(context, host, std::move(key)) {
        window.OnLoad();
        window.OnActivate();
    }
    const AlarmControls& controls() const { return window.Controls(); }
    FakeAlarmHost host;
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
    std::unique_ptr<OpenWindow> OpenNew(std::uintptr_t handle = 100) {
        OnAlarmNewClick(fake.context);
        return std::make_unique<OpenWindow>(fake.context, "", handle);
    }
    void Tick(OpenWindow& w, int times = 1) {
        for (int i = 0; i < times; ++i) {
            fake.clock.Advance(seconds{1});
            w.window.OnAlertTick();
        }
    }
    testing::FakeMainContext fake;
};

TEST_F(AlarmWindowTest, ANewAlarmSetAsAShiftIsStoredWithItsRepeatAndTitleWhenStarted) {
    auto w = OpenNew();
    EXPECT_EQ(w->controls().bbAlarm, "Start");
    EXPECT_FALSE(w->controls().bbAlarmEnabled);
    EXPECT_EQ(w->controls().tbTime.text, "09:30:00");
    EXPECT_EQ(state().alarms[0].hWnd, 100u) << "the window holds its entry from the start";

    w->window.OnShiftChange("0000:90:00");
    EXPECT_EQ(w->controls().tbShift.text, "0000:59:00");
    EXPECT_EQ(w->controls().tbShift.values, (std::array<int, 2>{0, 59}));
    EXPECT_EQ(w->controls().tbTime.text, "10:29:00");
    EXPECT_TRUE(w->controls().bbAlarmEnabled);

    w->window.OnRepeatComboClick(2);
    w->window.OnTitleChange("Call home");
    w->window.OnButtonClick();
    EXPECT_EQ(w->host.closes, 1);
    w->window.OnUnload();
    EXPECT_EQ(StoredAlarms(), "2026:12:06:10:29:00=#2=Call home");
    EXPECT_EQ(state().alarms[0].hWnd, 0u);
    EXPECT_TRUE(fake.window.alarmCheckOn);
    ASSERT_EQ(state().alarmMenu.items.size(), 1u) << "the main window's check finds it at once";
}

TEST_F(AlarmWindowTest, BoxesClampTheirFieldsAndTheDateDecidesWhetherStartIsPossible) {
    auto w = OpenNew();
    w->window.OnTimeChange("25:70:00");
    EXPECT_EQ(w->controls().tbTime.text, "23:59:00");
    EXPECT_TRUE(w->controls().bbAlarmEnabled);
    w->window.OnDatePicked(MakeDate(2026, 12, 5));
    EXPECT_FALSE(w->controls().bbAlarmEnabled) << "a due time in the past";
    w->window.OnRepeatChange("9999:99:00");
    EXPECT_EQ(w->controls().tbRepeat.text, "9999:59:00");

    w->window.OnSpin(SpinGroup::kRepeat, 0, +1);
    EXPECT_EQ(w->controls().tbRepeat.text, "9999:59:00") << "the hours bar stops at its limit";
    w->window.OnSpin(SpinGroup::kShift, 1, -1);
    EXPECT_EQ(w->controls().tbShift.text, "0000:00:00");
    w->window.OnSpin(SpinGroup::kShift, 0, +1);
    EXPECT_EQ(w->controls().tbShift.text, "0001:00:00");
    EXPECT_EQ(w->controls().tbTime.text, "10:30:00");

    w->window.OnRepeatComboClick(3);
    EXPECT_FALSE(w->controls().customRepeatEnabled);
    EXPECT_EQ(w->controls().tbRepeat.text, "0000:00:00");
}

TEST_F(AlarmWindowTest, EnterInTheShiftBoxStartsOnlyANonZeroShift) {
    auto w = OpenNew();
    w->window.OnShiftEnter();
    EXPECT_EQ(w->host.closes, 0);
    w->window.OnShiftChange("0000:00:00");
    w->window.OnShiftEnter();
    EXPECT_EQ(w->host.closes, 0) << "a zero shift is not started by Enter";
    w->window.OnShiftChange("0002:00:00");
    w->window.OnShiftEnter();
    EXPECT_EQ(w->host.closes, 1);
    EXPECT_EQ(state().alarms[0].Key, "2026:12:06:11:30:00");
}

TEST_F(AlarmWindowTest, AOneTimeAlarmRingsOnceThenCountsSinceAndIsGoneWhenClosed) {
    Store("2026:12:06:09:30:20=0000:00:00=Tea\r\n");
    OpenWindow w(fake.context, "2026:12:06:09:30:20", 7);
    EXPECT_EQ(w.controls().bbAlarm, "Stop");
    EXPECT_FALSE(w.controls().inputsEnabled);
    EXPECT_EQ(w.controls().tbShift.mask, "####:##:##");

    // The due time is taken to the minute from the controls, so it is already due.
    Tick(w);
    EXPECT_EQ(w.host.sounds, 1);
    EXPECT_EQ(w.controls().bbAlarm, "Start");
    EXPECT_FALSE(w.controls().bbAlarmEnabled);
    EXPECT_EQ(StoredAlarms(), "=0000:00:00=Tea") << "stopped, but still the window's";
    Tick(w, 2);
    EXPECT_EQ(w.host.sounds, 1);
    EXPECT_EQ(w.controls().tlNow, "00:00:03 ");

    w.window.OnCloseRequest();
    w.window.OnUnload();
    EXPECT_EQ(fake.files.Contents(state().logFile), "[Log]\r\n\r\n[Alarm]\r\n");
}

TEST_F(AlarmWindowTest, ADailyAlarmTwoDaysBehindRingsThreeTimesThenCountsDownToTomorrow) {
    Store("2026:12:04:07:30:00=#1=Wake\r\n");
    OnMainAlertTick(fake.context);
    ASSERT_EQ(fake.window.openedAlarms, std::vector<std::string>{"2026:12:04:07:30:00"});
    OpenWindow w(fake.context, fake.window.openedAlarms[0], 7);
    Tick(w, 3);
    EXPECT_EQ(w.host.sounds, 3);
    EXPECT_EQ(StoredAlarms(), "2026:12:07:07:30:00=#1=Wake");
    Tick(w);
    EXPECT_EQ(w.host.sounds, 3);
    EXPECT_EQ(w.controls().tbShift.text, "0021:59:41");
    EXPECT_EQ(w.controls().bbAlarm, "Stop");
    OnMainAlertTick(fake.context);
    EXPECT_EQ(fake.window.openedAlarms.size(), 1u) << "the window's alarm is left to the window";
}

TEST_F(AlarmWindowTest, StopKeepsTheWindowAndClosingRemovesTheAlarm) {
    Store("2026:12:07:07:30:00=0000:00:00=\r\n");
    OpenWindow w(fake.context, "2026:12:07:07:30:00", 7);
    w.window.OnButtonClick();
    EXPECT_EQ(w.controls().bbAlarm, "Start");
    EXPECT_EQ(w.host.closes, 0);
    EXPECT_EQ(StoredAlarms(), "=0000:00:00=");
    w.window.OnUnload();
    EXPECT_EQ(StoredAlarms(), "");
}

TEST_F(AlarmWindowTest, ClosingARunningWindowKeepsItsTimeButTakesTheNewRepeat) {
    Store("2026:12:07:07:30:00=0000:00:00=old\r\n");
    OpenWindow w(fake.context, "2026:12:07:07:30:00", 7);
    w.window.OnRepeatComboClick(2);
    w.window.OnTitleChange("new");
    w.window.OnCloseRequest();
    w.window.OnUnload();
    EXPECT_EQ(StoredAlarms(), "2026:12:07:07:30:00=#2=new");
}

TEST_F(AlarmWindowTest, CountdownsBeyondTheBoxReadAsItsLargestValue) {
    Store("2029:01:01:00:00:00=0000:00:00=\r\n");
    OpenWindow w(fake.context, "2029:01:01:00:00:00", 7);
    Tick(w);
    EXPECT_EQ(w.controls().tbShift.text, "9999:00:00");
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

TEST_F(AlarmWindowTest, AWindowWhoseAlarmLostItsKeyDoesNotRing) {
    Store("2026:12:06:09:00:00=0000:00:00=\r\n");
    OpenWindow w(fake.context, "2026:12:06:09:00:00", 7);
    state().alarms[0].Key.clear();
    Tick(w);
    EXPECT_EQ(w.host.sounds, 0);
}

TEST_F(AlarmWindowTest, AnAlarmStartedInAWindowWhoseEntryWentIsKept) {
    auto w = OpenNew();
    state().alarms.Replace({});
    w->window.OnShiftChange("0001:00:00");
    w->window.OnButtonClick();
    w->window.OnUnload();
    EXPECT_EQ(StoredAlarms(), "2026:12:06:10:30:00=0000:00:00=");
}

TEST_F(AlarmWindowTest, AStoppedWindowKeepsItsEditsWhenActivatedAgain) {
    auto w = OpenNew();
    w->window.OnShiftChange("0003:00:00");
    w->window.OnActivate();
    EXPECT_EQ(w->controls().tbShift.text, "0003:00:00");
}

TEST_F(AlarmWindowTest, AMinimizedWindowShowsItsTitleAndComesBackOnlyWhenStopped) {
    auto w = OpenNew();
    w->window.OnTitleChange("Tea");
    w->window.OnResize(true);
    EXPECT_EQ(w->controls().caption, "Alarm: Tea");
    EXPECT_TRUE(w->controls().toWindowState);
    w->window.OnWindowStateTick();
    EXPECT_EQ(w->host.restores, 1);
    w->window.OnResize(false);
    EXPECT_EQ(w->controls().caption, "Alarm");
    EXPECT_FALSE(w->controls().toWindowState);

    Store("2026:12:07:07:30:00=0000:00:00=\r\n");
    OpenWindow running(fake.context, "2026:12:07:07:30:00", 7);
    running.window.OnResize(true);
    running.window.OnWindowStateTick();
    EXPECT_EQ(running.host.restores, 0);
}

}  // namespace
}  // namespace uptrail
