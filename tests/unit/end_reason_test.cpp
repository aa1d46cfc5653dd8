// Why sessions ended: Windows' records told in a person's words, stored in section
// "Reason" when the start-up logs a session, and shown when the session is chosen.
#include "sessionlog/end_reason.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/menu_commands.h"
#include "app/session_menus.h"
#include "app/startup.h"
#include "storage/section_file.h"
#include "support/test_machine.h"

namespace uptrail {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

using std::chrono::hours;
using std::chrono::minutes;
using testing::kBoot;
using testing::kSystem;
using testing::Machine;
using testing::RunLeftLog;
using E = ShutdownEvent;
const std::string kPowerLost = "Power lost or the PC was turned off without shutting down";
const std::string kStartMenu = "Shut down by DESKTOP\\ana from the Start menu";

const DateTime kStart = MakeDateTime(2026, 12, 5, 20, 0, 0);  // the session that ended
const DateTime kEnd = MakeDateTime(2026, 12, 5, 23, 0, 0);

ShutdownRecord Record(ShutdownEvent event, DateTime time, std::vector<std::string> values = {}) {
    return {event, time, std::move(values)};
}

// User32 1074 as Windows writes it: process, computer, reason, code, kind, comment, user.
ShutdownRecord Requested(const std::string& process, const std::string& kind,
                         const std::string& user, const std::string& reason, DateTime time = kEnd) {
    return Record(E::kShutdownStarted, time,
                  {process + " (DESKTOP)", "DESKTOP", reason, "0x80020003", kind, "", user});
}

std::optional<std::string> Describe(std::vector<ShutdownRecord> records) {
    return DescribeSessionEnd(records, kStart, kBoot);
}

TEST(DescribeSessionEnd, TellsEachKindOfEndTheWayAPersonSaysIt) {
    EXPECT_EQ(Describe({Requested("C:\\Windows\\servicing\\TrustedInstaller.exe", "restart",
                                  "NT AUTHORITY\\SYSTEM", "Operating System: Upgrade (Planned)")}),
              "Restarted by Windows Update (TrustedInstaller.exe) for Operating System: Upgrade "
              "(Planned)");
    // A system in another language names the kind in its own words, which are kept.
    EXPECT_EQ(Describe({Requested("C:\\Tools\\updater.exe", "Neustart", "", "")}),
              "Ended (Neustart) by updater.exe");

    EXPECT_EQ(Describe({Record(E::kBugCheck, kBoot + minutes{2},
                               {"0x0000009f (0x0000000000000003, 0xffffe001)", "MEMORY.DMP"})}),
              "Blue screen, stop code 0x0000009F");
    // Kernel-Power 41 holds the stop code as a number; 0 means the power went.
    EXPECT_EQ(Describe({Record(E::kUncleanReboot, kBoot, {"159", "3"})}),
              "Blue screen, stop code 0x0000009F");

    // Damaged records still give one short line.
    EXPECT_EQ(Describe({Record(E::kShutdownStarted, kEnd)}), "Ended");
    EXPECT_EQ(Describe({Record(E::kBugCheck, kBoot, {"not a code"})}),
              "Blue screen, stop code not");
    EXPECT_EQ(Describe({Record(E::kBugCheck, kBoot)}), "Blue screen");
    const auto text = Describe(
        {Requested("x.exe", "restart", "ana", "line one\r\nline two\t" + std::string(500, 'z'))});
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->starts_with("Restarted by ana (x.exe) for line one line two zzz")) << *text;
    EXPECT_EQ(text->size(), 240u);
}

TEST(DescribeSessionEnd, AStopCodeTellsMostThenTheRequestThenTheCrash) {
    const auto update = Requested("C:\\Windows\\System32\\MoUsoCoreWorker.exe", "restart",
                                  "NT AUTHORITY\\SYSTEM", "Operating System: Upgrade (Planned)");
    const auto powerLost = Record(E::kUncleanReboot, kBoot, {"0"});
    const auto unexpected = Record(E::kUnexpected, kBoot);
    // A restart for an update that hung on the way down: the update says why.
    EXPECT_EQ(Describe({unexpected, powerLost, update}).value().substr(0, 28),
              "Restarted by Windows Update ");
    EXPECT_EQ(Describe({unexpected, powerLost}), kPowerLost);
    EXPECT_EQ(Describe({update, Record(E::kUncleanReboot, kBoot, {"80"})}),
              "Blue screen, stop code 0x00000050");
    // Of two requests the newest counts.
    EXPECT_EQ(Describe({Requested("a.exe", "restart", "", "", kEnd - hours{1}),
                        Requested("b.exe", "power off", "", "", kEnd)}),
              "Shut down by b.exe");
}

