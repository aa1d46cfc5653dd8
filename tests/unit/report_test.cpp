#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "base/timestamp.h"
#include "report/plain_locale.h"
#include "report/report_run.h"
#include "sessionlog/statistics.h"
#include "support/log_fields.h"
#include "support/memory_file_system.h"

namespace uptrail {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

using testing::kOther;
using testing::kSystem;
const std::filesystem::path kLog = "logs/Uptrail.txt";
const std::string kCsvHeader = "start,end,minutes,cause,system,sleep_minutes,reason\n";

// A session's CSV row from its "start,end," and what follows its system.
std::string Row(const std::string& times, const std::string& system, const std::string& rest) {
    return times + system + "," + rest + "\n";
}

// Two systems: a session of the own one closed by Windows, a crashed one of the other, and
// one of the own closed by hand; a comment between them. The lines end as in a log edited
// on another system: with LF or CR alone as well.
const std::string kEntries = "2026:12:04:08:00:00=2026:12:04:09:00:00=0=" + kSystem + "\n" +
                             "2026:12:04:09:10:00=2026:12:04:10:00:00=2=" + kOther + "\r" +
                             "; kept by hand\r\n" +
                             "2026:12:04:11:00:00=2026:12:04:12:00:00=1=" + kSystem + "\r\n";

class ReportTest : public ::testing::Test {
protected:
    ReportTest() { files.AddFolder(kLog.parent_path()); }

    void WriteLog(const std::string& entries, const std::string& ownSettings = "") {
        files.AddFile(kLog,
                      "[Common]\r\nLastWin=" + kSystem + "\r\n[" + kSystem + "]\r\n" + ownSettings +
                          "[Log]\r\n" + entries,
                      kLogFileAttributes);
    }

    // The time and the boot come from the arguments only: the environment knows neither.
    int Run(std::vector<std::string> texts) {
        texts.insert(texts.begin(),
                     {"--now", "2026:12:05:09:00:00", "--boot-time=2026:12:05:08:00:00"});
        std::vector<CommandArgument> arguments;
        for (const std::string& text : texts) arguments.push_back({text, text});
        out.clear();
        err.clear();
        return RunReport(arguments, environment, out, err);
    }
    int RunOnLog(std::vector<std::string> texts) {
        texts.insert(texts.end(), {"--log", kLog.string()});
        return Run(std::move(texts));
    }
    // The report of the log, which must succeed.
    const std::string& Report(std::vector<std::string> texts) {
        EXPECT_EQ(RunOnLog(std::move(texts)), kReportSucceeded) << err;
        return out;
    }

