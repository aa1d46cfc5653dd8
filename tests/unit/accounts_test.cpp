// Several accounts signed in on one PC, each running its copy of the program over the one
// log: what each change keeps of the others', who logs a session, what a sign-out
// records, and where an alarm rings.
#include "support/accounts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "alarm/alarm_commands.h"
#include "alarm/alarm_list.h"
#include "app/commands/log_maintenance.h"
#include "app/commands/preference_toggles.h"
#include "app/main_events.h"
#include "app/startup.h"

namespace uptrail {
namespace {

using ::testing::HasSubstr;

using namespace uptrail::testing;

// The log of the previous session, of `system`, which Windows closed.
std::string ClosedByWindows(const std::string& system) {
    return "[Common]\r\nLastWin=" + system + "\r\nCurStroke=2026:12:05:17:59:30\r\n[" + system +
           "]\r\nLastStart=2026:12:05:08:00:00\r\nLastClose=2026:12:05:18:00:00\r\nLastCause=0\r\n";
}
// That of this installation, with its options, a logged session and an alarm.
const std::string kEarlierLog = ClosedByWindows(kSystem) +
                                "ProgramFolder=C:\\Program Files\\Uptrail\r\nAnimation=3\r\n" +
                                "[Log]\r\n2026:12:04:08:00:00=2026:12:04:18:00:00=0=" + kSystem +
                                "\r\n[Alarm]\r\n2026:12:06:20:00:00=0000:00:00=Seeded\r\n";
// The sleep that ends at the clock's 09:30, as section "Sleep" holds it.
const std::string kSlept = "2026:12:06:09:00:00=2026:12:06:09:30:00=" + kSystem;

class AccountsTest : public ::testing::Test {
protected:
    SharedPc pc;

