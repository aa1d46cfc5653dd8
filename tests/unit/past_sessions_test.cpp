// A PC's past read back from the System log's records, as the event schemas define them.
#include "sessionlog/past_sessions.h"

#include <gtest/gtest.h>

#include <tuple>

#include "base/timestamp.h"
#include "support/log_fields.h"

namespace uptrail {
namespace {

using E = ShutdownEvent;
using std::chrono::hours;
using std::chrono::minutes;
using std::chrono::seconds;

using testing::kSystem;
const DateTime kDay = MakeDateTime(2026, 12, 1);

DateTime At(int day, int hour, int minute = 0, int second = 0) {
    return kDay + hours{24 * day + hour} + minutes{minute} + seconds{second};
}

ShutdownRecord Record(E event, DateTime time, std::vector<std::string> values = {}) {
    return {event, time, std::move(values)};
}

const std::vector<std::string> kStartMenuPowerOff{"C:\\Windows\\explorer.exe (DESKTOP)",
                                                  "DESKTOP",
                                                  "Other (Unplanned)",
                                                  "0x0",
                                                  "power off",
                                                  "",
                                                  "DESKTOP\\ana"};

// A cold boot shut down from the Start menu after a sleep; a Fast Startup session that
// lost its power after its last record of any kind; a session with only an unexpected
// shut-down behind it; a blue screen after a hibernation; the running session, which slept.
std::vector<ShutdownRecord> AWeek() {
    return {
        Record(E::kSystemStarted, At(0, 8)),
        Record(E::kBoot, At(0, 8, 0, 1), {"0"}),
        Record(E::kLogStarted, At(0, 8, 0, 5)),
        Record(E::kSleepEntered, At(0, 12)),
        Record(E::kWoke, At(0, 13)),
        Record(E::kShutdownStarted, At(0, 17), kStartMenuPowerOff),
        Record(E::kLogStopped, At(0, 17, 0, 10)),
        Record(E::kSystemStopped, At(0, 17, 0, 12)),

        Record(E::kBoot, At(1, 8), {"0x1"}),
        Record(E::kSystemStarted, At(1, 8, 0, 1)),
        Record(E::kSleepEntered, At(1, 11)),
        Record(E::kWoke, At(1, 11, 30)),
        Record(E::kActivity, At(1, 13)),

        Record(E::kSystemStarted, At(1, 14)),
        Record(E::kBoot, At(1, 14, 0, 2), {"0"}),
        Record(E::kLogStarted, At(1, 14, 0, 5)),
        Record(E::kUncleanReboot, At(1, 14, 0, 20), {"0"}),
        Record(E::kUnexpected, At(1, 14, 0, 25), {"11:30:02", "01.12.2026"}),
        Record(E::kSleepEntered, At(1, 20)),

        Record(E::kSystemStarted, At(2, 7)),
        Record(E::kLogStarted, At(2, 7, 0, 5)),
        Record(E::kUnexpected, At(2, 7, 0, 25)),
        Record(E::kSleepEntered, At(2, 10)),
        Record(E::kBoot, At(2, 12), {"2"}),
        Record(E::kWoke, At(2, 12, 0, 5)),

        Record(E::kSystemStarted, At(2, 18)),
        Record(E::kBoot, At(2, 18, 0, 1), {"0"}),
        Record(E::kUncleanReboot, At(2, 18, 0, 30), {"159"}),
        Record(E::kBugCheck, At(2, 18, 1), {"0x0000009f (0x0000000000000003, 0xffff)"}),
        Record(E::kSleepEntered, At(2, 19)),
        Record(E::kWoke, At(2, 20)),
    };
}

// Each session as its start, end, cause and reason; each sleep as its start, end and system.
using Session = std::tuple<std::string, std::string, SessionCause, std::string>;
using Sleep = std::tuple<DateTime, DateTime, std::string>;
std::vector<Session> SessionsOf(const PastSessions& past) {
    std::vector<Session> sessions;
    for (const PastSession& s : past.sessions)
        sessions.emplace_back(FormatTimestamp(s.start), FormatTimestamp(s.end), s.cause, s.reason);
    return sessions;
}
std::vector<Sleep> SleepsOf(const PastSessions& past) {
    std::vector<Sleep> sleeps;
    for (const SleepPeriod& s : past.sleeps) sleeps.emplace_back(s.start, s.end, s.system);
    return sleeps;
}

// Records in another order or repeated, and a log cleared in the middle of a session, give
// no other past and no session without its start: the event_export fuzz target and the
// report's tests of exports hold that.
TEST(PastSessions, AWeekOfBootsShutDownsCrashesAndSleepsReadsBackAsItsSessions) {
    const auto at = [](int day, int hour, int minute = 0, int second = 0) {
        return FormatTimestamp(At(day, hour, minute, second));
    };
    std::vector<Session> sessions{
        {at(0, 8), at(0, 17, 0, 12), SessionCause::kWindowsEnded,
         "Shut down by DESKTOP\\ana from the Start menu"},
        {at(1, 8), at(1, 13), SessionCause::kCrashed,
         "Power lost or the PC was turned off without shutting down"},
        {at(1, 14), at(1, 20), SessionCause::kCrashed, "The previous shut-down was unexpected"},
        {at(2, 7), at(2, 12, 0, 5), SessionCause::kCrashed, "Blue screen, stop code 0x0000009F"}};
    std::vector<Sleep> sleeps{{At(0, 12), At(0, 13), kSystem},
                              {At(1, 11), At(1, 11, 30), kSystem},
                              {At(1, 20), At(1, 20), kSystem},
                              {At(2, 10), At(2, 12, 0, 5), kSystem}};
    const PastSessions past = SessionsFromRecords(AWeek(), kSystem);
    EXPECT_EQ(SessionsOf(past), sessions);
    EXPECT_EQ(past.runningSince, At(2, 18)) << "its sleep is none of the past's";
    EXPECT_EQ(SleepsOf(past), sleeps);
}

// The system's own start time and the wake's sleep and wake times, among their data, are
// more exact than when their records were written; one inside the session before, or a
// day off, is not taken. A restart within the second of the stop, and a shut-down at the
// end of the records, are sessions of their own.
TEST(PastSessions, TakesTheStartAndSleepTimesAmongTheDataWhereTheyFit) {
    const auto started = [](DateTime time) {
        return std::vector<std::string>{"10", "0", "19045", "0", "0", "0", FormatTimestamp(time)};
    };
    const auto woke = [](DateTime asleep, DateTime awake) {
        return std::vector<std::string>{FormatTimestamp(asleep), FormatTimestamp(awake)};
    };
    const std::vector<ShutdownRecord> records{
        Record(E::kSystemStarted, At(0, 8, 0, 30), started(At(0, 8))),
        Record(E::kWoke, At(0, 13, 5), woke(At(0, 12), At(0, 13))),
        Record(E::kSystemStopped, At(0, 17)),
        Record(E::kSystemStarted, At(0, 17), started(At(0, 16))),
        Record(E::kSleepEntered, At(0, 19)),
        Record(E::kWoke, At(0, 20), woke(At(-2, 19), At(0, 20))),
        Record(E::kShutdownStarted, At(0, 21), kStartMenuPowerOff),
        Record(E::kSystemStopped, At(0, 21, 0, 3)),
    };
    const PastSessions past = SessionsFromRecords(records, kSystem);
    ASSERT_EQ(past.sessions.size(), 2u);
    EXPECT_EQ(past.sessions[0].start, At(0, 8));
    EXPECT_EQ(past.sessions[1].start, At(0, 17));
    EXPECT_EQ(past.sessions[1].end, At(0, 21, 0, 3));
    EXPECT_EQ(past.sessions[1].cause, SessionCause::kWindowsEnded);
    EXPECT_EQ(SleepsOf(past), (std::vector<Sleep>{{At(0, 12), At(0, 13), kSystem},
                                                  {At(0, 19), At(0, 20), kSystem}}));
}

TEST(PastSessions, KnowsTheRecordsByProviderAndIdWhateverTheCase) {
    EXPECT_EQ(SystemEventOf("eventlog", 6008), E::kUnexpected);
    EXPECT_EQ(SystemEventOf("BugCheck", 1001), E::kBugCheck);
}

}  // namespace
}  // namespace uptrail