    testing::MemoryFileSystem files;
    PlainLocale locale;
    ReportEnvironment environment{files, locale, {}, [] { return DateTime{}; }, {}, {}, {}, {}, {}};
    std::string out;
    std::string err;
};

TEST_F(ReportTest, PrintsTheStatisticsTheSessionsNewestFirstAndTheSystems) {
    WriteLog(kEntries);
    EXPECT_EQ(Report({}),
              "Statistics From:\tDec 04, 2026\n"
              "-\n"
              "Average Session:\t00d 00h 57m\n"
              "Longest Session:\t00d 01h 00m\n"
              "System Off Time:\t29.2%\n"
              "Time Asleep:\t0%\n"
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
              "[x] - C:\\WINDOWS\t(Last Exit: 2026-12-04 12:00:00)\t1A2B3C4D//c:\\windows\n"
              "[x] - D:\\WINDOWS\t(Last Exit: 2026-12-04 10:00:00)\t5E6F7A8B//d:\\windows\n");
}

// Names show once more than one system is listed; the statistics count every system.
TEST_F(ReportTest, ListsTheSystemsAskedFor) {
    WriteLog(kEntries);
    const auto lists = [&](std::vector<std::string> arguments, const std::string& sessions) {
        ASSERT_EQ(RunOnLog(std::move(arguments)), kReportSucceeded) << err;
        EXPECT_NE(out.find("went down):\n" + sessions + "\nSystems"), std::string::npos) << out;
        EXPECT_THAT(out, HasSubstr("Crashed Sessions:\t33.3%\n"));
    };
    lists({"--system=1A2B3C4D//C:\\WINDOWS"},
          "! [Dec 04, 11:00 - Dec 04, 12:00]\t=  00d 01h 00m\n"
          "  [Dec 04, 08:00 - Dec 04, 09:00]\t=  00d 01h 00m\n");
    lists({"--system=nobody", "--system", kOther},
          "X [Dec 04, 09:10 - Dec 04, 10:00]\t=  00d 00h 50m  ....  - D:\\WINDOWS\n");
}

TEST_F(ReportTest, WritesJsonWithNumbersAsNumbersAndNullWhereTheTrayShowsNothing) {
    WriteLog(kEntries);
    EXPECT_EQ(Report({"--format=json", "--limit", "1"}),
              "{\n"
              "  \"statistics\": {\n"
              "    \"statisticsFrom\": \"2026-12-04T08:00:00\",\n"
              "    \"sessionCount\": 3,\n"
              "    \"crashedCount\": 1,\n"
              "    \"averageSessionMinutes\": 57,\n"
              "    \"longestSessionMinutes\": 60,\n"
              "    \"systemOffPercent\": 29.2,\n"
              "    \"asleepPercent\": 0,\n"
              "    \"crashedPercent\": 33.3,\n"
              "    \"minRestartSeconds\": 600,\n"
              "    \"lastOffSeconds\": 3600,\n"
              "    \"lastDelaySeconds\": null\n"
              "  },\n"
              "  \"sessions\": [\n"
              "    {\"start\": \"2026-12-04T11:00:00\", \"end\": \"2026-12-04T12:00:00\", "
              "\"minutes\": 60, \"cause\": 1, \"system\": \"1A2B3C4D//c:\\\\windows\", "
              "\"sleepMinutes\": 0, \"reason\": null}\n"
              "  ]\n"
              "}\n");

    WriteLog("");
    EXPECT_THAT(Report({"--format", "json"}),
                HasSubstr("\"averageSessionMinutes\": null,\n    \"longestSessionMinutes\": null,\n"
                          "    \"systemOffPercent\": null,\n    \"asleepPercent\": null,\n"
                          "    \"crashedPercent\": null,"));
    EXPECT_TRUE(out.ends_with("\"sessions\": []\n}\n"));
    // Sessions that begin and end within their minute add up to nothing: all that time off.
    WriteLog(
        "2026:12:04:10:00:10=2026:12:04:10:00:50=0\n2026:12:04:12:00:10=2026:12:04:12:00:40=0");
    EXPECT_THAT(Report({"--format", "json"}), HasSubstr("\"systemOffPercent\": 100,"));
}

// The platform's reader names what a path is; the report turns each refusal into status 2
// and says why. A log one byte over the limit is refused, one at the limit is read.
TEST_F(ReportTest, AnUnreadableLogIsExitStatusTwoAndNamesWhy) {
    const auto refuses = [&](const std::string& log, const std::string& why) {
        EXPECT_EQ(Run({"--log", log}), kReportUnreadableLog) << log;
        EXPECT_EQ(err, "uptrail-report: cannot read the log file '" + log + "': " + why + "\n");
        EXPECT_EQ(out, "");
    };
    files.AddFile("logs/locked.txt", "[Log]\r\n");
    files.LockFile("logs/locked.txt", kErrorSharingViolation);
    refuses("logs/none.txt", "it does not exist");
    refuses("logs/locked.txt", "another program holds it");

    WriteLog(kEntries);
    const std::uint64_t logSize = files.Contents(kLog).size();
    environment.largestLog = logSize - 1;
    refuses(kLog.string(), "it is larger than " + std::to_string(logSize - 1) +
                               " bytes, the most a log is read to");
    environment.largestLog = logSize;
    EXPECT_EQ(RunOnLog({}), kReportSucceeded) << err;
    // Devices, pipes, folders and a log over 1 GiB are refused by the real reader under
    // tests/report; here what the platform's reader may name besides.
    environment.readFile = [](const auto&, std::uint64_t, FileBytes&) {
        return LimitedRead{kOk, FileKind::kOther};
    };
    refuses(kLog.string(), "it is not a regular file");
}

TEST_F(ReportTest, WrongArgumentsOrNoLogToReadAreExitStatusOne) {
    const auto refuses = [&](std::vector<std::string> arguments, const std::string& error) {
        EXPECT_EQ(Run(std::move(arguments)), kReportWrongArguments) << error;
        EXPECT_EQ(err,
                  "uptrail-report: " + error + "\nTry 'uptrail-report --help' for the options.\n");
    };
    refuses({"--bogus"}, "unknown option '--bogus'");
    refuses({"Uptrail.txt"}, "unexpected argument 'Uptrail.txt'");
    refuses({"--all=yes"}, "--all takes no value");
    refuses({"--limit", "5x", "--bogus"}, "--limit wants a whole number of sessions, not '5x'");
    refuses({"--now", "2026-12-04"},
            "--now wants a time stamp like 2026:12:04:08:03:07, not '2026-12-04'");
    refuses({"--format", "xml"}, "--format wants text, csv, json or html, not 'xml'");
    refuses({"--log"}, "--log needs a value");
    refuses({"--since", "2026:12:05:00:00:00", "--until=2026:12:05:00:00:00"},
            "--until must come after --since");
    refuses({"--by", "day"}, "--by wants --format csv or json");
    EXPECT_EQ(Run({}), kReportWrongArguments);
    EXPECT_EQ(err, "uptrail-report: no log file: name one with --log FILE\n");
    EXPECT_EQ(out, "");

    EXPECT_EQ(Run({"--help"}), kReportSucceeded);
    EXPECT_TRUE(out.starts_with("Usage: uptrail-report [options]\n"));
}

// A range keeps what overlaps it and cuts it to the bounds, in the list and the figures.
TEST_F(ReportTest, SinceAndUntilListAndCountOnlyThePartsInsideTheRange) {
    WriteLog(kEntries);
    EXPECT_EQ(Report({"--format=csv", "--since", "2026:12:04:08:30:00", "--until",
                      "2026:12:04:11:30:00"}),
              kCsvHeader + Row("2026-12-04T11:00:00,2026-12-04T11:30:00,30,1,", kSystem, "0,") +
                  Row("2026-12-04T09:10:00,2026-12-04T10:00:00,50,2,", kOther, "0,") +
                  Row("2026-12-04T08:30:00,2026-12-04T09:00:00,30,0,", kSystem, "0,"));
    ASSERT_EQ(RunOnLog({"--since", "2026:12:04:09:30:00"}), kReportSucceeded);
    EXPECT_THAT(out, HasSubstr("Average Session:\t00d 00h 45m\n"));
    EXPECT_THAT(out, Not(HasSubstr("[Dec 04, 08:00"))) << "an entry before the range";
}

// Sleep and reasons go last in csv, beside the system in JSON, under the session in the
// text; a session cut by the range keeps its reason and the sleep inside the range.
TEST_F(ReportTest, SleepAndReasonsGoWithTheirSessionsInEveryFormat) {
    WriteLog(kEntries + "[Sleep]\r\n2026:12:04:08:10:00=2026:12:04:08:40:00=" + kSystem +
             "\r\n2026:12:04:09:20:00=2026:12:04:09:30:00=" + kOther + "\r\n[Reason]\r\n" +
             "2026:12:04:08:00:00=Restarted by Windows Update (TrustedInstaller.exe), \"x\"\r\n");
    EXPECT_EQ(Report({"--format=csv"}),
              kCsvHeader + Row("2026-12-04T11:00:00,2026-12-04T12:00:00,60,1,", kSystem, "0,") +
                  Row("2026-12-04T09:10:00,2026-12-04T10:00:00,50,2,", kOther, "10,") +
                  Row("2026-12-04T08:00:00,2026-12-04T09:00:00,60,0,", kSystem,
                      "30,\"Restarted by Windows Update (TrustedInstaller.exe), \"\"x\"\"\""));

    ASSERT_EQ(RunOnLog({"--format=json", "--since=2026:12:04:08:30:00"}), kReportSucceeded);
    EXPECT_THAT(out, HasSubstr("\"asleepPercent\": 14.3,"));  // 20 of 140
    EXPECT_THAT(out, HasSubstr("\"sleepMinutes\": 10, \"reason\": \"Restarted by Windows Update "
                               "(TrustedInstaller.exe), \\\"x\\\"\"}\n  ]"));

    ASSERT_EQ(RunOnLog({}), kReportSucceeded);
    EXPECT_THAT(out, HasSubstr("Time Asleep:\t23.5%\n"));  // 40 of 170
    EXPECT_THAT(out, HasSubstr("09:00]\t=  00d 01h 00m  ....  - C:\\WINDOWS\n"
                               "   Restarted by Windows Update"));

    // The chart draws the sleep of the listed system alone: from 08:10, half an hour wide.
    ASSERT_EQ(RunOnLog({"--format=html", "--system", kSystem}), kReportSucceeded);
    EXPECT_THAT(out, HasSubstr("<rect class=\"sleep\" x=\"390.0\" y=\"24\" width=\"18.0\""));
    EXPECT_EQ(out.find("<rect class=\"sleep\""), out.rfind("<rect class=\"sleep\""));

    // Another session cut by the range, of another system, has no reason of its own and
    // shows none.
    WriteLog("2026:12:04:08:00:00=2026:12:04:09:00:00=2=" + kSystem + "\r\n" +
             "2026:12:04:08:10:00=2026:12:04:09:10:00=0=" + kOther + "\r\n[Reason]\r\n" +
             "2026:12:04:08:00:00=Blue screen\r\n");
    EXPECT_EQ(Report({"--format=csv", "--all", "--since", "2026:12:04:08:30:00"}),
              kCsvHeader + Row("2026-12-04T08:30:00,2026-12-04T09:10:00,40,0,", kOther, "0,") +
                  Row("2026-12-04T08:30:00,2026-12-04T09:00:00,30,2,", kSystem, "0,Blue screen"));
}

// `count` sessions, an hour each, one a day back from 4 December; with
// `extras`, each with its day's number of minutes asleep (mod 50) and a reason naming it.
std::string ManySessions(int count, bool extras) {
    std::string entries, sleeps, reasons;
    for (int day = count; day > 0; --day) {
        const DateTime start = MakeDateTime(2026, 12, 4, 8, 0, 0) - std::chrono::days{day};
        const std::string stamp = FormatTimestamp(start);
        entries +=
            stamp + "=" + FormatTimestamp(start + std::chrono::hours{1}) + "=2=" + kSystem + "\r\n";
        if (!extras) continue;
        sleeps += stamp + "=" + FormatTimestamp(start + std::chrono::minutes{day % 50}) + "=" +
                  kSystem + "\r\n";
        reasons += stamp + "=day " + std::to_string(day) + "\r\n";
    }
    return entries + (extras ? "[Sleep]\r\n" + sleeps + "[Reason]\r\n" + reasons : "");
}

// Past the start-up trim's 32000 entries only the newest count, as in the tray, and each
// keeps its own sleep and reason. Every format of such a log is read under the sanitizers
// by the report's tests.
TEST_F(ReportTest, ALogLongerThanTheTrimCountsItsNewestEntriesWithTheirOwnSleepAndReason) {
    const int count = kStartupLogLimit + 1;
    for (const bool extras : {false, true}) {
        WriteLog(ManySessions(count, extras));
        ASSERT_EQ(RunOnLog({"--format=csv"}), kReportSucceeded) << err;
        const int oldest = count - 1;  // the entry of `count` days ago is trimmed
        const DateTime start = MakeDateTime(2026, 12, 4, 8, 0, 0) - std::chrono::days{oldest};
        const std::string lastLine =
            FormatIsoLocalTime(start) + "," + FormatIsoLocalTime(start + std::chrono::hours{1}) +
            ",60,2," + kSystem + "," +
            (extras ? std::to_string(oldest % 50) + ",day " + std::to_string(oldest) : "0,") + "\n";
        EXPECT_TRUE(out.ends_with("\n" + lastLine)) << out.substr(out.size() - 200);
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), kStartupLogLimit + 1);
    }
}

