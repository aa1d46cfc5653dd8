#include "app/startup.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/commands/preference_toggles.h"
#include "app/commands/start_with_windows.h"
#include "app/main_events.h"
#include "app/menu_commands.h"
#include "app/session_menus.h"
#include "app/startup_options.h"
#include "app/windows_history.h"
#include "base/version_text.h"
#include "sessionlog/session_tracker.h"
#include "support/test_machine.h"

namespace uptrail {
namespace {

using namespace uptrail::testing;

// The previous session, closed by Windows, as it is stored and as a start logs it.
const std::string kPrevious = "[" + kSystem +
                              "]\r\nLastStart=2026:12:05:08:00:00\r\n"
                              "LastClose=2026:12:05:18:00:00\r\nLastCause=0\r\n";
const std::string kPreviousEntry = "2026:12:05:08:00:00=2026:12:05:18:00:00=0=" + kSystem;
constexpr std::uint64_t kTicksPast32Bits = (std::uint64_t{1} << 32) + 5000;

class StartupTest : public ::testing::Test, protected Machine {};

// The entry a start logs for the previous session with this stored start, close and
// heartbeats ("" for none), on a machine with these boot records.
std::string Logged(const std::string& start, const std::string& close,
                   const std::string& fileBeat = "", const std::string& registryBeat = "",
                   const std::vector<BootRecord>& bootRecords = {}) {
    Machine machine;
    machine.system.bootRecords = bootRecords;
    machine.SeedEarlierStart("[Common]\r\nCurStroke=" + fileBeat + "\r\n[" + kSystem +
                             "]\r\nLastStart=" + start + "\r\nLastClose=" + close +
                             "\r\nLastCause=1\r\n");
    EXPECT_EQ(RegWrite(machine.registry, RegistryRoot::kLocalMachine, kProgramKey, "CurStroke",
                       registryBeat),
              kOk);
    RunStartup(machine.context);
    return machine.Entries();
}

// The first start reads Windows' own records of the PC's past and adds what lies before the
// log's own sessions, once; a log that could not be read (Wine) changes nothing.
TEST_F(StartupTest, TheFirstStartAddsThePCsPastBeforeTheLogsOwnOnce) {
    SeedEarlierStart(kPrevious);
    RunStartup(context);
    ASSERT_EQ(systemLog.readings, 1);
    OnSystemLogRead(context, {});
    EXPECT_EQ(Get("ImportedSessions"), "") << "tried again at the next start";

    using E = ShutdownEvent;
    const auto at = [](int day, int hour) { return MakeDateTime(2026, 12, day, hour, 0, 0); };
    const std::vector<ShutdownRecord> records{
        {E::kBoot, at(3, 8), {"0"}},        {E::kActivity, at(3, 12), {}},
        {E::kSystemStopped, at(3, 17), {}}, {E::kBoot, at(5, 8), {"0"}},
        {E::kSystemStopped, at(5, 18), {}}, {E::kBoot, at(6, 8), {"1"}}};
    OnSystemLogRead(context, records);
    EXPECT_EQ(Entries(),
              "2026:12:03:08:00:00=2026:12:03:17:00:00=0=" + kSystem + "\r\n" + kPreviousEntry);
    EXPECT_EQ(Get("ImportedSessions"), "1");
    EXPECT_EQ(state.menus.sessionItems.size(), 2u);

    // Any later start reads nothing; what a second copy that read as well adds is nothing
    // by the import's own rules.
    StartPastImport(context);
    EXPECT_EQ(systemLog.readings, 1);
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
    EXPECT_EQ(Get("CurrentVersion", "Registry"), VersionText(false));
}

// The heartbeat dates a session that ends without its close. A refused delete still clears
// the flag: the shell no longer had the icon, and the clock timer may add it afresh.
TEST_F(StartupTest, TheTimersBeatAndAddAnIconNotShownUnlessTheUserGoesWithoutIt) {
    tray.succeeds = false;
    RunStartup(context);
    OnHeartbeatTimer(context);
    EXPECT_EQ(Get("CurStroke", "Common"), "2026:12:06:09:30:00");
    EXPECT_EQ(Get("CurStroke", "Registry"), "2026:12:06:09:30:00");
    EXPECT_EQ(Get("LastWin", "Common"), kSystem);

    tray.succeeds = true;
    OnClockTimer(context);
    tray.succeeds = false;
    RunMenuCommand(context, {MenuCommandKind::kHideTrayIcon, 0});
    RunMenuCommand(context, {MenuCommandKind::kHideTrayIcon, 0});
    EXPECT_EQ(tray.deleteCalls, 1) << "an icon that is not shown is not deleted";
    state.options.mRightWithout.checked = true;
    OnClockTimer(context);
    OnTaskbarCreated(context);
    EXPECT_EQ(tray.addCalls, 2);
}

// The icon is drawn at the size the shell shows it, from one tick to the next: the user
// may rescale the taskbar's monitor at any time.
TEST_F(StartupTest, TheClockIsDrawnAtTheIconSizeOfEachTick) {
    RunStartup(context);
    state.options.mRightAnimated.checked = true;
    OnClockTimer(context);
    tray.iconSize = 32;
    OnClockTimer(context);
    EXPECT_EQ(tray.shown, RenderDial(32, state.tray.dial.Hands(), state.tray.animationLevel));
}

// The tick count has passed 32 bits: the machine has run for more than 49.7 days.
TEST(SessionStart, TakesTheNewestColdOrHybridBootRecordUnlessItBelongsToAnEarlierBoot) {
    const DateTime now = kBoot + std::chrono::seconds{kTicksPast32Bits / 1000};
    const DateTime recorded = MakeDateTime(2026, 12, 6, 7, 59, 56);  // the clock drifted since
    const DateTime minuteBefore = MakeDateTime(2026, 12, 6, 7, 59, 0);
    const DateTime nextMorning = MakeDateTime(2026, 12, 7, 8, 59, 30);
    const struct {
        const char* what;
        std::vector<BootRecord> records;
        DateTime expected;
    } cases[] = {
        {"cold boot, a minute before the tick count's", {{minuteBefore, 0}}, minuteBefore},
        {"a resume is skipped", {{MakeDateTime(2026, 12, 6, 9, 0, 0), 2}, {recorded, 1}}, recorded},
        // Fast Startup: "Shut down" hibernates the kernel, so the tick count ran on through
        // the night; only the boot record tells that a new session began.
        {"a hybrid boot long after the tick count's", {{nextMorning, 1}}, nextMorning},
        {"a record from an earlier boot", {{MakeDateTime(2026, 12, 6, 7, 58, 59), 0}}, kBoot},
        {"no readable record", {}, kBoot},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SessionStart(now, kTicksPast32Bits, c.records), c.expected) << c.what;
    // Without a record: now less the uptime in whole seconds, rounded half to even.
    EXPECT_EQ(BootTimeFrom(kBoot, 500), kBoot);
    EXPECT_EQ(BootTimeFrom(kBoot, 1500), kBoot - std::chrono::seconds{2});
}

TEST_F(StartupTest, TheFirstStartInASessionSetsRestartAndLaterStartsKeepTheDelay) {
    // None stored yet is met on the real program, where the report then shows a delay.
    const SettingsStore settings = context.Settings();
    Put(settings, setting::kRestart, "2026:12:06:08:00:00");  // at the boot itself
    EXPECT_EQ(NoteProgramStart(settings, kBoot, clock.now), "00:00:00");
    Put(settings, setting::kRestart, "2026:12:05:08:00:30");  // the previous session's
    EXPECT_EQ(NoteProgramStart(settings, kBoot, clock.now), "01:30:00");
    EXPECT_EQ(Get("Restart"), "2026:12:06:09:30:00");
}

TEST(PreviousSession, IsLoggedWithItsEndUnlessItIsTheRunningOne) {
    EXPECT_EQ(Logged("2026:12:06:07:59:59", "2026:12:06:08:00:30"), "");
    EXPECT_EQ(Logged("2026:12:06:08:00:01", "2026:12:06:08:00:30"), "");
    EXPECT_EQ(Logged("2026:12:06:07:59:58", "2026:12:06:07:59:59"),
              "2026:12:06:07:59:58=2026:12:06:07:59:59=1=" + kSystem)
        << "a start two seconds off the boot is another session";
    // The boot record stands however the clock drifted from the tick count since.
    EXPECT_EQ(Logged("2026:12:06:07:59:53", "2026:12:06:09:00:00", "", "",
                     {{MakeDateTime(2026, 12, 6, 7, 59, 53), 0}}),
              "");

    // A crashed session ends with its later heartbeat, but never with one older than its
    // start: that one was left by an earlier session.
    const std::string start = "2026:12:05:08:00:00";
    const std::string crashed = start + "=2026:12:05:17:01:00=2=" + kSystem;
    EXPECT_EQ(Logged(start, "", "2026:12:05:17:01:00", "2026:12:05:17:00:30"), crashed);
    EXPECT_EQ(Logged(start, "", "", "2026:12:05:17:01:00"), crashed);
    EXPECT_EQ(Logged(start, "", "2026:12:04:23:00:00", "2026:12:04:22:00:00"), "");
}

// Turned off, Start with Windows takes away the choice to go without the icon: a copy
// started by hand must stay reachable.
TEST_F(StartupTest, TheOptionsAreStoredAndStartWithWindowsOffLiftsAnIconSuppression) {
    state.options.mRightWithout.enabled = false;
    OnRightAutoClick(context);
    EXPECT_TRUE(StartsWithWindows(registry));
    EXPECT_TRUE(state.options.mRightWithout.enabled);
    OnRightWithoutClick(context);
    EXPECT_EQ(Get("HiddenIcon"), "1");
    OnRightAutoClick(context);
    EXPECT_FALSE(StartsWithWindows(registry));
    EXPECT_FALSE(state.options.mRightWithout.enabled);
    EXPECT_EQ(Get("HiddenIcon"), "0") << "the suppression was lifted through its handler";

    // The level stored is the one the clock draws: all three hands animated.
    OnRightAnimatedClick(context);
    EXPECT_EQ(Get("Animation"), "3");
}

// The program key names the folder of the last start; a start from any other folder (or
// none) is a first start, which turns both options on whatever the shared log holds.
TEST(StoredOptions, TheIconOptionIsTheStoredFlagOnlyWithStartWithWindows) {
    const struct {
        std::string lastFolder;  // the folder of the last start
        std::string runEntry, hiddenIcon, animation;
        bool startsWithWindows, suppressed;
        int level;
    } cases[] = {
        {kFolderText, "Uptrail.exe", "5", "99999999999999999999", true, true, 3},
        {kFolderText, "Uptrail.exe", "0", " 2 hands", true, false, 2},
        // Start with Windows runs some other file.
        {kFolderText, "C:\\Other\\Uptrail.exe", "0", "-99999999999999999999", false, true, 1},
        {"D:\\Old\\Uptrail", "", "1", "1", true, false, 3},
    };
    for (const auto& c : cases) {
        Machine o;
        ASSERT_EQ(RegWrite(o.registry, RegistryRoot::kLocalMachine, kProgramKey, "", c.lastFolder),
                  kOk);
        ASSERT_EQ(RegWrite(o.registry, RegistryRoot::kLocalMachine,
                           "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Sessiometer",
                           c.runEntry),
                  kOk);
        Put(o.context.Settings(), setting::kHiddenIcon, c.hiddenIcon);
        Put(o.context.Settings(), setting::kAnimation, c.animation);

        ApplyStoredOptions(o.context, o.system.programFolder);

        SCOPED_TRACE(::testing::Message() << "case " << &c - cases);
        EXPECT_EQ(o.state.options.mRightAuto.checked, c.startsWithWindows);
        EXPECT_EQ(o.state.options.mRightWithout.enabled, c.startsWithWindows);
        EXPECT_EQ(o.state.options.mRightWithout.checked, c.suppressed);
        // Without Start with Windows the icon option is stored as checked.
        EXPECT_EQ(o.Get("HiddenIcon"), c.startsWithWindows ? c.hiddenIcon : "1");
        EXPECT_EQ(o.state.tray.animationLevel, c.level);
    }
}

}  // namespace
}  // namespace uptrail
