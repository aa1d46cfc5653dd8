#include "report/report_format.h"

#include <cstdio>
#include <string_view>

#include "platform/text_encoding.h"
#include "sessionlog/duration_text.h"

namespace uptrail {
namespace {

constexpr int kCrashedCause = static_cast<int>(SessionCause::kCrashed);
constexpr int kClosedCause = static_cast<int>(SessionCause::kProgramClosed);
constexpr std::int64_t kLargestFourDigitYear = 9999;
// About the length of a session line or row, so that a report of tens of thousands of
// them is written into one buffer rather than copied as it grows.
constexpr std::size_t kExpectedLineSize = 96;

char MarkOf(int cause) {
    if (cause == kCrashedCause) return 'X';
    if (cause == kClosedCause) return '!';
    return ' ';
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

// The platform converts ANSI text to Unicode for file names; the same conversion serves
// here. Off Windows the text stays the bytes it is.
std::string Utf8FromAnsi(std::string_view text) {
    const std::u8string utf8 = PathFromAnsi(text).u8string();
    return std::string(utf8.begin(), utf8.end());
}

bool IsContinuation(std::string_view text, std::size_t at, unsigned char low = 0x80,
                    unsigned char high = 0xBF) {
    if (at >= text.size()) return false;
    const auto byte = static_cast<unsigned char>(text[at]);
    return byte >= low && byte <= high;
}

// The length of the well-formed UTF-8 sequence at `at` (no overlong forms, no surrogates),
// or 0 when the byte there starts none.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return IsContinuation(text, at + 1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
        return IsContinuation(text, at + 1, low, high) && IsContinuation(text, at + 2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
        return IsContinuation(text, at + 1, low, high) && IsContinuation(text, at + 2) &&
                       IsContinuation(text, at + 3)
                   ? 4
                   : 0;
    }
    return 0;
}

std::string UnicodeEscape(unsigned char byte) {
    char escape[7];
    std::snprintf(escape, sizeof escape, "\\u%04x", byte);
    return escape;
}

// A JSON string of log text. A hand-edited or damaged log may hold any bytes; those that
// are no UTF-8 are read as Latin-1, so the output is always valid JSON.
std::string JsonString(std::string_view ansi) {
    const std::string text = Utf8FromAnsi(ansi);
    std::string json = "\"";
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        const std::size_t length = Utf8SequenceLength(text, at);
        if (length == 0) {
            json += UnicodeEscape(byte);
            ++at;
            continue;
        }
        if (byte == '"' || byte == '\\') {
            json += '\\';
            json += static_cast<char>(byte);
        } else if (byte == '\n') {
            json += "\\n";
        } else if (byte == '\r') {
            json += "\\r";
        } else if (byte == '\t') {
            json += "\\t";
        } else if (byte < 0x20) {
            json += UnicodeEscape(byte);
        } else {
            json.append(text, at, length);
        }
        at += length;
    }
    return json + "\"";
}

std::string JsonNumber(const std::optional<std::int64_t>& value) {
    return value ? std::to_string(*value) : "null";
}

// A share as the tray computes it (tenths of a percent, halves to even), as a number.
std::string JsonPercent(std::int64_t part, std::int64_t whole) {
    std::string text = FormatPercent(part, whole, ".");
    text.pop_back();  // the "%"
    return text;
}

std::optional<std::int64_t> AverageMinutes(const SessionStatistics& figures) {
    if (figures.count <= 0) return std::nullopt;
    return RoundHalfToEven(figures.totalMinutes, figures.count);
}

std::optional<std::int64_t> LongestMinutes(const SessionStatistics& figures) {
    if (figures.longestMinutes <= 0) return std::nullopt;
    return figures.longestMinutes;
}

// The same rule as "System Off Time:": no figure for an empty span, or for sessions that
// add up to more than it (overlapping entries) or to less than nothing.
std::string OffTimePercent(const SessionStatistics& figures) {
    if (!figures.firstStart || !figures.lastEnd) return "null";
    const std::int64_t span = MinuteBoundaries(*figures.firstStart, *figures.lastEnd);
    const std::int64_t total = figures.totalMinutes;
    if (span <= 0 || total < 0 || total > span) return "null";
    return JsonPercent(span - total, span);
}

std::string CrashedPercent(const SessionStatistics& figures) {
    if (figures.count <= 0) return "null";
    return JsonPercent(figures.crashed, figures.count);
}

std::string JsonStatistics(const SessionReport& report) {
    const SessionStatistics& figures = report.figures;
    std::string json = "  \"statistics\": {\n";
    const auto add = [&](std::string_view name, const std::string& value, bool last = false) {
        json.append("    \"").append(name).append("\": ").append(value).append(last ? "\n" : ",\n");
    };
    add("statisticsFrom", JsonString(FormatIsoLocalTime(report.statsFrom)));
    add("sessionCount", std::to_string(figures.count));
    add("crashedCount", std::to_string(figures.crashed));
    add("averageSessionMinutes", JsonNumber(AverageMinutes(figures)));
    add("longestSessionMinutes", JsonNumber(LongestMinutes(figures)));
    add("systemOffPercent", OffTimePercent(figures));
    add("crashedPercent", CrashedPercent(figures));
    add("minRestartSeconds", JsonNumber(figures.shortestGapSeconds));
    add("lastOffSeconds", JsonNumber(figures.lastGapSeconds));
    add("lastDelaySeconds", JsonNumber(report.lastDelaySeconds), true);
    return json + "  }";
}

std::string JsonSession(const LoggedSession& entry) {
    std::string json = "{\"start\": ";
    return json.append(JsonString(FormatIsoLocalTime(entry.start)))
        .append(", \"end\": ")
        .append(JsonString(FormatIsoLocalTime(entry.end)))
        .append(", \"minutes\": ")
        .append(std::to_string(MinuteBoundaries(entry.start, entry.end)))
        .append(", \"cause\": ")
        .append(std::to_string(entry.cause))
        .append(", \"system\": ")
        .append(JsonString(entry.system ? std::string_view(*entry.system) : std::string_view()))
        .append("}");
}

}  // namespace

