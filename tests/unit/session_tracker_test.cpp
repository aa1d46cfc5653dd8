#include "app/session_tracker.h"

#include <gtest/gtest.h>

#include <string>

#include "sessionlog/timestamp.h"
#include "storage/section_file.h"
#include "support/fake_platform.h"
#include "support/memory_file_system.h"
#include "support/memory_registry.h"

namespace uptrail {
namespace {

using testing::FakeClock;

using namespace std::chrono_literals;
using testing::MemoryFileSystem;
using testing::MemoryRegistry;

const std::filesystem::path kLogFolder = "logs";
const std::filesystem::path kLogFile = kLogFolder / "Uptrail.txt";
const std::string kOwnSystem = "1A2B3C4D//c:\\windows";
const std::string kOtherSystem = "5E6F7A8B//d:\\windows";
constexpr DateTime kBoot = MakeDateTime(2026, 12, 4, 8, 0, 0);
constexpr DateTime kNow = MakeDateTime(2026, 12, 4, 8, 1, 5);
constexpr std::uint64_t kTicksPast32Bits = (std::uint64_t{1} << 32) + 5000;

class SessionTrackerTest : public ::testing::Test {
protected:
    SessionTrackerTest() { files.AddFolder(kLogFolder); }

    SettingsStore StoreOf(const std::string& systemId) {
        return SettingsStore{files, registry, kLogFile, systemId};
    }
    std::string Get(std::string_view key, std::string_view section = {}) {
        return Setting(own, "get", key, {}, section);
    }
    void Put(std::string_view key, std::string_view value, std::string_view section = {}) {
        if (!value.empty()) Setting(own, "put", key, value, section);
    }
    std::string LogSection() { return LoadSection(files, kLogFile, kLogSection).text; }

    // Starts the program as start-up does: the previous session's entry, then the new state.
    bool StartProgram(const Clock& clock) {
        const DateTime boot = BootTimeFrom(clock.Now(), clock.TickCount());
        const bool logged = RecordPreviousSession(own, boot, clock.Now());
        StartCurrentSession(own, boot);
        return logged;
    }

