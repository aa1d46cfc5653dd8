#include "report/report_options.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "base/timestamp.h"

namespace uptrail {
namespace {

constexpr std::string_view kOptionPrefix = "--";

enum class Option {
    kLog,
    kEvents,
    kSystem,
    kAll,
    kLimit,
    kBootTime,
    kNow,
    kSince,
    kUntil,
    kBy,
    kFormat,
    kHelp,
    kVersion
};

struct OptionName {
    std::string_view name;
    Option option;
    bool takesValue;
};

constexpr OptionName kOptions[] = {
    {"--log", Option::kLog, true},       {"--events", Option::kEvents, true},
    {"--system", Option::kSystem, true}, {"--all", Option::kAll, false},
    {"--limit", Option::kLimit, true},   {"--boot-time", Option::kBootTime, true},
    {"--now", Option::kNow, true},       {"--since", Option::kSince, true},
    {"--until", Option::kUntil, true},   {"--by", Option::kBy, true},
    {"--format", Option::kFormat, true}, {"--help", Option::kHelp, false},
    {"-h", Option::kHelp, false},        {"--version", Option::kVersion, false},
};

const OptionName* FindOption(std::string_view name) {
    const auto found = std::find_if(std::begin(kOptions), std::end(kOptions),
                                    [&](const OptionName& option) { return option.name == name; });
    return found == std::end(kOptions) ? nullptr : found;
}

std::string Quoted(std::string_view text) {
    std::string quoted = "'";
    return quoted.append(text).append("'");
}

std::optional<std::size_t> WholeNumber(std::string_view text) {
    std::size_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

std::optional<ReportFormat> FormatNamed(std::string_view name) {
    if (name == "text") return ReportFormat::kText;
    if (name == "csv") return ReportFormat::kCsv;
    if (name == "json") return ReportFormat::kJson;
    if (name == "html") return ReportFormat::kHtml;
    return std::nullopt;
}

std::string_view TimeOptionName(Option option) {
    for (const OptionName& name : kOptions)
        if (name.option == option) return name.name;
    return {};
}

std::optional<DateTime>& TimeOption(Option option, ReportOptions& options) {
    switch (option) {
    case Option::kNow: return options.now;
    case Option::kSince: return options.since;
    case Option::kUntil: return options.until;
    default: return options.bootTime;
    }
}

// What the options say together that none says alone.
std::string CheckCombination(const ReportOptions& options) {
    if (options.since && options.until && *options.until <= *options.since)
        return "--until must come after --since";
    if (options.logFile && options.eventsFile) return "--log and --events name one source each";
    if (options.by && options.format != ReportFormat::kCsv && options.format != ReportFormat::kJson)
        return "--by wants --format csv or json";
    return {};
}

// "--log=FILE" carries the path inside the argument: the part after the first "=".
std::filesystem::path PathAfterEquals(const std::filesystem::path& argument) {
    const auto& native = argument.native();
    return std::filesystem::path(native.substr(native.find('=') + 1));
}

// Stores one option's value; gives what is wrong with it, or nothing.
std::string Apply(Option option, const CommandArgument& value, std::string_view valueText,
                  ReportOptions& options) {
    switch (option) {
    case Option::kLog:
    case Option::kEvents: {
        const bool log = option == Option::kLog;
        if (valueText.empty())
            return log ? "--log wants a file name" : "--events wants a file name";
        (log ? options.logFile : options.eventsFile) =
            valueText.size() == value.text.size() ? value.path : PathAfterEquals(value.path);
        return {};
    }
    case Option::kSystem:
        if (valueText.empty()) return "--system wants a system identity";
        options.systems.emplace_back(valueText);
        return {};
    case Option::kLimit:
        options.limit = WholeNumber(valueText);
        if (!options.limit)
            return "--limit wants a whole number of sessions, not " + Quoted(valueText);
        return {};
    case Option::kBootTime:
    case Option::kNow:
    case Option::kSince:
    case Option::kUntil: {
        const auto time = TryParseTimestamp(valueText);
        if (!time)
            return std::string(TimeOptionName(option)) +
                   " wants a time stamp like 2026:12:04:08:03:07, not " + Quoted(valueText);
        TimeOption(option, options) = time;
        return {};
    }
    case Option::kBy:
        if (valueText == "day") options.by = PeriodKind::kDay;
        if (valueText == "month") options.by = PeriodKind::kMonth;
        if (!options.by) return "--by wants day or month, not " + Quoted(valueText);
        return {};
    case Option::kFormat: {
        const auto format = FormatNamed(valueText);
        if (!format) return "--format wants text, csv, json or html, not " + Quoted(valueText);
        options.format = *format;
        return {};
    }
    case Option::kAll:
    case Option::kHelp:
    case Option::kVersion: break;
    }
    return {};
}

void ApplySwitch(Option option, ReportOptions& options) {
    if (option == Option::kAll) options.allSystems = true;
    if (option == Option::kHelp) options.help = true;
    if (option == Option::kVersion) options.version = true;
}

}  // namespace

ParsedReportOptions ParseReportOptions(std::span<const CommandArgument> arguments) {
    ParsedReportOptions parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i].text;
        const std::size_t equals = argument.find('=');
        const bool attached = argument.starts_with(kOptionPrefix) && equals != argument.npos;
        const std::string_view name = attached ? argument.substr(0, equals) : argument;
        const OptionName* option = FindOption(name);
        if (!option) {
            parsed.error = argument.starts_with("-") ? "unknown option " + Quoted(name)
                                                     : "unexpected argument " + Quoted(argument);
            return parsed;
        }
        if (!option->takesValue) {
            if (attached) {
                parsed.error = std::string(name) + " takes no value";
                return parsed;
            }
            ApplySwitch(option->option, parsed.options);
            continue;
        }
        if (!attached && i + 1 == arguments.size()) {
            parsed.error = std::string(name) + " needs a value";
            return parsed;
        }
        const CommandArgument& value = attached ? arguments[i] : arguments[++i];
        const std::string_view valueText =
            attached ? argument.substr(equals + 1) : std::string_view(value.text);
        parsed.error = Apply(option->option, value, valueText, parsed.options);
        if (!parsed.error.empty()) return parsed;
    }
    parsed.error = CheckCombination(parsed.options);
    return parsed;
}