std::string FormatIsoLocalTime(DateTime value) {
    const DateTimeFields f = FieldsOf(value);
    std::string text = f.year > kLargestFourDigitYear ? "+" : "";
    return text.append(FormatPadded(f.year, 4))
        .append("-")
        .append(FormatPadded(f.month, 2))
        .append("-")
        .append(FormatPadded(f.day, 2))
        .append("T")
        .append(FormatPadded(f.hour, 2))
        .append(":")
        .append(FormatPadded(f.minute, 2))
        .append(":")
        .append(FormatPadded(f.second, 2));
}

std::string FormatReportText(const SessionReport& report) {
    std::string text;
    text.reserve(kExpectedLineSize * (report.listed.size() + report.systems.size() + 20));
    for (const std::string& caption : report.statistics) text.append(caption).append("\n");

    text += "\nSessions, newest first (X crashed, ! closed before the system went down):\n";
    for (const std::size_t index : report.listed) {
        const LoggedSession& entry = report.entries[index];
        text.append(1, MarkOf(entry.cause)).append(report.SessionLine(entry)).append("\n");
    }
    if (report.listed.empty()) text += "(none)\n";

    text += "\nSystems ([x] listed):\n";
    for (const SystemListItem& system : report.systems)
        text.append(system.checked ? "[x] " : "[ ] ")
            .append(system.caption)
            .append("\t")
            .append(system.tag)
            .append("\n");
    if (report.systems.empty()) text += "(none)\n";
    return text;
}

std::string FormatReportCsv(const SessionReport& report) {
    std::string csv = "start,end,minutes,cause,system\n";
    csv.reserve(kExpectedLineSize * (report.listed.size() + 1));
    for (const std::size_t index : report.listed) {
        const LoggedSession& entry = report.entries[index];
        csv.append(FormatIsoLocalTime(entry.start))
            .append(",")
            .append(FormatIsoLocalTime(entry.end))
            .append(",")
            .append(std::to_string(MinuteBoundaries(entry.start, entry.end)))
            .append(",")
            .append(std::to_string(entry.cause))
            .append(",")
            .append(CsvField(entry.system.value_or("")))
            .append("\n");
    }
    return csv;
}

std::string FormatReportJson(const SessionReport& report) {
    std::string json = "{\n";
    json.reserve(2 * kExpectedLineSize * (report.listed.size() + 10));
    json.append(JsonStatistics(report)).append(",\n  \"sessions\": [");
    const char* separator = "\n    ";
    for (const std::size_t index : report.listed) {
        json.append(separator).append(JsonSession(report.entries[index]));
        separator = ",\n    ";
    }
    json += report.listed.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return json;
}

}  // namespace uptrail
