#include "sessionlog/past_import.h"

#include <algorithm>
#include <span>
#include <vector>

#include "base/timestamp.h"
#include "sessionlog/end_reason.h"
#include "sessionlog/log_entries.h"
#include "sessionlog/session_log.h"
#include "sessionlog/sleep_log.h"
#include "sessionlog/system_filter.h"
#include "storage/section_text.h"
#include "storage/text_lines.h"

namespace uptrail {
namespace {

constexpr std::size_t kTrimLimit = static_cast<std::size_t>(kStartupLogLimit);

// The logged sessions' times, ready to tell whether a session overlaps any of them.
class LoggedTimes {
public:
    explicit LoggedTimes(std::span<const LogEntry> entries) {
        std::vector<const LogEntry*> byStart;
        byStart.reserve(entries.size());
        for (const LogEntry& entry : entries) byStart.push_back(&entry);
        std::sort(byStart.begin(), byStart.end(),
                  [](const LogEntry* a, const LogEntry* b) { return a->start < b->start; });
        for (const LogEntry* entry : byStart) {
            starts_.push_back(entry->start);
            latestEnds_.push_back(latestEnds_.empty() ? entry->end
                                                      : std::max(latestEnds_.back(), entry->end));
        }
    }

    // Of the sessions that start before `end`, whether one ends after `start`.
    bool Overlap(DateTime start, DateTime end) const {
        const auto before = std::lower_bound(starts_.begin(), starts_.end(), end) - starts_.begin();
        return before > 0 && latestEnds_[static_cast<std::size_t>(before) - 1] > start;
    }

private:
    std::vector<DateTime> starts_;
    std::vector<DateTime> latestEnds_;  // the latest end among the sessions up to each
};

std::optional<DateTime> OldestSessionOf(const LogEntries& log, std::string_view system) {
    std::optional<DateTime> oldest;
    for (const LogEntry& entry : log.entries)
        if (entry.system != kNoSystem && SameIdentity(log.identities[entry.system], system))
            oldest = oldest ? std::min(*oldest, entry.start) : entry.start;
    return oldest;
}

// The past sessions that may go in, oldest first.
std::vector<const PastSession*> SessionsToAdd(const LogEntries& log, const PastSessions& past,
                                              std::string_view system) {
    const std::optional<DateTime> oldest = OldestSessionOf(log, system);
    const LoggedTimes logged(log.entries);
    std::vector<const PastSession*> added;
    for (const PastSession& session : past.sessions) {
        if (session.end < session.start || (oldest && session.end >= *oldest)) continue;
        if (!logged.Overlap(session.start, session.end)) added.push_back(&session);
    }
    const std::size_t room = kTrimLimit - std::min(kTrimLimit, log.entries.size());
    if (added.size() > room) added.erase(added.begin(), added.end() - static_cast<long>(room));
    return added;
}

// Whether `sleep` lies in one of the sessions, which are oldest first and apart.
bool InsideOne(const SleepPeriod& sleep, std::span<const PastSession* const> sessions) {
    const auto after = std::upper_bound(
        sessions.begin(), sessions.end(), sleep.start,
        [](DateTime time, const PastSession* session) { return time < session->start; });
    return after != sessions.begin() && sleep.end <= (*(after - 1))->end;
}

void AddLine(std::string& lines, std::initializer_list<std::string_view> fields) {
    bool first = true;
    for (const std::string_view field : fields) {
        if (!first) lines.push_back('=');
        lines.append(field);
        first = false;
    }
    lines.append(kCrLf);
}

std::string SleepLines(std::string_view fileText, const PastSessions& past,
                       std::span<const PastSession* const> added, DateTime now) {
    std::vector<const SleepPeriod*> inside;
    for (const SleepPeriod& sleep : past.sleeps)
        if (InsideOne(sleep, added)) inside.push_back(&sleep);
    const std::size_t held = ReadSleepPeriods(fileText, now).size();
    const std::size_t room = kTrimLimit - std::min(kTrimLimit, held);
    if (inside.size() > room) inside.erase(inside.begin(), inside.end() - static_cast<long>(room));
    std::string lines;
    for (const SleepPeriod* sleep : inside)
        AddLine(lines, {FormatTimestamp(sleep->start), FormatTimestamp(sleep->end), sleep->system});
    return lines;
}

}  // namespace

PastImport AddPastSessions(std::string_view fileText, const PastSessions& past,
                           std::string_view system, DateTime now) {
    PastImport import{std::string(fileText), 0};
    const LogEntries log = ReadLogEntries(fileText, now);
    const std::vector<const PastSession*> added = SessionsToAdd(log, past, system);
    if (added.empty()) return import;

    std::string sessionLines;
    std::string reasonLines;
    for (const PastSession* session : added) {
        const std::string start = FormatTimestamp(session->start);
        AddLine(sessionLines, {start, FormatTimestamp(session->end),
                               std::to_string(static_cast<int>(session->cause)), system});
        if (const std::string reason = StoredReasonText(session->reason); !reason.empty())
            AddLine(reasonLines, {start, reason});
    }
    PrependSectionLines(import.text, kLogSection, sessionLines);
    PrependSectionLines(import.text, kSleepSection, SleepLines(fileText, past, added, now));
    PrependSectionLines(import.text, kReasonSection, reasonLines);
    import.sessions = added.size();
    return import;
}

}  // namespace uptrail
