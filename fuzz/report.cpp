// uptrail-report with any arguments on any log: it ends with one of its exit statuses,
// writes no report when it complains, and its JSON is always valid.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "fuzz_support.h"
#include "report/report_options.h"
#include "report/report_run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace uptrail;
    using namespace uptrail::fuzz;
    FuzzedDataProvider input(data, size);
    std::vector<std::string> arguments(input.ConsumeIntegralInRange<std::size_t>(0, 8));
    for (std::string& argument : arguments) argument = input.ConsumeRandomLengthString(40);
    const bool logThere = input.ConsumeBool();
    const std::string log = input.ConsumeRemainingBytesAsString();

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

    std::vector<CommandArgument> parsed;
    for (const std::string& argument : arguments) parsed.push_back({argument, argument});
    const ReportOptions options = ParseReportOptions(parsed).options;
    if (options.format == ReportFormat::kJson && !options.help && !options.version)
        Require(IsValidJson(report.out), "the report's JSON is no valid JSON",
                context + "\n" + report.out);
    return 0;
}