// Records of earlier sessions, or written long after the next boot, tell nothing about it.
TEST(DescribeSessionEnd, OnlyRecordsBetweenTheSessionsStartAndJustAfterTheNextBootCount) {
    EXPECT_EQ(Describe({Record(E::kUnexpected, kStart - minutes{1}),
                        Record(E::kUncleanReboot, kBoot + minutes{6}, {"0"})}),
              std::nullopt);
    EXPECT_EQ(Describe({Requested("C:\\Windows\\explorer.exe", "restart", "DESKTOP\\ana", "",
                                  kBoot + minutes{1})}),
              std::nullopt)
        << "a request of the next session";
    EXPECT_EQ(Describe({Record(E::kUnexpected, kBoot + minutes{5})}),
              "The previous shut-down was unexpected");
}

TEST(EndReasons, AreFoundByTheirSessionsStartAndKeepATilde) {
    const EndReasons reasons = EndReasons::Read(
        "[Reason]\r\n2026:12:05:08:00:00=Shut down by ana\r\nnot a stamp=x\r\n"
        "2026:12:04:08:00:00=Restarted by SETUP~1.EXE\r\n2026:12:05:08:00:00=The later line\r\n"
        "[Log]\r\n2026:12:06:08:00:00=2026:12:06:09:00:00=0\r\n");
    EXPECT_EQ(reasons.Of(MakeDateTime(2026, 12, 5, 8, 0, 0)), "The later line");
    EXPECT_EQ(reasons.Of(MakeDateTime(2026, 12, 4, 8, 0, 0)), "Restarted by SETUP~1.EXE");
    EXPECT_EQ(reasons.Of(MakeDateTime(2026, 12, 6, 8, 0, 0)), "");
}

class EndReasonTest : public ::testing::Test, protected Machine {
protected:
    std::string Reasons() { return LoadSection(files, state.session.logFile, "Reason").text; }
};

// Of the sessions listed, a crashed one shows its cause and reason, one ended by Windows
// its reason alone, one closed by hand why its end is unsure, and one ended by Windows
// without a reason nothing; past the list there are no items.
TEST_F(EndReasonTest, TheStartUpStoresTheReasonAndTheSessionListShowsIt) {
    system.shutdownRecords = {Record(E::kUncleanReboot, kBoot + minutes{1}, {"0"}),
                              Record(E::kBugCheck, kStart - hours{30}, {"0x50"})};
    const auto day = [](int back, int cause) {
        return FormatTimestamp(kStart - hours{24 * back}) + "=" +
               FormatTimestamp(kEnd - hours{24 * back}) + "=" + std::to_string(cause) + "=" +
               kSystem + "\r\n";
    };
    SeedEarlierStart(RunLeftLog(kSystem, kStart, kEnd) + "[Log]\r\n" + day(3, 0) + day(2, 1) +
                     day(1, 0) + "[Reason]\r\n" + FormatTimestamp(kStart - hours{24}) + "=" +
                     kStartMenu + "\r\n");
    ASSERT_EQ(RunStartup(context), StartupOutcome::kStarted);
    EXPECT_EQ(Reasons(), FormatTimestamp(kStart - hours{24}) + "=" + kStartMenu + "\r\n" +
                             FormatTimestamp(kStart) + "=" + kPowerLost);

    for (const int item : {0, 1, 2, 3, 4, -1})
        RunMenuCommand(context, {MenuCommandKind::kSessionItem, item});
    ASSERT_EQ(desktop.messages.size(), 3u);
    EXPECT_EQ(desktop.messages[0].text, "This session was crashed.\r\n\r\n" + kPowerLost);
    EXPECT_EQ(desktop.messages[0].icon, MessageIcon::kStop);
    EXPECT_EQ(desktop.messages[1].text, kStartMenu);
    EXPECT_EQ(desktop.messages[1].icon, MessageIcon::kInformation);
    EXPECT_EQ(desktop.messages[2].text,
              "You do not have accurate information about this session\r\n"
              "because Uptrail was closed manually before the system reboot.");
    EXPECT_EQ(desktop.messages[2].icon, MessageIcon::kExclamation);
}

// Where nothing can be read, or the session was another installation's (whose records are
// in its own event log), nothing is stored and the log is what it would have been.
TEST_F(EndReasonTest, NoRecordsOrAnotherInstallationsSessionStoreNothing) {
    SeedEarlierStart(RunLeftLog(kSystem, kStart, kEnd));
    ASSERT_EQ(RunStartup(context), StartupOutcome::kStarted);
    EXPECT_THAT(files.Contents(state.session.logFile), Not(HasSubstr("[Reason]")));

    Machine other;
    other.system.shutdownRecords = {Record(E::kUnexpected, kBoot)};
    other.SeedEarlierStart(RunLeftLog(testing::kOther, kStart, kEnd));
    ASSERT_EQ(RunStartup(other.context), StartupOutcome::kStarted);
    EXPECT_EQ(other.system.shutdownQueries, 0);
    EXPECT_EQ(LoadSection(other.files, other.state.session.logFile, "Reason").text, "");
}

}  // namespace
}  // namespace uptrail
