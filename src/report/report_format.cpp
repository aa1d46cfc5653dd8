#include "report/report_format.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "base/text_encoding.h"
#include "base/duration_text.h"
#include "sessionlog/system_filter.h"

namespace uptrail {
namespace {

constexpr int kCrashedCause = static_cast<int>(SessionCause::kCrashed);
constexpr int kClosedCause = static_cast<int>(SessionCause::kProgramClosed);
constexpr std::int64_t kLargestFourDigitYear = 9999;
constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kMinutesPerDay = 1440;
constexpr std::int32_t kMinutesPerHour = 60;
constexpr std::int32_t kHoursPerDay = 24;
// Room for a session's times and figures and a short text after them, all but the month
// names.
constexpr std::size_t kLineRoom = 96 + 4 * kMostNumberLength;

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

char* Put(char* at, std::string_view text) {
    std::memcpy(at, text.data(), text.size());
    return at + text.size();
}

// A literal, copied as the fixed number of bytes it has.
template <std::size_t kSize>
char* Put(char* at, const char (&text)[kSize]) {
    std::memcpy(at, text, kSize - 1);
    return at + kSize - 1;
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

// A time as a day and the second of that day.
struct DayAndSecond {
    std::int64_t day;
    unsigned second;

    // MinuteBoundaries from `from` to this time.
    std::int64_t MinutesSince(const DayAndSecond& from) const {
        return (day - from.day) * kMinutesPerDay +
               (static_cast<std::int64_t>(second / 60) - static_cast<std::int64_t>(from.second / 60));
    }
};

DayAndSecond SplitTime(DateTime value) {
    const std::int64_t total = value.time_since_epoch().count();
    if (total >= 0) {
        // Every time after 1970, divided without the corrections for a sign.
        const auto seconds = static_cast<std::uint64_t>(total);
        const std::uint64_t day = seconds / kSecondsPerDay;
        return {static_cast<std::int64_t>(day), static_cast<unsigned>(seconds - day * kSecondsPerDay)};
    }
    // Not total - day * 86400: near the lower end of the range that product overflows.
    const std::int64_t remainder = total % kSecondsPerDay;
    const std::int64_t day = total / kSecondsPerDay - (remainder < 0 ? 1 : 0);
    return {day, static_cast<unsigned>(remainder < 0 ? remainder + kSecondsPerDay : remainder)};
}

// "08:03", or with the seconds "08:03:07".
char* PutClock(char* at, unsigned secondOfDay, bool withSeconds) {
    const unsigned hour = secondOfDay / 3600;
    const unsigned secondOfHour = secondOfDay - hour * 3600;
    const unsigned minute = secondOfHour / 60;
    at = PutTwoDigits(at, hour);
    *at++ = ':';
    at = PutTwoDigits(at, minute);
    if (!withSeconds) return at;
    *at++ = ':';
    return PutTwoDigits(at, secondOfHour - minute * 60);
}

// "2026-12-04T" and "Dec 04, ": the parts before the time of day, as FormatIsoLocalTime and
// FormatMonthDayTime write them.
char* PutIsoDate(char* at, const DateTimeFields& f) {
    if (f.year > kLargestFourDigitYear) *at++ = '+';
    at = PutPadded(at, f.year, 4);
    *at++ = '-';
    at = PutTwoDigits(at, f.month);
    *at++ = '-';
    at = PutTwoDigits(at, f.day);
    *at++ = 'T';
    return at;
}

char* PutMonthDay(char* at, const DateTimeFields& f, const MonthNames& months) {
    at = Put(at, months[static_cast<std::size_t>(f.month - 1)]);
    *at++ = ' ';
    at = PutTwoDigits(at, f.day);
    return Put(at, ", ");
}

// The date part of the times that lines write, made once for each day and copied for the
// other times on that day: a session's start and end, and the end of the one before it,
// mostly fall on a day just written. `writeDate` writes at most kBlock bytes.
template <typename WriteDate>
class DateParts {
public:
    static constexpr std::size_t kBlock = 48;

    explicit DateParts(WriteDate writeDate) : writeDate_(writeDate) {}

    // Needs kBlock bytes of room.
    char* Put(char* at, std::int64_t day, DateTime value) {
        for (const Slot& slot : slots_) {
            if (slot.day != day) continue;
            std::memcpy(at, slot.text, kBlock);
            return at + slot.size;
        }
        // A new day is written twice rather than copied: reading bytes just written, in
        // pieces of another size, waits for the writes to finish.
        const DateTimeFields fields = FieldsOf(value);
        Slot& slot = slots_[next_];
        next_ = 1 - next_;
        slot.day = day;
        slot.size = static_cast<std::size_t>(writeDate_(slot.text, fields) - slot.text);
        return writeDate_(at, fields);
    }

private:
    struct Slot {
        std::int64_t day = INT64_MIN;  // no day of the DateTime range
        std::size_t size = 0;
        char text[kBlock] = {};
    };

    WriteDate writeDate_;
    Slot slots_[2];
    std::size_t next_ = 0;
};

// "2026-12-04T08:03:07" for the times of csv and JSON lines.
class IsoTimes {
public:
    char* Put(char* at, DateTime value, const DayAndSecond& time) {
        return PutClock(dates_.Put(at, time.day, value), time.second, true);
    }

private:
    DateParts<char* (*)(char*, const DateTimeFields&)> dates_{PutIsoDate};
};

struct WriteMonthDay {
    const MonthNames* months;
    char* operator()(char* at, const DateTimeFields& f) const { return PutMonthDay(at, f, *months); }
};

// "Dec 04, 08:03" for the times of session lines.
class MonthDayTimes {
public:
    explicit MonthDayTimes(const MonthNames& months) : months_(months), dates_({&months}) {
        for (const std::string& name : months) longestMonth_ = std::max(longestMonth_, name.size());
    }

    // The room beyond kLineRoom that the two times of a line need.
    std::size_t Room() const { return 2 * std::max(longestMonth_, kDateRoom); }

    char* Put(char* at, DateTime value, const DayAndSecond& time) {
        // Names too long for a date part are written as they come; no locale has them.
        at = longestMonth_ <= kLongestKeptMonth ? dates_.Put(at, time.day, value)
                                                : PutMonthDay(at, FieldsOf(value), months_);
        return PutClock(at, time.second, false);
    }

private:
    static constexpr std::size_t kDateRoom = DateParts<WriteMonthDay>::kBlock;
    // The month's name and " 04, ".
    static constexpr std::size_t kLongestKeptMonth = kDateRoom - 5;

    const MonthNames& months_;
    DateParts<WriteMonthDay> dates_;
    std::size_t longestMonth_ = 0;
};

// "01d 02h 03m", as FormatLongDayDuration writes it.
char* PutDayDuration(char* at, std::int64_t minutes) {
    const auto clamped = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(minutes, INT32_MIN, INT32_MAX));
    const std::int32_t hours = clamped / kMinutesPerHour;
    const std::int32_t days = hours / kHoursPerDay;
    // Sessions last less than a hundred days: two digits each.
    const bool twoDigitDays = clamped >= 0 && days < 100;
    at = twoDigitDays ? PutTwoDigits(at, days) : PutPadded(at, days, 2);
    at = Put(at, "d ");
    at = twoDigitDays ? PutTwoDigits(at, hours % kHoursPerDay) : PutPadded(at, hours % kHoursPerDay, 2);
    at = Put(at, "h ");
    at = twoDigitDays ? PutTwoDigits(at, clamped % kMinutesPerHour)
                      : PutPadded(at, clamped % kMinutesPerHour, 2);
    *at++ = 'm';
    return at;
}

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

// " [Dec 04, 08:03 - Dec 04, 17:30]\t=  00d 09h 27m", as FormatSessionLine writes it, after
// the mark, and the system's name when names are shown.
void WriteSessionLines(const SessionReport& report, ReportWriter& writer) {
    MonthDayTimes times(*report.months);
    const std::size_t room = kLineRoom + times.Room();
    const auto endings = LineEndings(report, [&](std::string_view identity) {
        if (!report.showNames || identity.empty()) return std::string("\n");
        return "  ....  " + FormatSystemName(identity, report.drives) + "\n";
    });
    report.ForEachListed([&](const LogEntry& entry) {
        const DayAndSecond start = SplitTime(entry.start);
        const DayAndSecond end = SplitTime(entry.end);
        char* at = writer.Room(room);
        *at++ = MarkOf(entry.cause);
        at = Put(at, " [");
        at = times.Put(at, entry.start, start);
        at = Put(at, " - ");
        at = times.Put(at, entry.end, end);
        at = Put(at, "]\t=  ");
        at = PutDayDuration(at, end.MinutesSince(start));
        PutOrWrite(writer, at, endings[entry.system]);
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

void WriteCsv(const SessionReport& report, ReportWriter& writer) {
    writer.Text("start,end,minutes,cause,system\n");
    const auto endings = LineEndings(
        report, [](std::string_view identity) { return CsvField(identity) + "\n"; });
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
        at = PutNumber(at, entry.cause);
        *at++ = ',';
        PutOrWrite(writer, at, endings[entry.system]);
    });
}

void WriteJson(const SessionReport& report, ReportWriter& writer) {
    writer.Text("{\n");
    writer.Text(JsonStatistics(report));
    writer.Text(",\n  \"sessions\": [");
    const auto endings = LineEndings(
        report, [](std::string_view identity) { return JsonString(identity) + "}"; });
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
        at = PutNumber(at, entry.cause);
        at = Put(at, ", \"system\": ");
        PutOrWrite(writer, at, endings[entry.system]);
        separator = ",\n    ";
    });
    writer.Text(report.listedCount == 0 ? "]\n}\n" : "\n  ]\n}\n");
}

}  // namespace

void WriteReport(const SessionReport& report, ReportFormat format, ReportOutput& output) {
    ReportWriter writer(output);
    switch (format) {
    case ReportFormat::kCsv: return WriteCsv(report, writer);
    case ReportFormat::kJson: return WriteJson(report, writer);
    case ReportFormat::kText: break;
    }
    WriteText(report, writer);
}

std::string FormatIsoLocalTime(DateTime value) {
    char text[2 * kMostNumberLength];
    const char* end = PutClock(PutIsoDate(text, FieldsOf(value)), SplitTime(value).second, true);
    return std::string(text, static_cast<std::size_t>(end - text));
}

}  // namespace uptrail
