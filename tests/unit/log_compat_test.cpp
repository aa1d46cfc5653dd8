// Logs shared with older installations of Uptrail, which know nothing of sections "Sleep"
// and "Reason": the sections they read keep their exact form, and what they write leaves
// the new ones in place.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

#include "app/main_events.h"
#include "app/startup.h"
#include "sessionlog/end_reason.h"
#include "sessionlog/log_entries.h"
#include "sessionlog/session_log.h"
#include "sessionlog/sleep_log.h"
#include "storage/profile_file.h"
#include "storage/section_file.h"
#include "storage/text_lines.h"
#include "support/log_fields.h"
#include "support/test_machine.h"

namespace uptrail {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

using std::chrono::hours;
using testing::kBoot;
using testing::kSystem;
using testing::Machine;

using testing::kOther;

// A log as an older build left it: two installations, a crashed session of this one still
// to be logged, alarms, a comment kept by hand.
const std::string kOlderLog =
    "[Common]\r\nLastWin=" + kSystem + "\r\nCurStroke=2026:12:05:23:00:00\r\n\r\n[" + kOther +
    "]\r\nLastStart=2026:12:04:07:00:00\r\nLastClose=2026:12:04:09:00:00\r\nLastCause=0\r\n"
    "SysList=\r\n\r\n[" +
    kSystem +
    "]\r\nLastStart=2026:12:05:20:00:00\r\nLastClose=\r\nLastCause=0\r\nRestart="
    "2026:12:05:20:01:05\r\nSysList=" +
    kSystem + "~" + kOther +
    "\r\nListMode=0\r\nAnimation=2\r\n\r\n[Alarm]\r\n1=1~07:30~0~0~Wake up\r\n\r\n[Log]\r\n"
    "; kept by hand\r\n2026:12:04:07:00:00=2026:12:04:09:00:00=0=" +
    kOther + "\r\n2026:12:04:10:00:00=2026:12:04:18:00:00=1=" + kSystem + "\r\n";

// The sections every build reads, as they stand in the file.
std::vector<std::string> OlderSections(const std::string& text) {
    std::vector<std::string> sections;
    for (const std::string& name :
         {std::string("Common"), kSystem, kOther, std::string("Alarm"), std::string("Log")})
        sections.push_back(LoadSectionText(text, name));
    return sections;
}

// Starts the new build on the older log; with `sleeps`, the crashed session slept and
// Windows recorded the power loss, and the running one sleeps an hour.
std::string StartOnOlderLog(bool sleeps) {
    Machine machine;
    machine.SeedEarlierStart(kOlderLog);
    if (sleeps) {
        EXPECT_EQ(WriteProfile(machine.files, machine.state.session.logFile, kSystem, "SleepStart",
                               "2026:12:05:22:00:00"),
                  kOk);
        machine.system.shutdownRecords = {
            {ShutdownEvent::kUncleanReboot, kBoot + std::chrono::minutes{1}, {"0"}}};
    }
    EXPECT_EQ(RunStartup(machine.context), StartupOutcome::kStarted);
    if (sleeps) OnSuspend(machine.context);
    machine.clock.Advance(hours{1});
    if (sleeps) OnResume(machine.context);
    OnHeartbeatTimer(machine.context);
    return machine.files.Contents(machine.state.session.logFile);
}

TEST(OlderLog, TheSectionsEveryBuildReadsKeepTheirExactForm) {
    const std::string plain = StartOnOlderLog(false);
    const std::string withSleep = StartOnOlderLog(true);
    for (const char* header : {"[Sleep]", "[Reason]"}) {
        EXPECT_THAT(plain, Not(HasSubstr(header)));
        ASSERT_THAT(withSleep, HasSubstr(header));
    }

    // Line for line what the log holds without any sleep, but for "SleepStart", which an
    // older build never reads.
    auto sections = OlderSections(withSleep);
    sections[1] = std::regex_replace(sections[1], std::regex("SleepStart=[^\r]*\r\n"), "");
    EXPECT_EQ(sections, OlderSections(plain));
    // Every entry is start=end=cause=system, the crashed session logged as ever.
    const std::string log = LoadSectionText(withSleep, "Log");
    EXPECT_THAT(log, HasSubstr("\r\n2026:12:05:20:00:00=2026:12:05:23:00:00=2=" + kSystem));
    EXPECT_EQ(testing::FieldsOf(ReadLogEntries(withSleep, kBoot)),
              testing::FieldsOf(ReadLogEntries(plain, kBoot)));
}

TEST(OlderLog, WhatAnOlderBuildWritesLeavesSleepAndReasonInPlace) {
    testing::MemoryFileSystem files;
    files.AddFolder("logs");
    const std::filesystem::path log = "logs/Uptrail.txt";
    files.AddFile(log, StartOnOlderLog(true), kLogFileAttributes);
    const std::string sleep = LoadSection(files, log, "Sleep").text;
    const std::string reason = LoadSection(files, log, "Reason").text;
    ASSERT_EQ(SplitLines(sleep).size(), 2u) << sleep;
    ASSERT_FALSE(reason.empty());

    // What an older build does to the file: its start-up trim rewrites "Log" as an
    // emptied and a saved section ("Monitor from Now" empties it the same way), it adds an
    // entry, stores its settings and heartbeat, and saves its alarms.
    const std::string entries = LoadSection(files, log, "Log").text;
    ASSERT_EQ(SaveSection(files, log, "Log", ""), kOk);
    ASSERT_EQ(SaveSection(files, log, "Log", entries), kOk);
    ASSERT_EQ(AppendSessionEntry(files, log,
                                 {"2026:12:06:10:00:00", "2026:12:06:11:00:00",
                                  SessionCause::kWindowsEnded, kOther}),
              kOk);
    ASSERT_EQ(WriteProfile(files, log, kOther, "LastStart", "2026:12:06:12:00:00"), kOk);
    ASSERT_EQ(WriteProfile(files, log, "Common", "CurStroke", "2026:12:06:12:30:00"), kOk);
    ASSERT_EQ(SaveSection(files, log, "Alarm", "1=1~08:00~0~0~Later"), kOk);
    EXPECT_EQ(LoadSection(files, log, "Sleep").text, sleep);
    EXPECT_EQ(LoadSection(files, log, "Reason").text, reason);
    EXPECT_EQ(ReadSleepPeriods(files.Contents(log), kBoot).size(), 2u);
    EXPECT_EQ(EndReasons::Read(files.Contents(log)).Of(MakeDateTime(2026, 12, 5, 20, 0, 0)),
              "Power lost or the PC was turned off without shutting down");
}

}  // namespace
}  // namespace uptrail
