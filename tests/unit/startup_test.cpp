#include "app/startup.h"

#include "app/session_tracker.h"

#include <gtest/gtest.h>

#include "app/main_events.h"
#include "app/menu_commands.h"
#include "commands/preference_toggles.h"
#include "platform/text_encoding.h"
#include "sessionlog/timestamp.h"
#include "storage/section_file.h"
#include "storage/settings_store.h"
#include "support/fake_platform.h"
#include "support/memory_file_system.h"
#include "support/memory_registry.h"

namespace uptrail {
namespace {

using testing::FakeClock;
using testing::FakeMainWindow;
using testing::FakeSystemInfo;
using testing::FakeTrayIcon;
using testing::MemoryFileSystem;
using testing::MemoryRegistry;

const std::string kSystem = "1A2B3C4D//c:\\windows";
const std::string kProgramKey = "SOFTWARE\\Tamsk\\Uptrail";
const std::string kFolderText = "C:\\Program Files\\Uptrail";

RegistryKey MachineKey(std::string path) {
    return {RegistryRoot::kLocalMachine, std::move(path), RegistryView::k64Bit};
}

// A machine booted at 08:00:00 whose clock reads 09:30:00, with Uptrail installed under
// Program Files and nothing stored yet.
class StartupTest : public ::testing::Test {
protected:
    StartupTest() {
        clock.now = MakeDateTime(2026, 12, 6, 9, 30, 0);
        clock.tickCount = 90 * 60 * 1000;
        system.programFolder = PathFromAnsi(kFolderText);
        system.SetSerial("C:", 0x1A2B3C4D);
        files.AddFolder(system.programFolder);
        logFile = system.programFolder / "Uptrail.txt";
    }

    MainContext NewContext() { return MainContext{{clock, files, registry, system, tray, window, desktop, locale, http}, {}}; }

    std::string Get(MainContext& context, std::string_view key, std::string_view section = {}) {
        return Setting(context.Settings(), "get", key, {}, section);
    }
    std::string Machine(std::string_view path, std::string_view name) {
        const auto value = registry.Stored(MachineKey(std::string(path)), name);
        return value ? BytesToText(value->data) : "(missing)";
    }
    static std::string BytesToText(const std::string& data) { return data.substr(0, data.find('\0')); }

