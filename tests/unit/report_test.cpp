#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "report/plain_locale.h"
#include "report/report_format.h"
#include "report/report_run.h"
#include "sessionlog/timestamp.h"
#include "storage/settings_key.h"
#include "support/fake_platform.h"
#include "support/memory_file_system.h"
#include "support/memory_registry.h"

namespace uptrail {
namespace {

using testing::MemoryFileSystem;

const std::string kOwn = "1A2B3C4D//c:\\windows";
const std::string kOther = "5E6F7A8B//d:\\windows";
const std::filesystem::path kLogFolder = "logs";
const std::filesystem::path kLog = kLogFolder / "Uptrail.txt";
constexpr DateTime kBoot = MakeDateTime(2026, 12, 5, 8, 0, 0);
constexpr DateTime kNow = MakeDateTime(2026, 12, 5, 9, 0, 0);

// Two systems: a session of the own one closed by Windows, a crashed one of the other, and
// one of the own closed by hand; damaged lines between them.
const std::string kEntries =
    "2026:12:04:08:00:00=2026:12:04:09:00:00=0=" + kOwn + "\r\n" +
    "2026:12:04:09:10:00=2026:12:04:10:00:00=2=" + kOther + "\r\n" +
    "not an entry\r\n" +
    "2026:12:04:11:00:00=2026:12:04:12:00:00=1=" + kOwn + "\r\n";

class ReportTest : public ::testing::Test {
protected:
    ReportTest() { files.AddFolder(kLogFolder); }

    void WriteLog(const std::string& entries, const std::string& ownSettings = "") {
        files.AddFile(kLog, "[Common]\r\nLastWin=" + kOwn + "\r\n[" + kOwn + "]\r\n" + ownSettings +
                                "[Log]\r\n" + entries,
                      kLogFileAttributes);
    }

    int Run(std::initializer_list<const char*> texts) { return RunWith(texts); }

    // The same on the log the test wrote.
    int RunOnLog(std::initializer_list<const char*> texts) {
        std::vector<const char*> withLog{"--log", "logs/Uptrail.txt"};
        withLog.insert(withLog.end(), texts);
        return RunWith(withLog);
    }

    // Runs the report with the given arguments after a reproducible --now and --boot-time.
    int RunWith(const std::vector<const char*>& texts) {
        std::vector<CommandArgument> arguments;
        for (const char* text :
             {"--now", "2026:12:05:09:00:00", "--boot-time", "2026:12:05:08:00:00"})
            arguments.push_back({text, text});
        for (const char* text : texts) arguments.push_back({text, text});
        out.clear();
        err.clear();
        return RunReport(arguments, environment, out, err);
    }

