// Copies of the history for the Windows event log: one event per logged session and per
// clear, in a fixed form; off by a switch; never in the way of the log file.
#include "sessionlog/session_events.h"

#include <gtest/gtest.h>

#include "app/startup.h"
#include "support/test_machine.h"

namespace uptrail {
namespace {

using testing::kProgramKey;
using testing::kSystem;
using testing::Machine;

const std::string kStart = "2026:12:05:20:00:00";
const std::string kEnd = "2026:12:05:23:30:40";
using testing::kOther;
const std::string kReason = "Shut down by DESKTOP\\ana, from the Start menu";

// A log whose previous session (this system's, from 20:00) ended with `close` and
// `cause`, or crashed at its 23:30:40 heartbeat when `close` is empty; it slept 40 minutes
// and Windows said why it ended. Before it, another system ran until 17:45.
std::string PreviousSession(const std::string& close, int cause) {
    return "[Common]\r\nLastWin=" + kSystem + "\r\nCurStroke=" + kEnd + "\r\n[" + kSystem +
           "]\r\nLastStart=" + kStart + "\r\nLastClose=" + close +
           "\r\nLastCause=" + std::to_string(cause) +
           "\r\n[Log]\r\n2026:12:05:12:00:00=2026:12:05:17:45:00=0=" + kOther +
           "\r\n[Sleep]\r\n2026:12:05:21:00:00=2026:12:05:21:40:00=" + kSystem +
           "\r\n[Reason]\r\n" + kStart + "=" + kReason + "\r\n";
}

struct Started : Machine {
    explicit Started(const std::string& log) {
        SeedEarlierStart(log);
        EXPECT_EQ(RunStartup(context), StartupOutcome::kStarted);
    }
};

// A crash ends at the heartbeat, so all three give the same strings.
TEST(SessionEvents, EachEndGivesItsIdLevelAndTheStringsInTheirOrder) {
    const std::string from = "2026-12-05T20:00:00", to = "2026-12-05T23:30:40";
    const std::vector<std::string> strings{from, to, "210", kSystem, "135", "40", kReason};
    const struct {
        std::string close;
        int cause;
        unsigned id;
        EventLevel level;
    } ends[] = {{kEnd, 0, 1000u, EventLevel::kInformation},
                {kEnd, 1, 1001u, EventLevel::kInformation},
                {"", 0, 1002u, EventLevel::kWarning}};
    for (const auto& end : ends) {
        Started started(PreviousSession(end.close, end.cause));
        ASSERT_EQ(started.events.written.size(), 1u) << end.id;
        const LogEvent& event = started.events.written[0];
        EXPECT_EQ(event.id, end.id);
        EXPECT_EQ(event.level, end.level) << end.id;
        EXPECT_EQ(event.strings, strings) << end.id;
        EXPECT_EQ(event.data, from + "," + to + ",210," + kSystem + ",135,40,\"" + kReason + "\"");
    }

    // The first session of a log was preceded by nothing it knows of, and one without
    // sleep or reason has them empty.
    Started first("[" + kSystem + "]\r\nLastStart=" + kStart + "\r\nLastClose=" + kEnd +
                  "\r\nLastCause=0\r\n");
    ASSERT_EQ(first.events.written.size(), 1u);
    EXPECT_EQ(first.events.written[0].strings,
              (std::vector<std::string>{from, to, "210", kSystem, "", "0", ""}));
}

TEST(SessionEvents, TheSwitchTurnsThemOffAndAFailingSinkChangesNothingElse) {
    for (const auto& [value, writes] : {std::pair{"0", 0}, {"00", 0}, {"1", 1}}) {
        Machine machine;
        EXPECT_EQ(
            RegWrite(machine.registry, RegistryRoot::kLocalMachine, kProgramKey, "EventLog", value),
            kOk);
        machine.SeedEarlierStart(PreviousSession(kEnd, 0));
        ASSERT_EQ(RunStartup(machine.context), StartupOutcome::kStarted);
        EXPECT_EQ(machine.events.writes, writes) << value;
    }
    Started working(PreviousSession("", 0));
    Machine failing;
    failing.events.succeeds = false;
    failing.SeedEarlierStart(PreviousSession("", 0));
    ASSERT_EQ(RunStartup(failing.context), StartupOutcome::kStarted);
    EXPECT_EQ(failing.events.writes, 1) << "tried once, not again";
    EXPECT_EQ(failing.files.Contents(failing.state.session.logFile),
              working.files.Contents(working.state.session.logFile));
    EXPECT_TRUE(failing.desktop.messages.empty());
}

}  // namespace
}  // namespace uptrail
