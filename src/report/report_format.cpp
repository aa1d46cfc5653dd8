#include "report/report_format.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "base/csv_field.h"
#include "base/duration_text.h"
#include "base/text_encoding.h"
#include "base/utf8_sequence.h"
#include "chart/chart_page.h"
#include "report/period_format.h"
#include "sessionlog/session_line.h"
#include "sessionlog/system_filter.h"

namespace uptrail {
namespace {

// Room for a session's times and figures and a short text after them, all but the month
// names.
constexpr std::size_t kLineRoom = 96 + 4 * kMostNumberLength;

// Why a session ended goes on a line of its own under the session's.
constexpr std::string_view kReasonIndent = "   ";

char MarkOf(SessionCause cause) {
    if (cause == SessionCause::kCrashed) return 'X';
    if (cause == SessionCause::kProgramClosed) return '!';
    return ' ';
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

std::string AsleepPercent(const SessionStatistics& figures) {
    const auto share = AsleepShare(figures);
    return share ? JsonPercent(share->first, share->second) : "null";
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
    add("asleepPercent", AsleepPercent(figures));
    add("crashedPercent", CrashedPercent(figures));
    add("minRestartSeconds", JsonNumber(figures.shortestGapSeconds));
    add("lastOffSeconds", JsonNumber(figures.lastGapSeconds));
    add("lastDelaySeconds", JsonNumber(report.lastDelaySeconds), true);
    return json + "  }";
}

// A text of a few bytes that every line ends with (the system's name, the line end), copied
// as a block of kBlock bytes whatever its length: a copy of a fixed size is a move or two,
// one of any other size a call into the library. What follows overwrites the rest.
class ShortText {
public:
    static constexpr std::size_t kBlock = 32;

    ShortText() = default;
    explicit ShortText(std::string_view text) : text_(text) {
        std::copy_n(text.begin(), std::min(text.size(), kBlock), block_.begin());
    }

    bool IsShort() const { return text_.size() <= kBlock; }
    std::string_view Text() const { return text_; }

    // Only for a short text, with kBlock bytes of room.
    char* PutInto(char* at) const {
        std::memcpy(at, block_.data(), kBlock);
        return at + text_.size();
    }

private:
    std::string text_;
    std::array<char, kBlock> block_{};
};

// Writes the text at `at`, in the writer's room or after it.
void PutOrWrite(ReportWriter& writer, char* at, const ShortText& text) {
    if (text.IsShort()) return writer.Commit(text.PutInto(at));
    writer.Commit(at);
    writer.Text(text.Text());
}

// "2026-12-04T08:03:07" for the times of csv and JSON lines.
class IsoTimes {
public:
    char* Put(char* at, DateTime value, const DayAndSecond& time) {
        return PutClock(dates_.Put(at, time.day, value), time.second, true);
    }

private:
    DateParts<char* (*)(char*, const DateTimeFields&)> dates_{PutIsoDate};
};

// What the lines of listed sessions end with, by identity: made once for each system
// rather than for each of its lines.
template <typename Ending>
std::vector<ShortText> LineEndings(const SessionReport& report, Ending ending) {
    std::vector<ShortText> endings(report.log.identities.size());
    for (std::size_t system = 0; system < endings.size(); ++system)
        if (report.listedSystems[system])
            endings[system] = ShortText(ending(report.log.identities[system]));
    return endings;
}

// The mark, the session's line, and the system's name when names are shown.
void WriteSessionLines(const SessionReport& report, ReportWriter& writer) {
    SessionLineWriter lines(*report.months);
    const std::size_t room = kLineRoom + lines.Room();
    const auto endings = LineEndings(report, [&](std::string_view identity) {
        if (!report.showNames || identity.empty()) return std::string("\n");
        return SystemNameEnding(identity, report.drives) + "\n";
    });
    report.ForEachListed([&](const LogEntry& entry) {
        char* at = writer.Room(room);
        *at++ = MarkOf(entry.cause);
        at = lines.Put(at, entry.start, entry.end);
        PutOrWrite(writer, at, endings[entry.system]);
        if (const std::string_view reason = report.ReasonOf(entry); !reason.empty()) {
            writer.Text(kReasonIndent);
            writer.Text(reason);
            writer.Text("\n");
        }
    });
}

void WriteText(const SessionReport& report, ReportWriter& writer) {
    for (const std::string& caption : report.statistics) {
        writer.Text(caption);
        writer.Text("\n");
    }
    writer.Text("\nSessions, newest first (X crashed, ! closed before the system went down):\n");
    WriteSessionLines(report, writer);
    if (report.listedCount == 0) writer.Text("(none)\n");

    writer.Text("\nSystems ([x] listed):\n");
    for (const SystemChoice& system : report.systems) {
        writer.Text(system.checked ? "[x] " : "[ ] ");
        writer.Text(system.caption);
        writer.Text("\t");
        writer.Text(system.tag);
        writer.Text("\n");
    }
    if (report.systems.empty()) writer.Text("(none)\n");
}

// The columns after the system: added last, so that readers of the first five keep working.
void WriteCsvTail(const SessionReport& report, const LogEntry& entry, ReportWriter& writer) {
    char* at = writer.Room(kLineRoom);
    at = PutNumber(at, report.SleepOf(entry));
    *at++ = ',';
    writer.Commit(at);
    if (const std::string_view reason = report.ReasonOf(entry); !reason.empty())
        writer.Text(CsvField(reason));
    writer.Text("\n");
}

void WriteCsv(const SessionReport& report, ReportWriter& writer) {
    if (report.by) return WritePeriodCsv(report, writer);
    writer.Text("start,end,minutes,cause,system,sleep_minutes,reason\n");
    const auto endings =
        LineEndings(report, [](std::string_view identity) { return CsvField(identity) + ","; });
    IsoTimes times;
    report.ForEachListed([&](const LogEntry& entry) {
        const DayAndSecond start = SplitTime(entry.start);
        const DayAndSecond end = SplitTime(entry.end);
        char* at = writer.Room(kLineRoom);
        at = times.Put(at, entry.start, start);
        *at++ = ',';
        at = times.Put(at, entry.end, end);
        *at++ = ',';
        at = PutNumber(at, end.MinutesSince(start));
        *at++ = ',';
        at = PutNumber(at, static_cast<int>(entry.cause));
        *at++ = ',';
        PutOrWrite(writer, at, endings[entry.system]);
        WriteCsvTail(report, entry, writer);
    });
}

void WriteJson(const SessionReport& report, ReportWriter& writer) {
    writer.Text("{\n");
    writer.Text(JsonStatistics(report));
    if (report.by) {
        writer.Text(",\n  \"periods\": [");
        WritePeriodJsonRows(report, writer);
        writer.Text(report.periods.empty() ? "]\n}\n" : "\n  ]\n}\n");
        return;
    }
    writer.Text(",\n  \"sessions\": [");
    const auto endings =
        LineEndings(report, [](std::string_view identity) { return JsonString(identity); });
    IsoTimes times;
    std::string_view separator = "\n    ";
    report.ForEachListed([&](const LogEntry& entry) {
        const DayAndSecond start = SplitTime(entry.start);
        const DayAndSecond end = SplitTime(entry.end);
        char* at = writer.Room(2 * kLineRoom);
        at = Put(at, separator);
        at = Put(at, "{\"start\": \"");
        at = times.Put(at, entry.start, start);
        at = Put(at, "\", \"end\": \"");
        at = times.Put(at, entry.end, end);
        at = Put(at, "\", \"minutes\": ");
        at = PutNumber(at, end.MinutesSince(start));
        at = Put(at, ", \"cause\": ");
        at = PutNumber(at, static_cast<int>(entry.cause));
        at = Put(at, ", \"system\": ");
        PutOrWrite(writer, at, endings[entry.system]);
        at = Put(writer.Room(kLineRoom), ", \"sleepMinutes\": ");
        at = PutNumber(at, report.SleepOf(entry));
        at = Put(at, ", \"reason\": ");
        writer.Commit(at);
        const std::string_view reason = report.ReasonOf(entry);
        writer.Text(reason.empty() ? "null}" : JsonString(reason) + "}");
        separator = ",\n    ";
    });
    writer.Text(report.listedCount == 0 ? "]\n}\n" : "\n  ]\n}\n");
}

// The session chart of the listed sessions, all of them whatever --limit says.
void WriteHtml(const SessionReport& report, ReportWriter& writer) {
    ChartInput chart;
    chart.statistics = report.statistics;
    chart.sessions = report.ListedEntries();
    chart.sleeps = report.listedSleeps;
    chart.reasons = report.ListedReasons();
    chart.runningSince = report.runningSince;
    chart.now = report.now;
    chart.since = report.since;
    chart.until = report.until;
    chart.zone = report.zone;
    chart.months = report.months;
    writer.Text(ChartPage(chart));
}

}  // namespace

void WriteReport(const SessionReport& report, ReportFormat format, ReportOutput& output) {
    ReportWriter writer(output);
    switch (format) {
    case ReportFormat::kCsv: return WriteCsv(report, writer);
    case ReportFormat::kJson: return WriteJson(report, writer);
    case ReportFormat::kHtml: return WriteHtml(report, writer);
    case ReportFormat::kText: break;
    }
    WriteText(report, writer);
}

}  // namespace uptrail