    MemoryFileSystem files;
    PlainLocale locale;
    ReportEnvironment environment{files, locale, kNow, [] { return kBoot; }, {}, {}, {}, {}, {}};
    std::string out;
    std::string err;
};

TEST_F(ReportTest, PrintsTheStatisticsTheSessionsNewestFirstAndTheSystems) {
    WriteLog(kEntries);
    ASSERT_EQ(RunOnLog({}), kReportSucceeded) << err;
    EXPECT_EQ(out,
              "Statistics From:\tDec 04, 2026\n"
              "-\n"
              "Average Session:\t00d 00h 57m\n"
              "Longest Session:\t00d 01h 00m\n"
              "System Off Time:\t29.2%\n"
              "Crashed Sessions:\t33.3%\n"
              "Min. Restart Time:\t00:10:00\n"
              "-\n"
              "Last Off Time:\t01:00:00\n"
              "Last Delay:\n"
              "\n"
              "Sessions, newest first (X crashed, ! closed before the system went down):\n"
              "! [Dec 04, 11:00 - Dec 04, 12:00]\t=  00d 01h 00m  ....  - C:\\WINDOWS\n"
              "X [Dec 04, 09:10 - Dec 04, 10:00]\t=  00d 00h 50m  ....  - D:\\WINDOWS\n"
              "  [Dec 04, 08:00 - Dec 04, 09:00]\t=  00d 01h 00m  ....  - C:\\WINDOWS\n"
              "\n"
              "Systems ([x] listed):\n"
              "[x] - C:\\WINDOWS\t(Last Exit: 2026-12-04 12:00:00)\t" + kOwn + "\n"
              "[x] - D:\\WINDOWS\t(Last Exit: 2026-12-04 10:00:00)\t" + kOther + "\n");
    EXPECT_EQ(err, "");
}

TEST_F(ReportTest, ListsTheSystemsAskedForWithNamesOnlyWhenTheyTellSystemsApart) {
    WriteLog(kEntries);
    const std::string own = "--system=" + kOwn;
    const std::string ownInCapitals = "--system=1A2B3C4D//C:\\WINDOWS";
    const std::string other = "--system=" + kOther;
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> sessionLines;
    };
    const Case cases[] = {
        {{own}, {"! [Dec 04, 11:00 - Dec 04, 12:00]\t=  00d 01h 00m",
                 "  [Dec 04, 08:00 - Dec 04, 09:00]\t=  00d 01h 00m"}},
        {{ownInCapitals}, {"! [Dec 04, 11:00 - Dec 04, 12:00]\t=  00d 01h 00m",
                           "  [Dec 04, 08:00 - Dec 04, 09:00]\t=  00d 01h 00m"}},
        {{other, "--limit", "1"}, {"X [Dec 04, 09:10 - Dec 04, 10:00]\t=  00d 00h 50m"}},
        {{own, other, "--limit=2"},
         {"! [Dec 04, 11:00 - Dec 04, 12:00]\t=  00d 01h 00m  ....  - C:\\WINDOWS",
          "X [Dec 04, 09:10 - Dec 04, 10:00]\t=  00d 00h 50m  ....  - D:\\WINDOWS"}},
        {{"--system=nobody", "--limit", "3"}, {"(none)"}},
    };
    for (const Case& c : cases) {
        std::vector<const char*> arguments{"--log", "logs/Uptrail.txt"};
        for (const std::string& argument : c.arguments) arguments.push_back(argument.c_str());
        ASSERT_EQ(RunWith(arguments), kReportSucceeded) << err;
        const std::size_t from = out.find("went down):\n") + 12;
        const std::string listed = out.substr(from, out.find("\n\nSystems") - from);
        std::string expected;
        for (const std::string& line : c.sessionLines)
            expected += (expected.empty() ? "" : "\n") + line;
        EXPECT_EQ(listed, expected) << c.arguments.front();
        // The statistics count every system, whichever are listed.
        EXPECT_NE(out.find("Crashed Sessions:\t33.3%\n"), std::string::npos);
    }
}

TEST_F(ReportTest, WritesOneCsvRowPerListedSessionAndQuotesWhatNeedsIt) {
    WriteLog(kEntries + "2026:12:04:13:00:00=2026:12:04:13:00:59=0=odd, \"quoted\"\r\n");
    ASSERT_EQ(RunOnLog({"--format", "csv", "--limit", "3"}), kReportSucceeded);
    EXPECT_EQ(out,
              "start,end,minutes,cause,system\n"
              "2026-12-04T13:00:00,2026-12-04T13:00:59,0,0,\"odd, \"\"quoted\"\"\"\n"
              "2026-12-04T11:00:00,2026-12-04T12:00:00,60,1," + kOwn + "\n"
              "2026-12-04T09:10:00,2026-12-04T10:00:00,50,2," + kOther + "\n");
}

TEST_F(ReportTest, WritesJsonWithNumbersAsNumbersAndNullWhereTheTrayShowsNothing) {
    WriteLog(kEntries);
    ASSERT_EQ(RunOnLog({"--format", "json", "--limit", "1"}), kReportSucceeded);
    EXPECT_EQ(out,
              "{\n"
              "  \"statistics\": {\n"
              "    \"statisticsFrom\": \"2026-12-04T08:00:00\",\n"
              "    \"sessionCount\": 3,\n"
              "    \"crashedCount\": 1,\n"
              "    \"averageSessionMinutes\": 57,\n"
              "    \"longestSessionMinutes\": 60,\n"
              "    \"systemOffPercent\": 29.2,\n"
              "    \"crashedPercent\": 33.3,\n"
              "    \"minRestartSeconds\": 600,\n"
              "    \"lastOffSeconds\": 3600,\n"
              "    \"lastDelaySeconds\": null\n"
              "  },\n"
              "  \"sessions\": [\n"
              "    {\"start\": \"2026-12-04T11:00:00\", \"end\": \"2026-12-04T12:00:00\", "
              "\"minutes\": 60, \"cause\": 1, \"system\": \"1A2B3C4D//c:\\\\windows\"}\n"
              "  ]\n"
              "}\n");

    WriteLog("");
    ASSERT_EQ(RunOnLog({"--format", "json"}), kReportSucceeded);
    EXPECT_NE(out.find("\"statisticsFrom\": \"2026-12-05T08:00:00\",\n"
                       "    \"sessionCount\": 0,\n    \"crashedCount\": 0,\n"
                       "    \"averageSessionMinutes\": null,\n"
                       "    \"longestSessionMinutes\": null,\n"
                       "    \"systemOffPercent\": null,\n    \"crashedPercent\": null,\n"
                       "    \"minRestartSeconds\": null,\n    \"lastOffSeconds\": null,"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\"sessions\": []\n}\n"), std::string::npos);
}

// A damaged or hand-edited log: JSON stays valid whatever bytes a system field holds.
TEST_F(ReportTest, JsonEscapesControlCharactersAndKeepsTheOutputValidUtf8) {
    WriteLog("2026:12:04:08:00:00=2026:12:04:09:00:00=0=a\"b\\c\td\x01\x7F\r\n");
    ASSERT_EQ(RunOnLog({"--format", "json"}), kReportSucceeded);
    EXPECT_NE(out.find("\"system\": \"a\\\"b\\\\c\\td\\u0001\x7F\"}"), std::string::npos) << out;
#ifndef _WIN32
    // Off Windows the text is taken as UTF-8 where it is, and a stray byte as Latin-1
    // (on Windows the ANSI code page gives every byte its character).
    WriteLog("2026:12:04:08:00:00=2026:12:04:09:00:00=0=\xE9t\xC3\xA9\xE2\x82\r\n");
    ASSERT_EQ(RunOnLog({"--format", "json"}), kReportSucceeded);
    EXPECT_NE(out.find("\"system\": \"\\u00e9t\xC3\xA9\\u00e2\\u0082\"}"), std::string::npos)
        << out;
#endif
}

TEST_F(ReportTest, AMissingOrUnreadableLogIsExitStatusTwoWithAMessage) {
    struct Case {
        std::string log;
        const char* why;
    };
    files.AddFile("logs/locked.txt", "[Log]\r\n");
    files.LockFile("logs/locked.txt", kErrorSharingViolation);
    files.AddFile("logs/private.txt", "[Log]\r\n");
    files.LockFile("logs/private.txt", kErrorAccessDenied);
    const Case cases[] = {
        {"logs/none.txt", "it does not exist"},
        {"nowhere/Uptrail.txt", "it does not exist"},
        {"logs", "it is a folder"},
        {"logs/locked.txt", "another program holds it"},
        {"logs/private.txt", "access is denied"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run({"--log", c.log.c_str()}), kReportUnreadableLog) << c.log;
        EXPECT_EQ(err, "uptrail-report: cannot read the log file '" + c.log + "': " + c.why + "\n");
        EXPECT_EQ(out, "");
    }
}

TEST_F(ReportTest, WrongArgumentsOrNoLogToReadAreExitStatusOne) {
    EXPECT_EQ(Run({"--format", "xml"}), kReportWrongArguments);
    EXPECT_EQ(err,
              "uptrail-report: --format wants text, csv or json, not 'xml'\n"
              "Try 'uptrail-report --help' for the options.\n");
    EXPECT_EQ(Run({}), kReportWrongArguments);
    EXPECT_EQ(err, "uptrail-report: no log file: name one with --log FILE\n");
    EXPECT_EQ(out, "");

    EXPECT_EQ(Run({"--help"}), kReportSucceeded);
    EXPECT_TRUE(out.starts_with("Usage: uptrail-report [options]\n"));
    EXPECT_EQ(Run({"--version"}), kReportSucceeded);
    EXPECT_EQ(out, "uptrail-report (Uptrail) 5.00.26\n");
}

// Whatever a line holds, the entries around it are read, and the file is never written.
TEST_F(ReportTest, ReadsDamagedLinesAsTheTrayDoesAndNeverWritesTheLog) {
    std::string binary;  // with some "=" among its bytes, so it reads as an entry
    for (int i = 1; i < 2048; ++i) {
        const char byte = static_cast<char>((i * 37) & 0xFF);
        if (byte != '\r' && byte != '\n') binary.push_back(byte);
    }
    WriteLog(binary + "\r\n" + "2026:12:04:06:00:00=2026:12:04:07:00:00\r\n" +
             "=====\r\n" + std::string(100000, '=') + "\r\n" +
             // Three fields: counted in the statistics, but with no system to list it under.
             "2026:12:04:07:00:00=2026:12:04:07:30:00=2\r\n" + kEntries +
             "2026:99:99:99:99:99=x=99999=" + kOther + "\r\n");
    ASSERT_EQ(RunOnLog({"--format", "csv"}), kReportSucceeded);
    EXPECT_TRUE(out.starts_with(
        "start,end,minutes,cause,system\n"
        // Fields roll over, a broken end is now, a cause beyond 16 bits saturates.
        "2034-06-11T04:40:39,2026-12-05T09:00:00,-3952540,32767," + kOther + "\n"
        "2026-12-04T11:00:00,2026-12-04T12:00:00,60,1," + kOwn + "\n"
        "2026-12-04T09:10:00,2026-12-04T10:00:00,50,2," + kOther + "\n"
        "2026-12-04T08:00:00,2026-12-04T09:00:00,60,0," + kOwn + "\n"))
        << out.substr(0, 400);
    ASSERT_EQ(RunOnLog({"--format", "json"}), kReportSucceeded);
    // Every line of three fields or more, the binary one included; not the line of two.
    EXPECT_NE(out.find("\"sessionCount\": 8,\n    \"crashedCount\": 2,"), std::string::npos);
    EXPECT_EQ(files.StepsTaken(), 0);
    EXPECT_EQ(files.Attributes(kLog), kLogFileAttributes);
}

// A log shared with, or edited on, another system may end its lines with LF or CR alone.
TEST_F(ReportTest, ReadsTheSameReportWhateverEndsTheLines) {
    WriteLog(kEntries);
    ASSERT_EQ(RunOnLog({"--format", "json"}), kReportSucceeded);
    const std::string withCrLf = out;
    const std::string original = files.Contents(kLog);
    for (const char* lineEnd : {"\n", "\r"}) {
        std::string contents = original;
        for (std::size_t at = 0; (at = contents.find("\r\n", at)) != std::string::npos;)
            contents.replace(at, 2, lineEnd);
        files.AddFile(kLog, contents);
        ASSERT_EQ(RunOnLog({"--format", "json"}), kReportSucceeded);
        EXPECT_EQ(out, withCrLf) << (lineEnd[0] == '\n' ? "LF" : "CR");
    }
}

// The tray counts what its start-up trim keeps: the newest 32000 entries.
TEST_F(ReportTest, CountsTheNewestEntriesTheStartupTrimKeeps) {
    const DateTime first = MakeDateTime(2020, 1, 1);
    std::string entries;
    for (int i = 0; i < 32001; ++i) {
        const DateTime start = first + std::chrono::hours{2 * i};
        entries += FormatTimestamp(start) + "=" + FormatTimestamp(start + std::chrono::hours{1}) +
                   "=" + (i == 0 ? "2" : "0") + "=" + kOwn + "\r\n";
    }
    WriteLog(entries);
    ASSERT_EQ(RunOnLog({"--format", "json", "--limit", "0"}), kReportSucceeded);
    // Statistics from the 50th newest; the crashed first entry is no longer counted.
    const DateTime fiftiethNewest = first + std::chrono::hours{2 * (32001 - 50)};
    EXPECT_NE(out.find("\"statisticsFrom\": \"" + FormatIsoLocalTime(fiftiethNewest) +
                       "\",\n    \"sessionCount\": 32000,\n    \"crashedCount\": 0,"),
              std::string::npos)
        << out.substr(0, 200);
}

// On Windows the report stands in for the running installation's tray.
class WindowsReportTest : public ReportTest {
protected:
    WindowsReportTest() {
        environment.ownSystem = kOwn;
        environment.drives = {{"1A2B3C4D/", "C:"}, {"5E6F7A8B/", "E:"}};
        environment.defaultLogFile = [] { return std::optional(kLog); };
    }
};

TEST_F(WindowsReportTest, TakesTheLogTheFilterAndTheStartDelayOfTheRunningInstallation) {
    WriteLog(kEntries, "SysList=" + kOwn + "\r\nListMode=0\r\nRestart=2026:12:05:08:01:05\r\n");
    ASSERT_EQ(Run({"--format", "text"}), kReportSucceeded) << err;
    EXPECT_NE(out.find("Last Delay:\t00:01:05\n"), std::string::npos);
    EXPECT_NE(out.find("went down):\n! [Dec 04, 11:00 - Dec 04, 12:00]\t=  00d 01h 00m\n"
                       "  [Dec 04, 08:00 - Dec 04, 09:00]\t=  00d 01h 00m\n\n"),
              std::string::npos)
        << out;
    // The own system comes first and without an exit, as in "Syste&ms to show".
    EXPECT_TRUE(out.ends_with("Systems ([x] listed):\n[x] C:\\WINDOWS\t" + kOwn + "\n" +
                              "[ ] E:\\WINDOWS\t(Last Exit: 2026-12-04 10:00:00)\t" + kOther +
                              "\n"))
        << out;

    // "&All Systems" on; a restart before the boot belongs to an earlier session.
    WriteLog(kEntries, "ListMode=1\r\nRestart=2026:12:04:08:01:05\r\n");
    ASSERT_EQ(Run({"--format", "csv"}), kReportSucceeded);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 4);
    ASSERT_EQ(Run({"--format", "json"}), kReportSucceeded);
    EXPECT_NE(out.find("\"lastDelaySeconds\": null"), std::string::npos);
    // Asking for systems overrides the stored filter.
    const std::string other = "--system=" + kOther;
    ASSERT_EQ(Run({"--format", "csv", other.c_str()}), kReportSucceeded);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2);
}