    MemoryFileSystem files;
    MemoryRegistry registry;
    SettingsStore own = StoreOf(kOwnSystem);
};

TEST(BootTime, IsNowLessTheUptimeInWholeSecondsRoundedHalfToEven) {
    const struct {
        std::uint64_t ticks;
        std::int64_t seconds;
    } cases[] = {
        {0, 0},          {499, 0},        {500, 0},
        {1500, 2},       {2500, 2},       {2501, 3},
        {4294967295, 4294967},            {kTicksPast32Bits, 4294972},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BootTimeFrom(kNow, c.ticks), kNow - std::chrono::seconds{c.seconds}) << c.ticks;
}

TEST_F(SessionTrackerTest, TheFirstStartInASessionSetsRestartAndLaterStartsKeepTheDelay) {
    const struct {
        const char* name;
        std::string storedRestart;
        std::string expectedDelay;
        std::string expectedRestart;
    } cases[] = {
        {"first start ever", "", "00:01:05", "2026:12:04:08:01:05"},
        {"restart of the previous session", "2026:12:03:08:00:30", "00:01:05",
         "2026:12:04:08:01:05"},
        {"started before in this session", "2026:12:04:08:00:20", "00:00:20",
         "2026:12:04:08:00:20"},
        {"started at the boot itself", "2026:12:04:08:00:00", "00:00:00", "2026:12:04:08:00:00"},
        {"unreadable restart counts as after the boot", "garbage", "00:01:05", "garbage"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        files.RemoveFile(kLogFile);
        Put("Restart", c.storedRestart);

        EXPECT_EQ(NoteProgramStart(own, kBoot, kNow), c.expectedDelay);
        EXPECT_EQ(Get("Restart"), c.expectedRestart);
    }
}

TEST_F(SessionTrackerTest, ThePreviousSessionIsLoggedWithItsEndAndCause) {
    const std::string start = "2026:12:03:08:00:00";
    const struct {
        const char* name;
        std::string lastWin;
        std::string system;  // the section the previous session's values stand in
        std::string lastStart, lastClose, lastCause, fileStroke, registryStroke;
        std::string expectedEntry;
    } cases[] = {
        {"first start ever", "", kOwnSystem, "", "", "", "", "", ""},
        {"a start one second before the boot is this session", "", kOwnSystem,
         "2026:12:04:07:59:59", "2026:12:04:08:00:30", "1", "", "", ""},
        {"a start one second after the boot is this session", "", kOwnSystem,
         "2026:12:04:08:00:01", "2026:12:04:08:00:30", "1", "", "", ""},
        {"a start two seconds off is another session", "", kOwnSystem, "2026:12:04:07:59:58",
         "2026:12:04:07:59:59", "1", "", "",
         "2026:12:04:07:59:58=2026:12:04:07:59:59=1=" + kOwnSystem},
        {"Windows ended the session", kOwnSystem, kOwnSystem, start, "2026:12:03:17:30:00", "0",
         "2026:12:03:17:29:50", "2026:12:03:17:29:50",
         start + "=2026:12:03:17:30:00=0=" + kOwnSystem},
        {"closed with Exit", kOwnSystem, kOwnSystem, start, "2026:12:03:12:00:00", "1", "", "",
         start + "=2026:12:03:12:00:00=1=" + kOwnSystem},
        {"crashed: the registry heartbeat is later", "", kOwnSystem, start, "", "0",
         "2026:12:03:17:00:00", "2026:12:03:17:00:30",
         start + "=2026:12:03:17:00:30=2=" + kOwnSystem},
        {"crashed: the file heartbeat is later", "", kOwnSystem, start, "", "0",
         "2026:12:03:17:01:00", "2026:12:03:17:00:30",
         start + "=2026:12:03:17:01:00=2=" + kOwnSystem},
        {"crashed: no heartbeat in the file", "", kOwnSystem, start, "", "0", "",
         "2026:12:03:17:00:30", start + "=2026:12:03:17:00:30=2=" + kOwnSystem},
        {"crashed before any heartbeat", "", kOwnSystem, start, "", "0", "", "", ""},
        {"heartbeats older than the start belong to an earlier session", "", kOwnSystem, start,
         "", "0", "2026:12:02:23:00:00", "2026:12:02:22:00:00", ""},
        {"only the registry heartbeat is older than the start", "", kOwnSystem, start, "", "0",
         "2026:12:03:09:00:00", "2026:12:02:22:00:00",
         start + "=2026:12:03:09:00:00=2=" + kOwnSystem},
        {"another installation ran last", kOtherSystem, kOtherSystem, start,
         "2026:12:03:18:00:00", "0", "", "", start + "=2026:12:03:18:00:00=0=" + kOtherSystem},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        files.RemoveFile(kLogFile);
        Setting(own, "put", "CurStroke", "", "Registry");
        Put("LastWin", c.lastWin, "Common");
        Put("CurStroke", c.fileStroke, "Common");
        Put("CurStroke", c.registryStroke, "Registry");
        Put("LastStart", c.lastStart, c.system);
        Put("LastClose", c.lastClose, c.system);
        Put("LastCause", c.lastCause, c.system);

        EXPECT_EQ(RecordPreviousSession(own, kBoot, kNow), !c.expectedEntry.empty());
        EXPECT_EQ(LogSection(), c.expectedEntry);
        if (!c.expectedEntry.empty()) {
            EXPECT_EQ(files.Attributes(kLogFile), kLogFileAttributes);
        }
    }
}

TEST_F(SessionTrackerTest, ACrashIsLoggedAtTheNextBootWithTheLastHeartbeat) {
    Put("LastWin", kOtherSystem, "Common");
    FakeClock clock;
    clock.now = kNow;
    clock.tickCount = 65'000;
    EXPECT_FALSE(StartProgram(clock));
    EXPECT_EQ(Get("LastStart"), "2026:12:04:08:00:00");
    EXPECT_EQ(Get("LastClose"), "");
    EXPECT_EQ(Get("LastCause"), "0");

    clock.Advance(1h);
    StoreHeartbeat(own, clock);
    EXPECT_EQ(Get("CurStroke", "Common"), "2026:12:04:09:01:05");
    EXPECT_EQ(Get("CurStroke", "Registry"), "2026:12:04:09:01:05");
    EXPECT_EQ(Get("LastWin", "Common"), kOwnSystem);

    // The program is closed and started again within the same session: nothing to log.
    RecordClose(own, SessionCause::kProgramClosed, clock.now);
    EXPECT_EQ(Get("LastClose"), "2026:12:04:09:01:05");
    EXPECT_EQ(Get("LastCause"), "1");
    clock.Advance(10min);
    EXPECT_FALSE(StartProgram(clock));
    EXPECT_EQ(Get("LastClose"), "");

    clock.Advance(30s);
    StoreHeartbeat(own, clock);
    clock.now = MakeDateTime(2026, 12, 5, 7, 0, 0);
    clock.tickCount = 40'000;
    EXPECT_TRUE(StartProgram(clock));
    EXPECT_EQ(LogSection(), "2026:12:04:08:00:00=2026:12:04:09:11:35=2=" + kOwnSystem);
    EXPECT_EQ(Get("LastStart"), "2026:12:05:06:59:20");
}

TEST_F(SessionTrackerTest, AStartAfter49DaysOfUptimeIsStillTheSameSession) {
    FakeClock clock;
    clock.now = kNow;
    clock.tickCount = 65'000;
    StartProgram(clock);
    RecordClose(own, SessionCause::kProgramClosed, clock.now);

    // A 32-bit tick count would have wrapped to 70 seconds here.
    clock.Advance(std::chrono::seconds{kTicksPast32Bits / 1000});
    ASSERT_GT(clock.tickCount, kTicksPast32Bits);
    EXPECT_FALSE(StartProgram(clock));
    EXPECT_EQ(LogSection(), "");
}

}  // namespace
}  // namespace uptrail
