#pragma once
#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "sessionlog/session_periods.h"

namespace uptrail {

inline constexpr std::string_view kReportProgramName = "uptrail-report";

enum class ReportFormat { kText, kCsv, kJson, kHtml };

// One command-line argument, as text in the ANSI code page (option names, identities,
// numbers, all compared with what the log holds) and as a path, which on Windows keeps the
// characters of a file name that the code page lacks.
struct CommandArgument {
    std::string text;
    std::filesystem::path path;
};

struct ReportOptions {
    std::optional<std::filesystem::path> logFile;     // --log
    std::optional<std::filesystem::path> eventsFile;  // --events
    std::vector<std::string> systems;                 // --system, in the order given
    bool allSystems = false;                          // --all
    std::optional<std::size_t> limit;                 // --limit; every entry without it
    std::optional<DateTime> bootTime;                 // --boot-time
    std::optional<DateTime> now;                      // --now
    std::optional<DateTime> since;                    // --since
    std::optional<DateTime> until;                    // --until
    std::optional<PeriodKind> by;                     // --by day|month
    ReportFormat format = ReportFormat::kText;        // --format
    bool help = false;
    bool version = false;
};

struct ParsedReportOptions {
    ReportOptions options;
    std::string error;  // what is wrong with the arguments; empty when they are understood
};

// Reads the arguments after the program name. An option's value follows it as the next
// argument or after "=" ("--log FILE", "--log=FILE"). Time stamps are time stamp text as
// the log stores it ("2026:12:04:08:03:07").
ParsedReportOptions ParseReportOptions(std::span<const CommandArgument> arguments);

// The text --help prints.
std::string ReportUsage();

}  // namespace uptrail
