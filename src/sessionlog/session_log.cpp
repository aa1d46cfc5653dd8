#include "sessionlog/session_log.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>
#include <span>
#include <string>

#include "base/timestamp.h"
#include "storage/atomic_file.h"
#include "storage/file_checks.h"
#include "storage/section_text.h"
#include "storage/text_lines.h"

namespace uptrail {
namespace {

constexpr char kFieldSeparator = '=';
// Start, end and cause make an entry; the system field is optional.
constexpr std::size_t kMinEntryFields = 3;
// StatsFrom is where statistics would start after Erase Oldest Data, so it looks as far
// back as that command keeps.
constexpr std::size_t kStatsWindow = kEraseOldestLimit;

using EntryLines = std::vector<std::string_view>;

bool IsEntryLine(std::string_view line) {
    const auto separators = std::count(line.begin(), line.end(), kFieldSeparator);
    return static_cast<std::size_t>(separators) + 1 >= kMinEntryFields;
}

std::string_view StartField(std::string_view line) {
    return line.substr(0, line.find(kFieldSeparator));
}

EntryLines EntriesAmong(const std::vector<std::string_view>& lines) {
    EntryLines entries;
    entries.reserve(lines.size());
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(entries), IsEntryLine);
    return entries;
}

// Entries stand oldest first, so the newest are the last ones.
std::span<const std::string_view> NewestOf(const EntryLines& entries, std::size_t limit) {
    const std::size_t count = std::min(entries.size(), limit);
    return std::span<const std::string_view>(entries).last(count);
}

TrimResult Summarize(std::span<const std::string_view> entries, DateTime bootTime, DateTime now) {
    TrimResult result{bootTime, 0, kOk};
    if (entries.empty()) return result;
    const std::size_t first = entries.size() > kStatsWindow ? entries.size() - kStatsWindow : 0;
    result.statsFrom = ParseTimestamp(StartField(entries[first]), TimestampPart::kDateAndTime, now);
    result.logCount = static_cast<int>(entries.size());
    return result;
}

std::string JoinLines(std::span<const std::string_view> lines) {
    std::string text;
    std::size_t size = 0;
    for (const auto line : lines) size += line.size() + kCrLf.size();
    text.reserve(size);
    for (const auto line : lines) {
        if (!text.empty()) text.append(kCrLf);
        text.append(line);
    }
    return text;
}

// The lines of a section that goes with the sessions, as they stay after a trim.
struct KeptSection {
    std::string_view name;
    std::string lines;
    bool changed = false;
};

// Keeps the section's lines of at least `minFields` fields whose key (a time stamp) lies
// at or after `keepFrom`, and of those the newest `limit`, in their stored order.
KeptSection KeepLines(std::string_view fileText, std::string_view name,
                      std::optional<DateTime> keepFrom, std::size_t limit, std::size_t minFields,
                      DateTime now) {
    const std::string text = LoadSectionText(fileText, name);
    const auto lines = SplitLines(text);
    std::vector<std::string_view> kept;
    kept.reserve(lines.size());
    for (const std::string_view line : lines) {
        const auto separators = std::count(line.begin(), line.end(), kFieldSeparator);
        if (static_cast<std::size_t>(separators) + 1 < minFields) continue;
        if (keepFrom &&
            ParseTimestamp(StartField(line), TimestampPart::kDateAndTime, now) < *keepFrom)
            continue;
        kept.push_back(line);
    }
    const auto newest = std::span<const std::string_view>(kept).last(std::min(kept.size(), limit));
    return {name, JoinLines(newest), newest.size() != lines.size()};
}

// The sections that go with the sessions, trimmed to what is kept of "Log".
std::array<KeptSection, 2> KeepRelated(std::string_view fileText, std::optional<DateTime> keepFrom,
                                       DateTime now) {
    constexpr std::size_t kSleepFields = 3;
    constexpr std::size_t kReasonFields = 2;
    const auto limit = static_cast<std::size_t>(kStartupLogLimit);
    return {KeepLines(fileText, kSleepSection, keepFrom, limit, kSleepFields, now),
            KeepLines(fileText, kReasonSection, keepFrom, limit, kReasonFields, now)};
}

// Rewrites the changed sections in a single replace: with one replace per section, a
// failure after the first would leave the sections at odds, and for "Log" the bytes match
// emptying the section and then saving the kept lines as two section saves (the emptied
// block leaves a blank line before the new one), which with two replaces could lose every
// entry. `logLines` is left out when "Log" stays as it is. Like a section save, the
// rewrite never creates the file.
OsError RewriteSections(FileSystem& files, const std::filesystem::path& logFile,
                        std::string_view contents, std::optional<std::string_view> logLines,
                        std::span<const KeptSection> related) {
    if (!FileExists(files, logFile)) return kOk;
    std::string rewritten(contents);
    if (logLines) {
        rewritten = SaveSectionText(rewritten, kLogSection, "");
        if (!logLines->empty()) rewritten = SaveSectionText(rewritten, kLogSection, *logLines);
    }
    for (const KeptSection& section : related)
        if (section.changed) rewritten = SaveSectionText(rewritten, section.name, section.lines);
    return ReplaceFileContents(files, logFile, rewritten);
}

bool AnyChanged(std::span<const KeptSection> sections) {
    return std::any_of(sections.begin(), sections.end(),
                       [](const KeptSection& section) { return section.changed; });
}

}  // namespace

