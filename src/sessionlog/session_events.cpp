#include "sessionlog/session_events.h"

#include <optional>
#include <string>

#include "base/csv_field.h"
#include "base/text_encoding.h"
#include "base/timestamp.h"
#include "sessionlog/end_reason.h"
#include "sessionlog/log_entries.h"
#include "sessionlog/sleep_log.h"
#include "sessionlog/statistics.h"

namespace uptrail {
namespace {

// The strings as one line for tools that read an event's raw data.
std::string DataLine(const std::vector<std::string>& strings) {
    std::string line;
    for (const std::string& text : strings) {
        if (!line.empty()) line += ',';
        line += CsvField(text);
    }
    return Utf8FromAnsi(line);
}

LogEvent EventOf(std::uint32_t id, EventLevel level, std::vector<std::string> strings) {
    LogEvent event{id, level, std::move(strings), {}};
    event.data = DataLine(event.strings);
    return event;
}

std::uint32_t IdOf(SessionCause cause) {
    switch (cause) {
    case SessionCause::kCrashed: return kCrashedEvent;
    case SessionCause::kProgramClosed: return kClosedByHandEvent;
    default: return kEndedByWindowsEvent;
    }
}

// The latest end of another session at or before `start`: when the PC went off before it.
std::optional<DateTime> PreviousEnd(const LogEntries& log, DateTime start, DateTime end) {
    std::optional<DateTime> previous;
    for (const LogEntry& entry : log.entries) {
        if (entry.start == start && entry.end == end) continue;
        if (entry.end <= start && (!previous || *previous < entry.end)) previous = entry.end;
    }
    return previous;
}

}  // namespace

LogEvent LoggedSessionEvent(std::string_view fileText, const SessionEntry& entry, DateTime now) {
    const DateTime start = ParseTimestamp(entry.start, TimestampPart::kDateAndTime, now);
    const DateTime end = ParseTimestamp(entry.end, TimestampPart::kDateAndTime, now);
    const LogEntries log = ReadLogEntries(fileText, now);
    const auto previous = PreviousEnd(log, start, end);
    const auto sleeps = ReadSleepPeriods(fileText, now);
    return EventOf(
        IdOf(entry.cause),
        entry.cause == SessionCause::kCrashed ? EventLevel::kWarning : EventLevel::kInformation,
        {FormatIsoLocalTime(start), FormatIsoLocalTime(end),
         std::to_string(MinuteBoundaries(start, end)), entry.system,
         previous ? std::to_string(MinuteBoundaries(*previous, start)) : std::string(),
         std::to_string(SleepMinutesIn(sleeps, entry.system, start, end)),
         std::string(EndReasons::Read(fileText).Of(start))});
}

LogEvent HistoryClearedEvent(std::string_view command, DateTime cutOff, std::int64_t removed,
                             std::string_view system) {
    return EventOf(kHistoryClearedEvent, EventLevel::kInformation,
                   {std::string(command), FormatIsoLocalTime(cutOff), std::to_string(removed),
                    std::string(system)});
}

}  // namespace uptrail