    ProgramCopy& Started(bool standardUser = true) {
        ProgramCopy& copy = pc.SignIn(standardUser);
        EXPECT_EQ(RunStartup(copy.context), StartupOutcome::kStarted);
        return copy;
    }
};

// An alarm due at 09:00 the next day, a minute later for each letter of its title past
// five, so that the alarms of a test differ in their due times.
void AddAlarm(ProgramCopy& copy, const std::string& title) {
    AlarmList& list = copy.context.state.alarms.list;
    AlarmEntry& entry = list[list.AddEmpty()];
    entry.Key = "2026:12:07:09:0" + std::to_string(title.size() - 5) + ":00";
    entry.Title = title;
    SaveAlarmList(copy.context.Alarms());
}

// One change by each of two copies, the second made at every step of the first's write
// (and once after it): whatever the order, both are in the file once the copies have
// beaten again.
TEST_F(AccountsTest, EveryInterleavingOfTwoCopiesChangesKeepsBoth) {
    struct Operation {
        const char* name;
        std::function<void(ProgramCopy&)> run;
        std::function<bool(SharedPc&)> holds;
    };
    const auto alarmOf = [](const char* title) {
        return Operation{title, [title](ProgramCopy& copy) { AddAlarm(copy, title); },
                         [title](SharedPc& m) { return m.SectionHas("Alarm", title); }};
    };
    const Operation monitorFromNow{"Monitor from Now",
                                   [](ProgramCopy& copy) { OnRightNowClick(copy.context); },
                                   [](SharedPc& m) { return m.Section("Log").empty(); }};
    const Operation deleteSeeded{"delete the seeded alarm",
                                 [](ProgramCopy& copy) {
                                     copy.context.state.alarms.list[0].Key.clear();
                                     SaveAlarmList(copy.context.Alarms());
                                 },
                                 [](SharedPc& m) { return !m.SectionHas("Alarm", "Seeded"); }};
    const Operation animationOff{"animation off",
                                 [](ProgramCopy& copy) { OnRightAnimatedClick(copy.context); },
                                 [](SharedPc& m) { return m.Get(kSystem, "Animation") == "2"; }};
    const Operation sleepEntry{"end of a sleep",
                               [](ProgramCopy& copy) {
                                   copy.context.state.session.bootTime = kBoot;
                                   OnResume(copy.context);
                               },
                               [](SharedPc& m) {
                                   return m.Section("Sleep") == kSlept &&
                                          m.Get(kSystem, "SleepStart").empty();
                               }};
    const std::vector<std::pair<Operation, Operation>> pairs{
        {alarmOf("First"), alarmOf("Second")}, {monitorFromNow, alarmOf("Second")},
        {alarmOf("First"), deleteSeeded},      {deleteSeeded, alarmOf("Second")},
        {animationOff, alarmOf("Second")},     {sleepEntry, animationOff},
        {alarmOf("First"), sleepEntry},
    };
    for (const auto& [first, second] : pairs) {
        for (int step = 1; step <= 12; ++step) {
            SCOPED_TRACE(std::string(first.name) + " then " + second.name + " at step " +
                         std::to_string(step));
            SharedPc machine(kEarlierLog);
            ProgramCopy& a = machine.SignIn();
            ProgramCopy& b = machine.SignIn();
            for (ProgramCopy* copy : {&a, &b})
                ASSERT_EQ(RunStartup(copy->context), StartupOutcome::kStarted);
            ASSERT_EQ(WriteProfile(machine.files, machine.logFile, kSystem, "SleepStart",
                                   "2026:12:06:09:00:00"),
                      kOk);
            machine.Interleave(
                step, [&] { first.run(a); }, [&] { second.run(b); });
            OnHeartbeatTimer(b.context);
            OnHeartbeatTimer(a.context);
            EXPECT_TRUE(first.holds(machine));
            EXPECT_TRUE(second.holds(machine));
            EXPECT_FALSE(a.context.writer.HasPending() || b.context.writer.HasPending());
        }
    }
}

// Three accounts start in one boot, the second and third while the first is writing or
// after it: the previous session is logged once, and its event sent once. In the second
// case another installation ran last, and the first copy has not beaten when the others start.
TEST_F(AccountsTest, EachBootIsLoggedAndReportedOnce) {
    for (const std::string& log : {kEarlierLog, ClosedByWindows(kOther)}) {
        for (int step = 0; step <= 4; ++step) {
            SCOPED_TRACE(log.substr(0, 30) + ", step " + std::to_string(step));
            SharedPc machine(log);
            ProgramCopy& first = machine.SignIn();
            ProgramCopy& second = machine.SignIn();
            ProgramCopy& third = machine.SignIn();
            machine.Interleave(
                step, [&] { RunStartup(first.context); }, [&] { RunStartup(second.context); });
            RunStartup(third.context);
            std::size_t sent = 0;
            for (ProgramCopy* copy : {&first, &second, &third}) {
                OnHeartbeatTimer(copy->context);
                sent += copy->events.written.size();
            }
            EXPECT_THAT(machine.Section("Log"),
                        HasSubstr("2026:12:05:08:00:00=2026:12:05:18:00:00=0="));
            EXPECT_EQ(sent, 1u);
        }
    }
}

// An account signs out, or its copy is closed, while another account's copy runs on: the
// PC's session goes on, so no close is recorded; the last copy to go records it.
TEST_F(AccountsTest, OnlyTheLastCopyToGoRecordsTheClose) {
    struct Case {
        ProgramEnd end;
        bool otherRuns;
        const char* close;  // "" or the time of the close
        const char* cause;
    };
    const Case cases[] = {
        {ProgramEnd::kClosed, true, "", "0"},
        {ProgramEnd::kSessionEnds, true, "2026:12:06:09:45:00", "0"},
        {ProgramEnd::kSignOut, false, "2026:12:06:09:45:00", "0"},
        {ProgramEnd::kClosed, false, "2026:12:06:09:45:00", "1"},
    };
    for (const Case& c : cases) {
        SharedPc machine(kEarlierLog);
        ProgramCopy& leaving = machine.SignIn();
        ProgramCopy& other = machine.SignIn();
        RunStartup(leaving.context);
        if (c.otherRuns) RunStartup(other.context);
        machine.clock.Advance(std::chrono::minutes{15});

        OnMainWindowClose(leaving.context, c.end);

        EXPECT_EQ(machine.Get(kSystem, "LastClose"), c.close);
        EXPECT_EQ(machine.Get(kSystem, "LastCause"), c.cause);
        EXPECT_EQ(machine.Get("Common", "CurStroke"),
                  c.close[0] ? "2026:12:05:17:59:30" : "2026:12:06:09:45:00");
    }
}

// The PC's alarms ring at the screen only: the copy whose session is switched away keeps
// a due alarm until its session comes back, and takes in what the other copy did with it.
TEST_F(AccountsTest, ADueAlarmOpensOnlyInTheSessionAtTheScreen) {
    pc.files.AddFile(pc.logFile, kEarlierLog);
    ProgramCopy& first = Started();
    ProgramCopy& second = Started();
    pc.sessions.console = 2;
    pc.clock.now = MakeDateTime(2026, 12, 6, 20, 0, 5);

    OnMainAlertTick(first.context.Alarms());
    OnMainAlertTick(second.context.Alarms());
    EXPECT_TRUE(first.window.openedAlarms.empty());
    EXPECT_EQ(second.window.openedAlarms, std::vector<std::string>{"2026:12:06:20:00:00"});

    // Its window rings and the alarm stops; then the first session comes to the screen.
    second.context.state.alarms.list[0].Key.clear();
    SaveAlarmList(second.context.Alarms());
    pc.sessions.console = 1;
    OnMainAlertTick(first.context.Alarms());
    EXPECT_TRUE(first.window.openedAlarms.empty());
}

// Another handle holds the log (another copy reading it, a scanner, a backup): a refused
// replace is tried again for about two seconds, and what still cannot be written is kept
// and written at the next heartbeat, the previous session's entry together with
// "LastStart", the sleep together with the clearing of "SleepStart".
TEST_F(AccountsTest, ARefusedWriteIsRetriedAndWrittenLater) {
    struct Case {
        OsError error;
        int refusals;
        bool writtenAtOnce;
    };
    const Case cases[] = {{kErrorAccessDenied, 3, true},
                          {kErrorSharingViolation, 1000, false},
                          {kErrorLockViolation, 1000, false}};
    for (const Case& c : cases) {
        SharedPc machine(kEarlierLog);
        ProgramCopy& copy = machine.SignIn();
        machine.files.RefuseMoves(machine.logFile, c.error, c.refusals);

        RunStartup(copy.context);
        EXPECT_EQ(machine.SectionHas("Log", "2026:12:05:08:00:00"), c.writtenAtOnce);
        EXPECT_EQ(machine.Get(kSystem, "LastStart") == "2026:12:06:08:00:00", c.writtenAtOnce);
        EXPECT_EQ(copy.events.written.size(), c.writtenAtOnce ? 1u : 0u);
        EXPECT_GE(machine.files.PauseCount(), c.writtenAtOnce ? 3 : 39);

        machine.files.RefuseMoves(machine.logFile, c.error, 0);
        OnHeartbeatTimer(copy.context);
        EXPECT_THAT(machine.Section("Log"), HasSubstr("2026:12:05:08:00:00"));
        EXPECT_EQ(machine.Get(kSystem, "LastStart"), "2026:12:06:08:00:00");
        EXPECT_EQ(copy.events.written.size(), 1u);

        // The end of a sleep: refused, its start stays for the next try.
        ASSERT_EQ(WriteProfile(machine.files, machine.logFile, kSystem, "SleepStart",
                               "2026:12:06:09:00:00"),
                  kOk);
        machine.files.RefuseMoves(machine.logFile, c.error, 1000);
        OnResume(copy.context);
        EXPECT_EQ(machine.Get(kSystem, "SleepStart"), "2026:12:06:09:00:00");
        machine.files.RefuseMoves(machine.logFile, c.error, 0);
        OnMainWindowClose(copy.context, ProgramEnd::kClosed);
        EXPECT_EQ(machine.Get(kSystem, "SleepStart"), "");
        EXPECT_EQ(machine.Section("Sleep"), kSlept);
    }
}

// A new account's first start is no first start of the installation: the options the
// first account changed stay as it left them. And a log folder set for the machine is
// the one every account uses, which a standard user cannot move.
TEST_F(AccountsTest, ANewAccountChangesNoSharedOptionAndCannotMoveTheMachinesLog) {
    OnRightAnimatedClick(Started().context);

    ProgramCopy& second = pc.SignIn();
    // A folder this account once chose for itself, before the machine had one.
    ASSERT_EQ(RegWritePath(second.registry, RegistryRoot::kCurrentUser, kProgramKey, "LogFolder",
                           "D:\\Elsewhere"),
              kOk);
    RunStartup(second.context);
    EXPECT_EQ(pc.Get(kSystem, "Animation"), "2");
    EXPECT_FALSE(second.context.state.options.mRightAnimated.checked);
    EXPECT_EQ(second.context.state.session.logFile, pc.logFile);

    second.desktop.chosenFolder = "D:\\Moved";
    OnRightFolderClick(second.context);
    EXPECT_TRUE(second.desktop.chooserStarts.empty());
    ASSERT_EQ(second.desktop.messages.size(), 1u);
    EXPECT_THAT(second.desktop.messages[0].text,
                HasSubstr("Only an administrator can move the log."));
    EXPECT_EQ(second.context.state.session.logFile, pc.logFile);
}

}  // namespace
}  // namespace uptrail