std::string ReportUsage() {
    return R"(Usage: uptrail-report [options]

Prints what Uptrail's tray menus show for a session log: the statistics, the sessions
newest first (X marks a crashed session, ! one that ended with Uptrail closed by hand
before the system went down) and the systems that share the log with their last exit.
The log file is only read.

Options:
  --log FILE            the session log (Uptrail.txt); on Windows Uptrail's own log
                        by default, found as Uptrail finds it; required elsewhere
  --events FILE         in place of a log, an XML export of a PC's System event log
                        (wevtutil qe System /f:xml, or Event Viewer's "Save All
                        Events As" XML): the sessions Windows recorded, named by
                        the PC's name
  --system ID           list the sessions of this system (repeatable); ID is a system
                        identity as the log holds it, like 1A2B3C4D//c:\windows
  --all                 list the sessions of all systems
                        (default: the systems Uptrail on this Windows installation
                        lists; all systems elsewhere)
  --limit N             list at most N sessions (default: every one)
  --boot-time STAMP     the start of the running system session, for the restart time
                        (default: the running system's boot time)
  --now STAMP           the current time, for unreadable time stamps (default: the clock)
  --since STAMP         list and count only what lies after this time: sessions that
                        end before it are left out, one that runs across it counts
                        from it on
  --until STAMP         likewise, only what lies before this time
                        STAMP is time stamp text as the log stores it: 2026:12:04:08:03:07
  --format FORMAT       text (default), csv (one row per listed session), json
                        (statistics and sessions, times in ISO 8601 local time) or
                        html (the session chart: a page any browser opens, with a
                        timeline, a calendar and a table per month)
  --by day|month        with csv or json: one row per day or month of the range in
                        place of the sessions, with the time on and off, the sessions
                        started and crashed, and the share of time on
  --help                print this help
  --version             print the version

Exit status: 0 on success, 1 for wrong arguments, 2 when the log file or the export is
missing or cannot be read (an export that is no XML or holds no System log records
among them), 3 when the report could not be written out.
)";
}

}  // namespace uptrail
