// The session log's fast reader, held against the plain reading of the same bytes, and the
// report of those bytes in each of its formats.
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "base/timestamp.h"
#include "fuzz_support.h"
#include "sessionlog/log_entries.h"
#include "sessionlog/session_log.h"
#include "storage/section_text.h"
#include "storage/text_lines.h"
#include "support/log_fields.h"

namespace uptrail::fuzz {
namespace {

using testing::Fields;
using testing::FieldsOf;

// Each line of the loaded section cut at every "=", each field read alone.
std::vector<Fields> LineByLine(std::string_view section) {
    std::vector<Fields> entries;
    for (const std::string_view line : SplitLines(section)) {
        const auto fields = SplitAt(line, '=');
        if (fields.size() < 3) continue;
        entries.emplace_back(
            ParseTimestamp(fields[0], TimestampPart::kDateAndTime, kNow),
            ParseTimestamp(fields[1], TimestampPart::kDateAndTime, kNow),
            static_cast<SessionCause>(TimestampFieldValue(fields[2])),
            fields.size() > 3 ? std::optional<std::string>(fields[3]) : std::nullopt);
    }
    return entries;
}

void CheckIdentities(const LogEntries& read, const std::string& log) {
    std::set<std::string_view> named;
    for (const LogEntry& entry : read.entries) {
        if (entry.system == kNoSystem) continue;
        Require(entry.system < read.identities.size(), "a system index beyond the identities", log);
        named.insert(read.identities[entry.system]);
    }
    const std::set<std::string_view> distinct(read.identities.begin(), read.identities.end());
    Require(distinct.size() == read.identities.size(), "an identity kept twice", log);
    Require(named.size() == read.identities.size(), "an identity no entry names", log);
}

void CheckReport(const std::string& log) {
    for (const char* format : {"text", "csv", "json"}) {
        const ReportResult report = RunReportInMemory(
            {"--all", "--now", FormatTimestamp(kNow), "--boot-time", "2031:07:15:11:00:00",
             "--format", format, "--log", std::string(kLogPath)},
            &log);
        Require(report.exitCode == 0, "the report of a readable log did not succeed", report.err);
        Require(!report.out.empty(), "an empty report", format);
        if (std::string_view(format) == "json")
            Require(IsValidJson(report.out), "the report's JSON is no valid JSON", report.out);
    }
}

}  // namespace
}  // namespace uptrail::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace uptrail;
    using namespace uptrail::fuzz;
    const std::string log(reinterpret_cast<const char*>(data), size);

    const LogEntries fast = ReadLogEntries(log, kNow);
    const std::string section = LoadSectionText(log, kLogSection);
    const LogEntries plain = ReadSectionEntries(section, kNow);
    Require(fast.lineCount == CountLines(section), "the fast reader counts other lines", log);
    Require(plain.lineCount == CountLines(section), "the section reader counts other lines", log);
    const std::vector<Fields> byLine = LineByLine(section);
    CheckIdentities(fast, log);
    CheckIdentities(plain, log);
    Require(FieldsOf(fast) == byLine, "the fast reader and the plain reading differ", log);
    Require(FieldsOf(plain) == byLine, "the section reader and the plain reading differ", log);

    CheckReport(log);
    return 0;
}