// Whatever a line holds, the entries around it are read, and the file is never written;
// CSV quotes what needs it, JSON escapes it.
TEST_F(ReportTest, ReadsDamagedLinesAsTheTrayDoesAndNeverWritesTheLog) {
    std::string binary;  // with some "=" among its bytes, so it reads as an entry
    for (int i = 1; i < 2048; ++i) {
        const char byte = static_cast<char>((i * 37) & 0xFF);
        if (byte != '\r' && byte != '\n') binary.push_back(byte);
    }
    WriteLog(binary + "\r\n" + "2026:12:04:06:00:00=2026:12:04:07:00:00\r\n" + "=====\r\n" +
             std::string(100000, '=') + "\r\n" +
             // Three fields: counted in the statistics, but with no system to list it under.
             "2026:12:04:07:00:00=2026:12:04:07:30:00=2\r\n" +
             "2026:12:04:05:00:00=2026:12:04:06:00:00=0=\xE9t\xC3\xA9\xE2\x82\r\n" + kEntries +
             "2026:99:99:99:99:99=x=99999=odd, \"quoted\"\\\t\x01\x7F\r\n");
    ASSERT_EQ(RunOnLog({"--format", "csv"}), kReportSucceeded);
    // Fields roll over, a broken end is now, a cause beyond 16 bits saturates.
    EXPECT_TRUE(
        out.starts_with(kCsvHeader +
                        "2034-06-11T04:40:39,2026-12-05T09:00:00,-3952540,32767,\"odd, "
                        "\"\"quoted\"\"\\\t\x01\x7F\",0,\n" +
                        Row("2026-12-04T11:00:00,2026-12-04T12:00:00,60,1,", kSystem, "0,") +
                        Row("2026-12-04T09:10:00,2026-12-04T10:00:00,50,2,", kOther, "0,") +
                        Row("2026-12-04T08:00:00,2026-12-04T09:00:00,60,0,", kSystem, "0,")))
        << out.substr(0, 400);
    ASSERT_EQ(RunOnLog({"--format", "json"}), kReportSucceeded);
    // Every line of three fields or more, the binary one included; not the line of two. That
    // a stray byte of a system's name keeps the JSON valid, the log_reader fuzz target holds
    // on its Latin-1 input.
    EXPECT_THAT(out, HasSubstr("\"sessionCount\": 9,\n    \"crashedCount\": 2,"));
    EXPECT_THAT(
        out, HasSubstr("\"system\": \"odd, \\\"quoted\\\"\\\\\\t\\u0001\x7F\", \"sleepMinutes\""));
    EXPECT_EQ(files.StepsTaken(), 0) << "nothing written, no attribute changed";
}

