#include "app/startup.h"

#include <gtest/gtest.h>

#include "app/main_events.h"
#include "app/menu_commands.h"
#include "app/session_tracker.h"
#include "app/startup_options.h"
#include "commands/preference_toggles.h"
#include "platform/text_encoding.h"
#include "sessionlog/timestamp.h"
#include "storage/registry_store.h"
#include "storage/section_file.h"
#include "support/fake_main_context.h"

namespace uptrail {
namespace {

const std::string kSystem = "1A2B3C4D//c:\\windows";
const std::string kFolderText = "C:\\Program Files\\Uptrail";
const std::string kProgramKey = "SOFTWARE\\Tamsk\\Uptrail";
const std::string kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr DateTime kBoot = MakeDateTime(2026, 12, 6, 8, 0, 0);
constexpr std::uint64_t kTicksPast32Bits = (std::uint64_t{1} << 32) + 5000;

// A machine booted at 08:00:00 whose clock reads 09:30:00, with Uptrail installed under
// Program Files and nothing stored yet. A first start's defaults, a second copy, the
// closes and the ends a previous session is logged with are checked on the real program;
// these cases take the branches it cannot reach.
struct Machine : testing::FakeMainContext {
    Machine() {
        clock.now = MakeDateTime(2026, 12, 6, 9, 30, 0);
        clock.tickCount = 90 * 60 * 1000;
        system.programFolder = PathFromAnsi(kFolderText);
        system.SetSerial("C:", 0x1A2B3C4D);
        files.AddFolder(system.programFolder);
        state.logFile = system.programFolder / "Uptrail.txt";
        state.systemId = kSystem;
    }
    // A start after an earlier one from the same folder, which left this log.
    void SeedEarlierStart(const std::string& log) {
        RegWrite(registry, RegistryRoot::kLocalMachine, kProgramKey, "", kFolderText);
        files.AddFile(state.logFile, log);
    }
    std::string Get(std::string_view key, std::string_view section = {}) {
        return Setting(context.Settings(), "get", key, {}, section);
    }
    std::string Entries() { return LoadSection(files, state.logFile, "Log").text; }
    MainState& state = context.state;
};

class StartupTest : public ::testing::Test, protected Machine {};

// The entry a start logs for the previous session with this stored start, close and
// heartbeats ("" for none).
std::string Logged(const std::string& start, const std::string& close,
                   const std::string& fileBeat = "", const std::string& registryBeat = "") {
    Machine machine;
    machine.SeedEarlierStart("[Common]\r\nCurStroke=" + fileBeat + "\r\n[" + kSystem +
                             "]\r\nLastStart=" + start + "\r\nLastClose=" + close +
                             "\r\nLastCause=1\r\n");
    RegWrite(machine.registry, RegistryRoot::kLocalMachine, kProgramKey, "CurStroke", registryBeat);
    RunStartup(machine.context);
    return machine.Entries();
}

TEST_F(StartupTest, LogsThePreviousSessionBeforeTheMenusAndStartsTheNewOneBeforeTheAlarms) {
    files.AddFile(state.logFile,
                  "[Common]\r\nLastWin=" + kSystem + "\r\nCurStroke=2026:12:05:23:10:00\r\n[" +
                      kSystem + "]\r\nLastStart=2026:12:05:07:00:00\r\nLastClose= \r\n");
    std::string entriesSeenByMenus;
    std::string startSeenByMenus;
    std::string startSeenByAlarms;
    StartupHooks hooks;
    hooks.refreshSessionMenus = [&](MainContext&) {
        entriesSeenByMenus = Entries();
        startSeenByMenus = Get("LastStart");
    };
    hooks.loadAlarms = [&](MainContext&) { startSeenByAlarms = Get("LastStart"); };

    RunStartup(context, hooks);

    // The new entry is read by the menus, but counted in the statistics only from the next trim.
    EXPECT_EQ(entriesSeenByMenus, "2026:12:05:07:00:00=2026:12:05:23:10:00=2=" + kSystem);
    EXPECT_EQ(state.logCount, 0);
    EXPECT_EQ(startSeenByMenus, "2026:12:05:07:00:00");
    EXPECT_EQ(startSeenByAlarms, "2026:12:06:08:00:00");
}

TEST_F(StartupTest, RegistersTheProgramAndLiftsAPolicyThatWouldHideItsIcon) {
    const RegistryKey policies{RegistryRoot::kCurrentUser,
                               "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
                               RegistryView::k64Bit};
    registry.Seed(policies, "NoTrayItemsDisplay", {reg_type::kDword, std::string(4, '\1')});
    RunStartup(context);
    EXPECT_FALSE(registry.Stored(policies, "NoTrayItemsDisplay"));
    const std::string appPath =
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Uptrail.exe";
    EXPECT_EQ(RegRead(registry, RegistryRoot::kLocalMachine, appPath, ""),
              kFolderText + "\\Uptrail.exe");
    EXPECT_EQ(RegRead(registry, RegistryRoot::kLocalMachine, appPath, "Path"), kFolderText);
}

TEST_F(StartupTest, AFailedIconIsAddedAgainEverySecondUnlessTheUserGoesWithoutIt) {
    tray.succeeds = false;
    RunStartup(context);
    tray.succeeds = true;
    OnClockTimer(context);
    OnClockTimer(context);
    EXPECT_EQ(tray.addCalls, 2) << "a shown icon is not added again";

    state.iconShown = false;
    state.mRightWithout.checked = true;
    OnClockTimer(context);
    OnTaskbarCreated(context);
    EXPECT_EQ(tray.addCalls, 2);
}

TEST(SessionStart, TakesTheNewestColdOrHybridBootRecordUnlessItBelongsToAnEarlierBoot) {
    const DateTime recorded = MakeDateTime(2026, 12, 6, 7, 59, 56);  // the clock drifted since
    const DateTime minuteBefore = MakeDateTime(2026, 12, 6, 7, 59, 0);
    const struct {
        const char* what;
        std::vector<BootRecord> records;
        DateTime expected;
    } cases[] = {
        {"cold boot", {{recorded, 0}}, recorded},
        {"a resume is skipped", {{MakeDateTime(2026, 12, 6, 9, 0, 0), 2}, {recorded, 1}}, recorded},
        {"a record from an earlier boot", {{MakeDateTime(2026, 12, 6, 7, 58, 59), 0}}, kBoot},
        {"a record within the minute", {{minuteBefore, 0}}, minuteBefore},
        {"no readable record", {}, kBoot},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SessionStart(kBoot + std::chrono::minutes{90}, 90 * 60 * 1000, c.records),
                  c.expected) << c.what;
}

// Fast Startup: "Shut down" hibernates the kernel, so the tick count ran on through the
// night; only the boot record tells that a new session began.
TEST_F(StartupTest, AHybridBootAfterFastStartupLogsThePreviousSessionWithItsClose) {
    clock.tickCount = std::uint64_t{30} * 24 * 3600 * 1000;  // a month of "uptime"
    system.bootRecords = {{MakeDateTime(2026, 12, 6, 8, 59, 30), 1},
                          {MakeDateTime(2026, 12, 5, 8, 0, 0), 1}};
    SeedEarlierStart("[" + kSystem + "]\r\nLastStart=2026:12:05:08:00:00\r\n"
                     "LastClose=2026:12:05:18:00:00\r\nLastCause=0\r\n");
    RunStartup(context);

    EXPECT_EQ(Entries(), "2026:12:05:08:00:00=2026:12:05:18:00:00=0=" + kSystem);
    EXPECT_EQ(Get("LastStart"), "2026:12:06:08:59:30");
}

TEST_F(StartupTest, AStartLaterInTheSameSessionIsNoNewSessionHoweverTheClockDrifted) {
    system.bootRecords = {{MakeDateTime(2026, 12, 6, 7, 59, 53), 0}};  // 7 s off the tick count
    SeedEarlierStart("[" + kSystem + "]\r\nLastStart=2026:12:06:07:59:53\r\n"
                                     "LastClose=2026:12:06:09:00:00\r\nLastCause=1\r\n");
    RunStartup(context);
    EXPECT_EQ(Entries(), "");
}

TEST(BootTime, IsNowLessTheUptimeInWholeSecondsRoundedHalfToEven) {
    const struct {
        std::uint64_t ticks;
        std::int64_t seconds;
    } cases[] = {{499, 0}, {500, 0}, {1500, 2}, {2501, 3}, {kTicksPast32Bits, 4294972}};
    for (const auto& c : cases)
        EXPECT_EQ(BootTimeFrom(kBoot, c.ticks), kBoot - std::chrono::seconds{c.seconds}) << c.ticks;
}

TEST_F(StartupTest, TheFirstStartInASessionSetsRestartAndLaterStartsKeepTheDelay) {
    const SettingsStore settings = context.Settings();
    EXPECT_EQ(NoteProgramStart(settings, kBoot, clock.now), "01:30:00");
    EXPECT_EQ(Get("Restart"), "2026:12:06:09:30:00");
    Setting(settings, "put", "Restart", "2026:12:06:08:00:00");  // at the boot itself
    EXPECT_EQ(NoteProgramStart(settings, kBoot, clock.now), "00:00:00");
    Setting(settings, "put", "Restart", "2026:12:05:08:00:30");  // the previous session's
    EXPECT_EQ(NoteProgramStart(settings, kBoot, clock.now), "01:30:00");
    EXPECT_EQ(Get("Restart"), "2026:12:06:09:30:00");
}

TEST(PreviousSession, IsLoggedWithItsEndUnlessItIsTheRunningOne) {
    EXPECT_EQ(Logged("2026:12:06:07:59:59", "2026:12:06:08:00:30"), "");
    EXPECT_EQ(Logged("2026:12:06:08:00:01", "2026:12:06:08:00:30"), "");
    EXPECT_EQ(Logged("2026:12:06:07:59:58", "2026:12:06:07:59:59"),
              "2026:12:06:07:59:58=2026:12:06:07:59:59=1=" + kSystem)
        << "a start two seconds off the boot is another session";

    // A crashed session ends with its later heartbeat, but never with one older than its
    // start: that one was left by an earlier session.
    const std::string start = "2026:12:05:08:00:00";
    const std::string crashed = start + "=2026:12:05:17:01:00=2=" + kSystem;
    EXPECT_EQ(Logged(start, "", "2026:12:05:17:01:00", "2026:12:05:17:00:30"), crashed);
    EXPECT_EQ(Logged(start, "", "", "2026:12:05:17:01:00"), crashed);
    EXPECT_EQ(Logged(start, "", "2026:12:05:17:01:00", "2026:12:04:22:00:00"), crashed);
    EXPECT_EQ(Logged(start, "", "2026:12:04:23:00:00", "2026:12:04:22:00:00"), "");
    EXPECT_EQ(Logged(start, ""), "");
}

TEST_F(StartupTest, TheHeartbeatDatesTheSessionAndAStartAfter49DaysIsStillTheSameSession) {
    files.AddFile(state.logFile, "[Common]\r\nLastWin=5E6F7A8B//d:\\windows\r\n");
    RunStartup(context);
    OnHeartbeatTimer(context);
    EXPECT_EQ(Get("CurStroke", "Common"), "2026:12:06:09:30:00");
    EXPECT_EQ(Get("CurStroke", "Registry"), "2026:12:06:09:30:00");
    EXPECT_EQ(Get("LastWin", "Common"), kSystem);

    // A 32-bit tick count would have wrapped round to an hour and a half here.
    clock.Advance(std::chrono::seconds{kTicksPast32Bits / 1000});
    context.state = MainState{};
    RunStartup(context);
    EXPECT_EQ(Entries(), "");
}

// Turned off, Start with Windows takes away the choice to go without the icon: a copy
// started by hand must stay reachable.
TEST_F(StartupTest, StartWithWindowsOffLiftsAnIconSuppressionAndStoresIt) {
    for (const bool suppressed : {false, true}) {
        state.mRightWithout.enabled = false;
        OnRightAutoClick(context);
        EXPECT_TRUE(StartsWithWindows(registry));
        EXPECT_TRUE(state.mRightWithout.enabled);
        if (suppressed) OnRightWithoutClick(context);
        OnRightAutoClick(context);
        EXPECT_FALSE(StartsWithWindows(registry));
        EXPECT_FALSE(state.mRightWithout.enabled);
        EXPECT_FALSE(state.mRightWithout.checked);
        EXPECT_EQ(Get("HiddenIcon"), suppressed ? "0" : "");
    }
}

TEST_F(StartupTest, TheIconOptionIsAStoredFlagAndTheAnimatedClockLevelThreeOnAndTwoOff) {
    for (const bool on : {true, false}) {
        OnRightWithoutClick(context);
        EXPECT_EQ(Get("HiddenIcon"), on ? "1" : "0");
        OnRightAnimatedClick(context);
        EXPECT_EQ(state.mRightAnimated.checked, on);
        EXPECT_EQ(state.animationLevel, on ? 3 : 2);
        EXPECT_EQ(Get("Animation"), on ? "3" : "2");
    }
}

// A refused delete still clears the flag: the shell no longer had the icon, and the timer
// may add it afresh.
TEST_F(StartupTest, HideRemovesAShownIconAndExitClosesTheMainWindow) {
    tray.succeeds = false;
    state.iconShown = true;
    RunMenuCommand(context, {MenuCommandKind::kHideTrayIcon, 0});
    EXPECT_FALSE(state.iconShown);
    RunMenuCommand(context, {MenuCommandKind::kHideTrayIcon, 0});
    EXPECT_EQ(tray.deleteCalls, 1) << "an icon that is not shown is not deleted";

    RunMenuCommand(context, {MenuCommandKind::kExit, 0});
    EXPECT_EQ(window.closeCalls, 1);
}

// The program key names the folder of the last start; a start from any other folder (or
// none) is a first start, which turns both options on whatever the shared log holds.
TEST(StoredOptions, TheIconOptionIsTheStoredFlagOnlyWithStartWithWindows) {
    const struct {
        const char* movedFrom;  // the folder of the last start, if another one
        const char* runEntry;
        const char* hiddenIcon;
        const char* animation;
        bool startsWithWindows, suppressed;
        int level;
    } cases[] = {
        {nullptr, "Uptrail.exe", "5", "7", true, true, 3},
        {nullptr, "Uptrail.exe", "0", " 2 hands", true, false, 2},
        {nullptr, "C:\\Other\\Uptrail.exe", "0", "0", false, true, 1},  // some other file
        {nullptr, nullptr, nullptr, "99999999999999999999", false, true, 3},
        {nullptr, nullptr, nullptr, "-99999999999999999999", false, true, 1},
        {"D:\\Old\\Uptrail", nullptr, "1", "1", true, false, 3},
    };
    for (const auto& c : cases) {
        Machine o;
        RegWrite(o.registry, RegistryRoot::kLocalMachine, kProgramKey, "",
                 c.movedFrom ? c.movedFrom : kFolderText);
        if (c.runEntry)
            RegWrite(o.registry, RegistryRoot::kLocalMachine, kRunKey, "Sessiometer", c.runEntry);
        if (c.hiddenIcon) Setting(o.context.Settings(), "put", "HiddenIcon", c.hiddenIcon);
        if (c.animation) Setting(o.context.Settings(), "put", "Animation", c.animation);

        ApplyStoredOptions(o.context, o.system.programFolder);

        SCOPED_TRACE(::testing::Message() << "case " << &c - cases);
        EXPECT_EQ(o.state.mRightAuto.checked, c.startsWithWindows);
        EXPECT_EQ(StartsWithWindows(o.registry), c.startsWithWindows);
        EXPECT_EQ(o.state.mRightWithout.enabled, c.startsWithWindows);
        EXPECT_EQ(o.state.mRightWithout.checked, c.suppressed);
        // Without Start with Windows the icon option is stored as checked.
        EXPECT_EQ(o.Get("HiddenIcon"), c.startsWithWindows ? c.hiddenIcon : "1");
        EXPECT_EQ(o.state.animationLevel, c.level);
        EXPECT_EQ(o.state.mRightAnimated.checked, c.level == 3);
    }
}

}  // namespace
}  // namespace uptrail