    FakeClock clock;
    MemoryFileSystem files;
    MemoryRegistry registry;
    FakeSystemInfo system;
    FakeTrayIcon tray;
    FakeMainWindow window;
    testing::FakeDesktop desktop;
    testing::FakeLocale locale;
    testing::FakeHttpClient http;
    std::filesystem::path logFile;
};

TEST_F(StartupTest, ASecondCopyHandsOverAndTouchesNothing) {
    window.otherCopyRunning = true;
    MainContext context = NewContext();

    EXPECT_EQ(RunStartup(context), StartupOutcome::kHandedOver);

    EXPECT_EQ(files.FileCount(), 0u);
    EXPECT_EQ(registry.SetValueCalls(), 0);
    EXPECT_EQ(tray.addCalls + tray.deleteCalls, 0);
    EXPECT_EQ(window.markCalls, 0);
    EXPECT_FALSE(context.state.mainStarted);
}

TEST_F(StartupTest, AFirstStartStoresTheDefaultsTheRunningSessionAndShowsTheIcon) {
    MainContext context = NewContext();
    ASSERT_EQ(RunStartup(context), StartupOutcome::kStarted);
    const MainState& state = context.state;

    EXPECT_EQ(window.markCalls, 1);
    EXPECT_EQ(state.systemId, kSystem);
    EXPECT_EQ(state.logFile, logFile);
    EXPECT_EQ(state.bootTime, MakeDateTime(2026, 12, 6, 8, 0, 0));
    EXPECT_EQ(state.lastDelayValue, "01:30:00");
    EXPECT_EQ(Machine(kProgramKey, ""), kFolderText);
    EXPECT_EQ(Machine(kProgramKey, "LogFolder"), kFolderText);
    EXPECT_EQ(Machine(kProgramKey, "CurrentVersion"), "5.00.0026");
    EXPECT_EQ(Machine("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Sessiometer"),
              "Uptrail.exe");
    const std::string appPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Uptrail.exe";
    EXPECT_EQ(Machine(appPath, ""), kFolderText + "\\Uptrail.exe");
    EXPECT_EQ(Machine(appPath, "Path"), kFolderText);

    EXPECT_EQ(Get(context, "LastStart"), "2026:12:06:08:00:00");
    EXPECT_EQ(Get(context, "LastClose"), "");
    EXPECT_EQ(Get(context, "LastCause"), "0");
    EXPECT_EQ(Get(context, "Restart"), "2026:12:06:09:30:00");
    EXPECT_EQ(Get(context, "Animation"), "3");
    EXPECT_EQ(state.animationLevel, 3);
    EXPECT_TRUE(state.mRightAuto.checked);
    EXPECT_FALSE(state.mRightWithout.visible);
    EXPECT_FALSE(state.mRightHide.visible);
    EXPECT_EQ(LoadSection(files, logFile, "Log").text, "");

    EXPECT_EQ(tray.addCalls, 1);
    EXPECT_TRUE(state.iconShown);
    EXPECT_TRUE(state.mainStarted);
}

TEST_F(StartupTest, RemovesThePolicyThatHidesEveryTrayIcon) {
    const RegistryKey policies{RegistryRoot::kCurrentUser,
                               "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
                               RegistryView::k64Bit};
    registry.Seed(policies, "NoTrayItemsDisplay", {reg_type::kDword, std::string(4, '\1')});
    MainContext context = NewContext();
    RunStartup(context);
    EXPECT_FALSE(registry.Stored(policies, "NoTrayItemsDisplay"));
}

TEST_F(StartupTest, LogsThePreviousSessionBeforeTheMenusAndStartsTheNewOneBeforeTheAlarms) {
    files.AddFile(logFile, "[Common]\r\nLastWin=" + kSystem + "\r\nCurStroke=2026:12:05:23:10:00\r\n[" +
                               kSystem + "]\r\nLastStart=2026:12:05:07:00:00\r\nLastClose= \r\n");
    std::string entriesSeenByMenus;
    std::string startSeenByMenus;
    std::string startSeenByAlarms;
    StartupHooks hooks;
    hooks.refreshSessionMenus = [&](MainContext& c) {
        entriesSeenByMenus = LoadSection(files, logFile, "Log").text;
        startSeenByMenus = Get(c, "LastStart");
    };
    hooks.loadAlarms = [&](MainContext& c) { startSeenByAlarms = Get(c, "LastStart"); };
    MainContext context = NewContext();

    RunStartup(context, hooks);

    // The new entry is read by the menus, but counted in the statistics only from the next trim.
    EXPECT_EQ(entriesSeenByMenus, "2026:12:05:07:00:00=2026:12:05:23:10:00=2=" + kSystem);
    EXPECT_EQ(context.state.logCount, 0);
    EXPECT_EQ(startSeenByMenus, "2026:12:05:07:00:00");
    EXPECT_EQ(startSeenByAlarms, "2026:12:06:08:00:00");
}

TEST_F(StartupTest, WithoutAdministratorRightsTheSecondStartIsNoFirstStart) {
    registry.DenyLocalMachineChanges();
    {
        MainContext first = NewContext();
        RunStartup(first);
        OnRightAnimatedClick(first);  // the user turns the animated clock off
        EXPECT_EQ(Get(first, "Animation"), "2");
    }
    MainContext second = NewContext();
    RunStartup(second);
    EXPECT_EQ(second.state.animationLevel, 2);
    EXPECT_FALSE(second.state.mRightAnimated.checked);
    EXPECT_TRUE(second.state.mRightAuto.checked) << "the Run entry was kept for the user";
}

TEST_F(StartupTest, AFailedIconIsAddedAgainEverySecondUnlessTheUserGoesWithoutIt) {
    tray.succeeds = false;
    MainContext context = NewContext();
    RunStartup(context);
    EXPECT_FALSE(context.state.iconShown);

    OnClockTimer(context);
    EXPECT_EQ(tray.addCalls, 2);
    tray.succeeds = true;
    OnClockTimer(context);
    EXPECT_TRUE(context.state.iconShown);
    OnClockTimer(context);
    EXPECT_EQ(tray.addCalls, 3) << "a shown icon is not added again";

    context.state.iconShown = false;
    context.state.mRightWithout.checked = true;
    OnClockTimer(context);
    OnTaskbarCreated(context);
    EXPECT_EQ(tray.addCalls, 3);
}

TEST(SessionStart, TakesTheNewestColdOrHybridBootRecordUnlessItBelongsToAnEarlierBoot) {
    const DateTime now = MakeDateTime(2026, 12, 6, 9, 30, 0);
    const std::uint64_t ninetyMinutes = 90 * 60 * 1000;
    const DateTime tickStart = MakeDateTime(2026, 12, 6, 8, 0, 0);
    const DateTime recorded = MakeDateTime(2026, 12, 6, 7, 59, 56);  // the clock drifted since
    const struct {
        const char* what;
        std::vector<BootRecord> records;
        DateTime expected;
    } cases[] = {
        {"cold boot", {{recorded, 0}}, recorded},
        {"hybrid boot", {{recorded, 1}}, recorded},
        {"a resume is passed over", {{MakeDateTime(2026, 12, 6, 9, 0, 0), 2}, {recorded, 1}}, recorded},
        {"only resumes", {{MakeDateTime(2026, 12, 6, 9, 0, 0), 2}}, tickStart},
        {"a record from an earlier boot", {{MakeDateTime(2026, 12, 6, 7, 58, 59), 0}}, tickStart},
        {"a record within the minute", {{MakeDateTime(2026, 12, 6, 7, 59, 0), 0}},
         MakeDateTime(2026, 12, 6, 7, 59, 0)},
        {"no readable record", {}, tickStart},
        {"an unknown kind of start", {{recorded, 7}}, tickStart},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SessionStart(now, ninetyMinutes, c.records), c.expected) << c.what;
}

// Fast Startup: "Shut down" hibernates the kernel, so the tick count ran on through the
// night; only the boot record tells that a new session began.
TEST_F(StartupTest, AHybridBootAfterFastStartupLogsThePreviousSessionWithItsClose) {
    clock.tickCount = std::uint64_t{30} * 24 * 3600 * 1000;  // a month of "uptime"
    system.bootRecords = {{MakeDateTime(2026, 12, 6, 8, 59, 30), 1},
                          {MakeDateTime(2026, 12, 5, 8, 0, 0), 1}};
    registry.Seed(MachineKey(kProgramKey), "", {reg_type::kSz, kFolderText});
    files.AddFile(logFile, "[Common]\r\nLastWin=" + kSystem + "\r\n[" + kSystem +
                               "]\r\nLastStart=2026:12:05:08:00:00\r\n"
                               "LastClose=2026:12:05:18:00:00\r\nLastCause=0\r\n");
    MainContext context = NewContext();
    RunStartup(context);

    EXPECT_EQ(context.state.bootTime, MakeDateTime(2026, 12, 6, 8, 59, 30));
    EXPECT_EQ(LoadSection(files, logFile, "Log").text,
              "2026:12:05:08:00:00=2026:12:05:18:00:00=0=" + kSystem);
    EXPECT_EQ(Get(context, "LastStart"), "2026:12:06:08:59:30");
}

TEST_F(StartupTest, AStartLaterInTheSameSessionIsNoNewSessionHoweverTheClockDrifted) {
    system.bootRecords = {{MakeDateTime(2026, 12, 6, 7, 59, 53), 0}};  // 7 s off the tick count
    registry.Seed(MachineKey(kProgramKey), "", {reg_type::kSz, kFolderText});
    files.AddFile(logFile, "[" + kSystem + "]\r\nLastStart=2026:12:06:07:59:53\r\n"
                                           "LastClose=2026:12:06:09:00:00\r\nLastCause=1\r\n");
    MainContext context = NewContext();
    RunStartup(context);
    EXPECT_EQ(LoadSection(files, logFile, "Log").text, "");
}

class MainEventsTest : public StartupTest {
protected:
    MainEventsTest() {
        context_.emplace(NewContext());
        RunStartup(*context_);
    }
    MainContext& context() { return *context_; }

private:
    std::optional<MainContext> context_;
};

TEST_F(MainEventsTest, TheHeartbeatDatesTheSessionInTheLogAndTheRegistry) {
    clock.Advance(std::chrono::seconds(30));
    OnHeartbeatTimer(context());
    EXPECT_EQ(Get(context(), "CurStroke", "Common"), "2026:12:06:09:30:30");
    EXPECT_EQ(Get(context(), "CurStroke", "Registry"), "2026:12:06:09:30:30");
    EXPECT_EQ(Get(context(), "LastWin", "Common"), kSystem);
}

TEST_F(MainEventsTest, AHandOverOrANewTaskbarPutsTheIconBack) {
    OnHandOverKey(context());
    EXPECT_EQ(tray.deleteCalls, 1);
    EXPECT_EQ(tray.addCalls, 2);

    context().state.iconShown = false;
    OnHandOverKey(context());
    EXPECT_EQ(tray.deleteCalls, 1) << "an icon that is not shown is not deleted";
    EXPECT_EQ(tray.addCalls, 3);

    OnTaskbarCreated(context());
    EXPECT_EQ(tray.addCalls, 4);
    EXPECT_TRUE(context().state.iconShown);
}

TEST_F(MainEventsTest, ClosingRecordsWhenAndWhyAndRemovesTheIcon) {
    const struct {
        SessionCause cause;
        const char* stored;
    } cases[] = {{SessionCause::kWindowsEnded, "0"}, {SessionCause::kProgramClosed, "1"}};
    for (const auto& c : cases) {
        clock.Advance(std::chrono::minutes(5));
        const int deletesBefore = tray.deleteCalls;
        OnMainWindowClose(context(), c.cause);
        EXPECT_EQ(Get(context(), "LastCause"), c.stored);
        EXPECT_EQ(Get(context(), "LastClose"), FormatTimestamp(clock.now));
        EXPECT_EQ(tray.deleteCalls, deletesBefore + 1);
    }
}

TEST_F(MainEventsTest, MenuCommandsReachTheirHandlers) {
    RunMenuCommand(context(), {MenuCommandKind::kExit, 0});
    EXPECT_EQ(window.closeCalls, 1);

    RunMenuCommand(context(), {MenuCommandKind::kAbout, 0});
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].title, "About Uptrail\x99");