// On Windows the report stands in for the running installation's tray, taking its log, its
// filter of systems and its start delay (held end to end under Wine); here what that
// machine does not show.
TEST_F(ReportTest, OnWindowsTakesTheFilterAndTheDelayOfTheRunningInstallation) {
    environment.ownSystem = kSystem;
    environment.defaultLogFile = [] { return std::optional(kLog); };
    WriteLog(kEntries, "ListMode=1\r\nRestart=2026:12:05:08:01:05\r\n");  // "&All Systems" on
    ASSERT_EQ(Run({"--format", "json"}), kReportSucceeded) << err;
    EXPECT_THAT(out, HasSubstr("\"lastDelaySeconds\": 65"));
    EXPECT_EQ(std::count(out.begin(), out.end(), '{'), 5) << "all three sessions listed";
    // A restart before the boot belongs to an earlier session.
    WriteLog(kEntries, "Restart=2026:12:04:08:01:05\r\n");
    ASSERT_EQ(Run({"--format", "json"}), kReportSucceeded);
    EXPECT_THAT(out, HasSubstr("\"lastDelaySeconds\": null"));

    // The running session, since the boot at 08:00, is time on in today's row; the own
    // system alone is listed.
    ASSERT_EQ(Run({"--format", "csv", "--by", "day"}), kReportSucceeded) << err;
    EXPECT_EQ(out,
              "period,on_minutes,off_minutes,sessions,crashed,on_percent\n"
              "2026-12-04,120,1320,2,0,8.3\n"
              "2026-12-05,60,480,1,0,11.1\n");
    ASSERT_EQ(Run({"--format", "csv", "--by", "day", "--until", "2026:12:05:00:00:00"}),
              kReportSucceeded);
    EXPECT_THAT(out, Not(HasSubstr("2026-12-05"))) << "a range that ends before the boot";
}

// On Windows an argument's text is in the ANSI code page, which may lack characters of a
// file name: the log file comes from the path form.
TEST(ReportOptions, TakesTheLogFileFromThePathFormOfTheArgument) {
    const std::filesystem::path named(u8"Protokolle/Ünïcødé.txt");
    const std::vector<CommandArgument> separate{{"--log", "--log"}, {"Protokolle/?.txt", named}};
    EXPECT_EQ(ParseReportOptions(separate).options.logFile, named);
    const std::vector<CommandArgument> attached{
        {"--log=Protokolle/?.txt", std::filesystem::path(u8"--log=Protokolle/Ünïcødé.txt")}};
    EXPECT_EQ(ParseReportOptions(attached).options.logFile, named);
}

}  // namespace
}  // namespace uptrail