TEST(FindUptrailLogFile, LooksWhereUptrailKeepsItsLogWithoutStoringAnything) {
    const std::filesystem::path programFolder = "Program Files/Uptrail";
    const std::filesystem::path dataFolder = "ProgramData";
    MemoryFileSystem files;
    testing::MemoryRegistry registry;
    testing::FakeSystemInfo system;
    system.programFolder = "tools";
    system.programDataFolder = dataFolder;
    const RegistryKey key{RegistryRoot::kLocalMachine, SettingsKeyPath(), RegistryView::k64Bit};

    // Never started here: no log beside the program, so the per-machine data folder.
    EXPECT_EQ(FindUptrailLogFile(registry, files, system),
              dataFolder / "Tamsk" / "Uptrail" / "Uptrail.txt");
    // The program key names the program's folder, which holds the log.
    registry.Seed(key, "", {reg_type::kSz, programFolder.string()});
    files.AddFile(programFolder / "Uptrail.txt", "");
    EXPECT_EQ(FindUptrailLogFile(registry, files, system), programFolder / "Uptrail.txt");
    // A stored log folder wins.
    registry.Seed(key, "LogFolder", {reg_type::kSz, "D:/Logs"});
    EXPECT_EQ(FindUptrailLogFile(registry, files, system),
              std::filesystem::path("D:/Logs/Uptrail.txt"));
    EXPECT_EQ(files.StepsTaken(), 0);
}

}  // namespace
}  // namespace uptrail