    const bool animated = context().state.mRightAnimated.checked;
    RunMenuCommand(context(), {MenuCommandKind::kAnimatedTrayIcon, 0});
    EXPECT_NE(context().state.mRightAnimated.checked, animated);

    RunMenuCommand(context(), {MenuCommandKind::kSessionItem, -1});
    RunMenuCommand(context(), {MenuCommandKind::kSystemItem, 99});
    EXPECT_EQ(desktop.messages.size(), 1u) << "an element that is not there does nothing";
}

TEST_F(MainEventsTest, TheAnimatedClockRedrawsTheIconEverySecondAndStopsWhenTurnedOff) {
    ASSERT_TRUE(context().state.mRightAnimated.checked) << "a first start animates the clock";
    OnClockTimer(context());
    const Image first = tray.lastClock;
    clock.Advance(std::chrono::seconds(1));
    OnClockTimer(context());
    EXPECT_EQ(tray.clockCalls, 2);
    EXPECT_FALSE(tray.lastClock == first) << "the second hand moved";

    OnRightAnimatedClick(context());
    clock.Advance(std::chrono::seconds(1));
    OnClockTimer(context());
    EXPECT_EQ(tray.clockCalls, 2);
}

TEST_F(MainEventsTest, TheTooltipShowsTheRunningSessionsLength) {
    EXPECT_EQ(DurationTip(MakeDateTime(2026, 12, 6, 8, 0, 59), MakeDateTime(2026, 12, 6, 8, 1, 0)),
              "Duration: 00d 00h 01m") << "minute boundaries, not elapsed seconds";
    clock.Advance(std::chrono::hours(50));
    const int modifies = tray.modifyCalls;
    OnTrayMouseMove(context());
    EXPECT_EQ(tray.lastTip, "Duration: 02d 03h 30m");
    EXPECT_EQ(tray.modifyCalls, modifies + 1);
}

}  // namespace
}  // namespace uptrail
