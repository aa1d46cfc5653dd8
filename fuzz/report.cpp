// uptrail-report with any arguments on any log: it ends with one of its exit statuses,
// writes no report when it complains, keeps its output in proportion to the log, and its
// JSON is always valid. Some inputs repeat a line of the log tens of thousands of times, so
// that logs longer than the start-up trim's limit are read too.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "report/report_options.h"
#include "report/report_run.h"
#include "sessionlog/session_log.h"
#include "sessionlog/session_periods.h"

namespace uptrail::fuzz {
namespace {

// A page of the chart, the table of at most kMostPeriods periods (one in JSON takes some
// 120 bytes), and a line per session of at most a reason and some figures: any output
// beyond this grows with something other than the log.
constexpr std::size_t kFixedOutput =
    (std::size_t{4} << 20) + static_cast<std::size_t>(kMostPeriods) * 256;
constexpr std::size_t kOutputPerLine = 1024;

// A time stamp of the log's form with fuzzed digits: mostly of this century, where logs
// are; else of any year from 0 to 9999, which reaches the ends of what the report bounds.
std::string Stamp(FuzzedDataProvider& input) {
    const bool thisCentury = input.ConsumeBool();
    std::string stamp = Restricted(input.ConsumeBytesAsString(thisCentury ? 12 : 14), "0123456789");
    stamp.resize(thisCentury ? 12 : 14, '0');
    if (thisCentury) stamp.insert(0, "20");
    return stamp.substr(0, 4) + ":" + stamp.substr(4, 2) + ":" + stamp.substr(6, 2) + ":" +
           stamp.substr(8, 2) + ":" + stamp.substr(10, 2) + ":" + stamp.substr(12, 2);
}

// The options the report has, each present or not, with fuzzed values where they take one.
std::vector<std::string> ChosenOptions(FuzzedDataProvider& input) {
    static constexpr std::array<const char*, 4> kFormats{"text", "csv", "json", "html"};
    static constexpr std::array<const char*, 2> kPeriods{"day", "month"};
    std::vector<std::string> arguments{"--log", std::string(kLogPath), "--format",
                                       kFormats[input.ConsumeIntegralInRange<std::size_t>(0, 3)]};
    if (input.ConsumeBool()) arguments.insert(arguments.end(), {"--since", Stamp(input)});
    if (input.ConsumeBool()) arguments.insert(arguments.end(), {"--until", Stamp(input)});
    if (input.ConsumeBool()) arguments.insert(arguments.end(), {"--now", Stamp(input)});
    if (input.ConsumeBool()) arguments.insert(arguments.end(), {"--boot-time", Stamp(input)});
    if (input.ConsumeBool())
        arguments.insert(arguments.end(), {"--by", kPeriods[input.ConsumeBool() ? 1 : 0]});
    if (input.ConsumeBool()) arguments.push_back("--all");
    return arguments;
}

std::vector<std::string> FreeArguments(FuzzedDataProvider& input) {
    std::vector<std::string> arguments(input.ConsumeIntegralInRange<std::size_t>(0, 8));
    for (std::string& argument : arguments) argument = input.ConsumeRandomLengthString(40);
    return arguments;
}

// The log with its last line repeated up to past the trim's limit, now and then.
std::string LogOf(FuzzedDataProvider& input) {
    const bool repeat = input.ConsumeIntegralInRange(0, 63) == 0;
    const int copies = repeat ? input.ConsumeIntegralInRange(1, kStartupLogLimit + 1000) : 0;
    std::string log = input.ConsumeRemainingBytesAsString();
    const std::size_t bodyEnd = log.find_last_not_of("\r\n");
    if (copies == 0 || bodyEnd == std::string::npos) return log;
    log.resize(bodyEnd + 1);
    const std::size_t lineEnd = log.find_last_of("\r\n");
    const std::string line = log.substr(lineEnd == std::string::npos ? 0 : lineEnd + 1) + "\r\n";
    if (line.size() > 200) return log;
    log += "\r\n";
    log.reserve(log.size() + line.size() * static_cast<std::size_t>(copies));
    for (int i = 0; i < copies; ++i) log += line;
    return log;
}

}  // namespace
}  // namespace uptrail::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace uptrail;
    using namespace uptrail::fuzz;
    FuzzedDataProvider input(data, size);
    const std::vector<std::string> arguments =
        input.ConsumeBool() ? ChosenOptions(input) : FreeArguments(input);
    const bool logThere = input.ConsumeBool();
    const std::string log = LogOf(input);

    const ReportResult report = RunReportInMemory(arguments, logThere ? &log : nullptr);
    std::string context;
    for (const std::string& argument : arguments) context += "[" + argument + "] ";
    context += "\n" + report.err;
    Require(report.exitCode >= kReportSucceeded && report.exitCode <= kReportNotWritten,
            "an exit status the report does not have", context);
    if (report.exitCode != kReportSucceeded) {
        Require(report.out.empty(), "a run that complains wrote a report", context);
        Require(!report.err.empty(), "a run that failed said nothing", context);
        return 0;
    }
    // Lines end at CR, LF or both: counting both ends is at least the number of lines.
    const auto lines = static_cast<std::size_t>(
        std::count_if(log.begin(), log.end(), [](char c) { return c == '\r' || c == '\n'; }));
    Require(report.out.size() <= kFixedOutput + kOutputPerLine * (lines + 1),
            "a report out of proportion to its log", context);

    std::vector<CommandArgument> parsed;
    for (const std::string& argument : arguments) parsed.push_back({argument, argument});
    const ReportOptions options = ParseReportOptions(parsed).options;
    if (options.format == ReportFormat::kJson && !options.help && !options.version)
        Require(IsValidJson(report.out), "the report's JSON is no valid JSON",
                context + "\n" + report.out);
    return 0;
}