TrimResult TrimLog(FileSystem& files, const std::filesystem::path& logFile, bool eraseOldest,
                   DateTime bootTime, DateTime now) {
    const LogFileText file = ReadLogFile(files, logFile);
    if (file.error != kOk) return {bootTime, 0, file.error};
    const std::string logText = LoadSectionText(file.text, kLogSection);
    const auto lines = SplitLines(logText);

    const EntryLines entries = EntriesAmong(lines);
    const std::size_t limit =
        static_cast<std::size_t>(eraseOldest ? kEraseOldestLimit : kStartupLogLimit);
    const auto kept = NewestOf(entries, limit);
    TrimResult result = Summarize(kept, bootTime, now);
    // Sleep and reasons from before the oldest entry kept belong to the sessions dropped.
    std::optional<DateTime> keepFrom;
    if (!kept.empty() && kept.size() < entries.size())
        keepFrom = ParseTimestamp(StartField(kept.front()), TimestampPart::kDateAndTime, now);
    const auto related = KeepRelated(file.text, keepFrom, now);
    const bool logChanged = kept.size() != lines.size();
    if (!logChanged && !AnyChanged(related)) return result;

    const std::string keptLines = JoinLines(kept);
    const auto logLines = logChanged ? std::optional<std::string_view>(keptLines) : std::nullopt;
    if (const OsError error = RewriteSections(files, logFile, file.text, logLines, related);
        error != kOk) {
        // Nothing was dropped from the file, so count what it still holds: Erase Oldest
        // Data then stays on offer for another try.
        TrimResult unchanged = Summarize(entries, bootTime, now);
        unchanged.error = error;
        return unchanged;
    }
    // The entries are safely written; the attributes only guard the file against casual
    // edits, and the next write of an entry sets them again.
    static_cast<void>(ProtectLogFile(files, logFile));
    return result;
}

OsError ClearLogBefore(FileSystem& files, const std::filesystem::path& logFile, DateTime keepFrom,
                       DateTime now) {
    const LogFileText file = ReadLogFile(files, logFile);
    if (file.error != kOk) return file.error;
    const auto related = KeepRelated(file.text, keepFrom, now);
    return RewriteSections(files, logFile, file.text, std::string_view(), related);
}

OsError SetLogValue(FileSystem& files, const std::filesystem::path& logFile,
                    std::string_view section, std::string_view key, std::string_view value) {
    if (logFile.empty()) return kOk;
    std::string text;
    const OsError readError = files.ReadWholeFile(logFile, text);
    // Rewriting a file we could not read would throw its contents away.
    if (readError != kOk && !IsNotFound(readError)) return readError;
    if (readError != kOk) text.clear();
    // The line goes where the readers of the section find it, at the end of its body;
    // the profile functions, which end a section at other lines, could put it elsewhere.
    const OsError written = SetSectionValue(text, section, key, value)
                                ? ReplaceFileContents(files, logFile, text)
                                : kOk;
    const OsError protection = ProtectLogFile(files, logFile);
    return written != kOk ? written : protection;
}

OsError AppendSessionEntry(FileSystem& files, const std::filesystem::path& logFile,
                           const SessionEntry& entry) {
    std::string value = entry.end;
    value.append(1, kFieldSeparator)
        .append(std::to_string(static_cast<int>(entry.cause)))
        .append(1, kFieldSeparator)
        .append(entry.system);
    return SetLogValue(files, logFile, kLogSection, entry.start, value);
}

OsError ProtectLogFile(FileSystem& files, const std::filesystem::path& logFile) {
    return files.SetAttributes(logFile, kLogFileAttributes);
}

LogFileText ReadLogFile(FileSystem& files, const std::filesystem::path& logFile) {
    LogFileText read;
    if (!FileExists(files, logFile)) return read;
    if (const OsError error = files.ReadWholeFile(logFile, read.text); error != kOk) {
        read.text.clear();
        read.error = IsNotFound(error) ? kOk : error;
    }
    return read;
}

}  // namespace uptrail
