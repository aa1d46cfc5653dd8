// Periods asleep: told by the power notifications, logged in section "Sleep", trimmed and
// erased with their sessions, and shown in the statistics and the tooltip.
#include <gtest/gtest.h>

#include "app/commands/log_maintenance.h"
#include "app/main_events.h"
#include "app/session_menus.h"
#include "app/startup.h"
#include "sessionlog/session_log.h"
#include "sessionlog/session_tracker.h"
#include "sessionlog/sleep_log.h"
#include "storage/section_file.h"
#include "storage/text_lines.h"
#include "support/test_machine.h"

namespace uptrail {
namespace {

using std::chrono::hours;
using std::chrono::minutes;
using std::chrono::seconds;
using testing::kBoot;
using testing::kOther;
using testing::kSystem;
using testing::Machine;
using testing::RunLeftLog;

std::string Stamp(DateTime time) { return FormatTimestamp(time); }

// A log line "start=end=rest" for the Log and Sleep sections.
std::string Line(DateTime start, DateTime end, const std::string& rest) {
    return Stamp(start) + "=" + Stamp(end) + "=" + rest + "\r\n";
}

class SleepTest : public ::testing::Test, protected Machine {
protected:
    // The running program, started in the booted session.
    void Start() { ASSERT_EQ(RunStartup(context), StartupOutcome::kStarted); }
};

// What the suspend and the resumes store is checked on the real program; that a hibernation
// ends no session, by the session's start skipping the resume's boot record.
TEST_F(SleepTest, ASuspendAndItsResumeCountTheRunningSessionsMinutesAsleep) {
    Start();
    OnSuspend(context);
    clock.Advance(hours{2} + minutes{5});
    OnResume(context);
    EXPECT_EQ(Get("CurStroke", "Common"), Stamp(clock.now)) << "a crash now ends after the wake";
    EXPECT_EQ(state.session.asleepMinutes, 125);
    // A rebuild of the menus reads the same from the log.
    RefreshSessionMenus(context);
    EXPECT_EQ(state.session.asleepMinutes, 125);
}

TEST(DurationTip, ShowsTheTimeAwakeOnlyAfterASleepAndInDaysBeyondOne) {
    const DateTime start = MakeDateTime(2026, 12, 1, 8, 0, 0);
    EXPECT_EQ(DurationTip(start, start + hours{5} + minutes{10}), "Duration: 00d 05h 10m");
    EXPECT_EQ(DurationTip(start, start + hours{5} + minutes{10}, 128),
              "Duration: 00d 05h 10m, awake 03h 02m");
    EXPECT_EQ(DurationTip(start, start + hours{50}, 60),
              "Duration: 02d 02h 00m, awake 02d 01h 00m");
    // A clock set back below the sleep already logged shows no negative time awake.
    EXPECT_EQ(DurationTip(start, start + minutes{10}, 600), "Duration: 00d 00h 10m, awake 00h 00m");
    // The longest figures still fit the shell's field.
    EXPECT_LE(DurationTip(MakeDateTime(-30000, 1, 1), MakeDateTime(30000, 1, 1), 1).size(), 63u);
}

// The previous session ended asleep: the battery ran out, and the next boot logs the
// sleep up to the session's end (its heartbeat, or its close). Another installation's
// sleep is logged under its name, but its value is its own to clear. A value left from
// before the session began is no sleep of it.
TEST(UnfinishedSleep, IsLoggedUpToItsSessionsEndUnderItsSystem) {
    const DateTime start = MakeDateTime(2026, 12, 5, 20, 0, 0);
    const DateTime asleep = MakeDateTime(2026, 12, 5, 23, 0, 0);
    // The heartbeat timer fired once more on the way down.
    const DateTime lastBeat = asleep + seconds{20};
    const std::string otherSlept =
        "[Common]\r\nLastWin=" + kOther + "\r\n[" + kOther + "]\r\nLastStart=" + Stamp(start) +
        "\r\nLastClose=" + Stamp(lastBeat) + "\r\nLastCause=0\r\nSleepStart=" + Stamp(asleep) +
        "\r\n[" + kSystem + "]\r\nSleepStart=" + Stamp(start) + "\r\n";
    const struct {
        std::string log;
        std::string sleeps;
        std::string otherValue;  // the other installation's "SleepStart" after the start
    } cases[] = {
        {RunLeftLog(kSystem, start, lastBeat,
                    "LastCause=0\r\nSleepStart=" + Stamp(asleep) + "\r\n"),
         Stamp(asleep) + "=" + Stamp(lastBeat) + "=" + kSystem, ""},
        {RunLeftLog(kSystem, start, lastBeat, "SleepStart=" + Stamp(start - hours{30}) + "\r\n"),
         "", ""},
        {otherSlept, Stamp(asleep) + "=" + Stamp(lastBeat) + "=" + kOther, Stamp(asleep)},
    };
    for (const auto& c : cases) {
        Machine m;
        m.SeedEarlierStart(c.log);
        ASSERT_EQ(RunStartup(m.context), StartupOutcome::kStarted);
        EXPECT_EQ(m.Section("Sleep"), c.sleeps);
        EXPECT_EQ(m.Get("SleepStart"), "") << "the running session is awake";
        EXPECT_EQ(m.Get("SleepStart", kOther), c.otherValue);
        OnResume(m.context);
        EXPECT_EQ(m.Section("Sleep"), c.sleeps) << "logged once";
    }
}

TEST(SleepMinutes, CountEachSessionsOwnSleepInsideItAndTheTimeAsleepShare) {
    const DateTime day = MakeDateTime(2026, 12, 4);
    const std::string text =
        "[Log]\r\n" + Line(day + hours{8}, day + hours{12}, "0=" + kSystem) +
        Line(day + hours{13}, day + hours{17}, "2=" + kOther) + "[Sleep]\r\n" +
        // The other system's sleep, within its session; then one of this system's that
        // runs past its session's end (a clock set back), and one with a damaged end.
        Line(day + hours{14}, day + hours{15}, kOther) +
        Line(day + hours{9}, day + hours{9} + minutes{30}, kSystem) +
        Line(day + hours{11}, day + hours{13}, kSystem) + Stamp(day) + "=garbage=" + kSystem +
        "\r\n" + "only=two\r\n";
    const DateTime now = day + hours{20};
    const LogEntries log = ReadLogEntries(text, now);
    const std::vector<SleepPeriod> sleeps = ReadSleepPeriods(text, now);
    ASSERT_EQ(sleeps.size(), 4u) << "sorted by start, the damaged end read as now";
    EXPECT_EQ(sleeps.front().start, day);
    EXPECT_EQ(SleepIndex(sleeps).MinutesOf(log), (std::vector<std::int64_t>{240, 60}))
        << "the damaged period is cut to the session it reaches into, and the periods it "
           "overlaps count once";

    // Without the damaged line: 2h30m of 8h asleep.
    const std::vector<SleepPeriod> sound(sleeps.begin() + 1, sleeps.end());
    const SessionStatistics figures =
        CountSessions(log.entries, now, SleepIndex(sound).MinutesOf(log));
    EXPECT_EQ(figures.asleepMinutes, 150);
    StatisticsCaptions captions = DesignedStatisticsCaptions();
    WriteStatistics(figures, {day, "", ",", &EnglishMonthNames()}, captions);
    EXPECT_EQ(captions[kTimeAsleep], "Time Asleep:\t31,2%");
    WriteStatistics(CountSessions({}, now), {day, "", ".", &EnglishMonthNames()}, captions);
    EXPECT_EQ(captions[kTimeAsleep], "Time Asleep:\t-");
}

TEST(SleepMinutes, CountEachSystemsSleepOnceWhateverTheLinesOverlap) {
    const DateTime day = MakeDateTime(2026, 12, 4);
    const auto at = [&](int hour, int minute = 0) { return day + hours{hour} + minutes{minute}; };
    // Asleep from h1:m1 to h2:m2, for this system or another.
    const auto mine = [&](int h1, int m1, int h2, int m2, const std::string& system = kSystem) {
        return SleepPeriod{at(h1, m1), at(h2, m2), system};
    };
    const auto other = [&](int h1, int m1, int h2, int m2) { return mine(h1, m1, h2, m2, kOther); };
    struct Case {
        const char* what;
        DateTime start, end;
        std::int64_t minutes;
        std::vector<SleepPeriod> sleeps;
    };
    const std::vector<SleepPeriod> overlapping{mine(9, 0, 10, 0), mine(9, 30, 10, 30),
                                               mine(10, 30, 11, 0)};
    const std::string upper = "1A2B3C4D//C:\\WINDOWS";
    const Case cases[] = {
        {"periods that overlap or meet", at(8), at(12), 120, overlapping},
        {"the identity spelt in another case", at(8), at(12), 60, {mine(9, 0, 10, 0, upper)}},
        // A session cut inside a long sleep, while another system slept in between.
        {"cut inside a sleep", at(10), at(12), 60, {mine(9, 0, 11, 0), other(9, 30, 9, 40)}},
        // A session that begins and ends asleep, with a whole period between.
        {"asleep at both ends",
         at(9, 5),
         at(12),
         5 + 10 + 60,
         {mine(9, 0, 9, 10), mine(9, 20, 9, 30), mine(11, 0, 13, 0)}},
        {"ends inside a later sleep", at(10), at(12), 60, {mine(9, 0, 9, 10), mine(11, 0, 13, 0)}},
        {"only the other system slept", at(8), at(12), 0, {other(9, 0, 10, 0)}}};
    for (const Case& c : cases) {
        const SleepIndex index(c.sleeps);
        EXPECT_EQ(index.MinutesIn(kSystem, c.start, c.end), c.minutes) << c.what;
    }

    // Every entry of a log whose sessions all overlap one another, each seeing every period.
    std::string text = "[Log]\r\n";
    for (int i = 0; i < 3; ++i) text += Line(at(0), at(23), "0=" + kSystem);
    const LogEntries log = ReadLogEntries(text, day);
    EXPECT_EQ(SleepIndex(overlapping).MinutesOf(log), (std::vector<std::int64_t>(3, 120)));
}

// `count` half-hour sessions, one a day up to 5 December, each with ten minutes asleep.
std::string SessionsAndSleeps(int count, std::string& sleeps) {
    std::string entries;
    for (int day = count; day > 0; --day) {
        const DateTime start = MakeDateTime(2026, 12, 6, 8, 0, 0) - hours{24 * day};
        entries += Line(start, start + minutes{30}, "0=" + kSystem);
        sleeps += Line(start + minutes{5}, start + minutes{15}, kSystem);
    }
    return entries;
}

// The commands are offered only when they would change something, and the question names
// the cut-off. Each clear is told to the event log: what went, and who cleared it. What they
// do to the log is checked on the real program.
TEST_F(SleepTest, EraseOldestDataAndMonitorFromNowDropTheSleepBeforeTheirCutOffAndSaySo) {
    const std::string question = "\r\nAre you sure you wish to continue?";
    std::string sleeps;
    const std::string entries = SessionsAndSleeps(60, sleeps);
    // This session's own sleep, logged before it ends.
    sleeps += Line(kBoot + minutes{10}, kBoot + minutes{20}, kSystem);
    SeedEarlierStart("[Log]\r\n" + entries + "[Sleep]\r\n" + sleeps + "[Reason]\r\n" +
                     Stamp(MakeDateTime(2026, 10, 7, 8, 0, 0)) + "=Blue screen\r\n" +
                     Stamp(MakeDateTime(2026, 12, 5, 8, 0, 0)) + "=Shut down by ana\r\n");
    Start();
    OnRightMenuOpening(context);
    EXPECT_TRUE(state.options.mRightNow.enabled && state.options.mRightOldest.enabled);
    OnRightOldestClick(context);
    EXPECT_EQ(desktop.messages.at(0).text,
              "All statistics before Oct 17, 2026 will be lost." + question);
    OnRightMenuOpening(context);
    EXPECT_FALSE(state.options.mRightOldest.enabled) << "the newest fifty are left";
    const std::string afterErase = Section("Sleep");  // the lines below point into it
    const auto kept = SplitLines(afterErase);
    ASSERT_EQ(kept.size(), 51u);
    EXPECT_EQ(kept.front().substr(0, 19), Stamp(state.session.statsFrom + minutes{5}));
    EXPECT_EQ(LoadSection(files, state.session.logFile, "Reason").text,
              Stamp(MakeDateTime(2026, 12, 5, 8, 0, 0)) + "=Shut down by ana");
    ASSERT_EQ(events.written.size(), 1u);
    EXPECT_EQ(events.written[0].id, 1010u);
    EXPECT_EQ(
        events.written[0].strings,
        (std::vector<std::string>{"Erase Oldest Data", "2026-10-17T08:00:00", "10", kSystem}));

    OnRightNowClick(context);
    EXPECT_EQ(desktop.messages.at(1).text, "All current statistics will be lost." + question);
    EXPECT_TRUE(state.menus.sessionItems.empty()) << "the menus were rebuilt";
    OnRightMenuOpening(context);
    EXPECT_FALSE(state.options.mRightNow.enabled) << "statistics from the boot";
    EXPECT_EQ(Section("Sleep"),
              Stamp(kBoot + minutes{10}) + "=" + Stamp(kBoot + minutes{20}) + "=" + kSystem);
    EXPECT_EQ(LoadSection(files, state.session.logFile, "Reason").text, "");
    ASSERT_EQ(events.written.size(), 2u);
    EXPECT_EQ(events.written[1].data, "Monitor from Now,2026-12-06T08:00:00,50," + kSystem);
}

TEST(TrimLog, KeepsTheNewestSleepEntriesInTheSameReplaceAsTheLog) {
    testing::MemoryFileSystem files;
    files.AddFolder("logs");
    const DateTime first = MakeDateTime(2020, 1, 1);
    std::string sleeps;
    for (int i = 0; i <= kStartupLogLimit; ++i)
        sleeps += Line(first + minutes{2 * i}, first + minutes{2 * i + 1}, kSystem);
    const std::string log =
        "[" + kSystem + "]\r\nLastStart=x\r\n[Log]\r\n" + Line(first, first + hours{1}, "0");
    files.AddFile("logs/Uptrail.txt", log + "[Sleep]\r\n" + sleeps);
    EXPECT_EQ(TrimLog(files, "logs/Uptrail.txt", false, first, first).logCount, 1);
    const std::string& text = files.Contents("logs/Uptrail.txt");
    const auto kept = ReadSleepPeriods(text, first);
    ASSERT_EQ(kept.size(), static_cast<std::size_t>(kStartupLogLimit));
    EXPECT_EQ(kept.front().start, first + minutes{2});
    EXPECT_TRUE(text.starts_with(log)) << "Log untouched";
    EXPECT_EQ(files.FileCount(), 1u) << "no temporary file left";
}

}  // namespace
}  // namespace uptrail
