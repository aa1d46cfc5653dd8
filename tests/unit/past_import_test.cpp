// A PC's past added to a log: only what ends before the log's own record of the system
// and overlaps nothing logged, before the logged entries, within the start-up trim's limit.
#include "sessionlog/past_import.h"

#include <gtest/gtest.h>

#include "base/timestamp.h"
#include "sessionlog/end_reason.h"
#include "sessionlog/session_log.h"
#include "sessionlog/sleep_log.h"
#include "support/log_fields.h"

namespace uptrail {
namespace {

using std::chrono::hours;
using namespace uptrail::testing;

const DateTime kDay = MakeDateTime(2026, 11, 1);
const DateTime kNow = MakeDateTime(2026, 12, 7);

DateTime At(int day, int hour) { return kDay + hours{24 * day + hour}; }

std::string Line(DateTime start, DateTime end, std::string_view rest) {
    return FormatTimestamp(start) + "=" + FormatTimestamp(end) + "=" + std::string(rest) + "\r\n";
}

// Three days of one installation: a crash with its reason, then two clean days, the
// first of them with an hour asleep.
PastSessions ThreeDays() {
    PastSessions past;
    past.sessions = {{At(0, 8), At(0, 12), SessionCause::kCrashed, "Blue screen, stop code 0x9F"},
                     {At(1, 8), At(1, 17), SessionCause::kWindowsEnded, ""},
                     {At(2, 8), At(2, 17), SessionCause::kWindowsEnded, "Restarted by ana"}};
    past.sleeps = {{At(1, 12), At(1, 13), kSystem}};
    return past;
}

TEST(PastImport, ANewLogGetsEverySessionWithItsSleepAndReason) {
    const PastImport import = AddPastSessions("", ThreeDays(), kSystem, kNow);
    EXPECT_EQ(import.sessions, 3u);
    const std::vector<Fields> expected{{At(0, 8), At(0, 12), SessionCause::kCrashed, kSystem},
                                       {At(1, 8), At(1, 17), SessionCause::kWindowsEnded, kSystem},
                                       {At(2, 8), At(2, 17), SessionCause::kWindowsEnded, kSystem}};
    EXPECT_EQ(FieldsOf(ReadLogEntries(import.text, kNow)), expected);
    const auto sleeps = ReadSleepPeriods(import.text, kNow);
    ASSERT_EQ(sleeps.size(), 1u);
    EXPECT_EQ(sleeps[0].end, At(1, 13));
    const EndReasons reasons = EndReasons::Read(import.text);
    EXPECT_EQ(reasons.Of(At(0, 8)), "Blue screen, stop code 0x9F");
    EXPECT_EQ(reasons.Of(At(2, 8)), "Restarted by ana");
}

TEST(PastImport, OnlyWhatEndsBeforeTheLogsOwnRecordAndOverlapsNothingGoesInFirst) {
    // The log has this system from day 2 on, and another installation of the PC before
    // dawn on day 0 and on day 1 from noon: the session of day 1 overlaps that one, the one
    // of day 2 is logged, and the crash of day 0 falls between the other's two.
    const std::string log =
        "[Common]\r\nKeep=me\r\n\r\n[Log]\r\n" + Line(At(0, 2), At(0, 6), "0=" + kOther) +
        Line(At(1, 12), At(1, 20), "0=" + kOther) + Line(At(2, 8), At(2, 17), "0=" + kSystem) +
        "\r\n[Sleep]\r\n" + Line(At(2, 9), At(2, 10), kSystem);
    const PastImport import = AddPastSessions(log, ThreeDays(), kSystem, kNow);
    EXPECT_EQ(import.sessions, 1u);
    const std::vector<Fields> expected{{At(0, 8), At(0, 12), SessionCause::kCrashed, kSystem},
                                       {At(0, 2), At(0, 6), SessionCause::kWindowsEnded, kOther},
                                       {At(1, 12), At(1, 20), SessionCause::kWindowsEnded, kOther},
                                       {At(2, 8), At(2, 17), SessionCause::kWindowsEnded, kSystem}};
    EXPECT_EQ(FieldsOf(ReadLogEntries(import.text, kNow)), expected);
    EXPECT_EQ(ReadSleepPeriods(import.text, kNow).size(), 1u) << "day 1's sleep went with it";
    EXPECT_EQ(EndReasons::Read(import.text).Of(At(2, 8)), "") << "a logged session's reason";
    EXPECT_TRUE(import.text.starts_with("[Common]\r\nKeep=me\r\n")) << "the rest stays";

    const PastImport again = AddPastSessions(import.text, ThreeDays(), kSystem, kNow);
    EXPECT_EQ(again.sessions, 0u);
    EXPECT_EQ(again.text, import.text);
}

TEST(PastImport, TheNewestGoInAsFarAsTheStartUpTrimKeeps) {
    std::string log = "[Log]\r\n";
    for (int i = 1; i < kStartupLogLimit; ++i) log += Line(At(30, 0), At(30, 0), "0=" + kOther);
    const PastImport import = AddPastSessions(log, ThreeDays(), kSystem, kNow);
    ASSERT_EQ(import.sessions, 1u);
    const LogEntries read = ReadLogEntries(import.text, kNow);
    EXPECT_EQ(read.entries.size(), static_cast<std::size_t>(kStartupLogLimit));
    EXPECT_EQ(read.entries.front().start, At(2, 8));
    EXPECT_TRUE(ReadSleepPeriods(import.text, kNow).empty()) << "the sleep of a session left out";
}

}  // namespace
}  // namespace uptrail
