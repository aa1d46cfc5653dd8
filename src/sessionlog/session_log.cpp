#include "sessionlog/session_log.h"

#include <algorithm>
#include <iterator>
#include <span>
#include <string>

#include "base/timestamp.h"
#include "storage/atomic_file.h"
#include "storage/file_checks.h"
#include "storage/section_file.h"
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

// The bytes match emptying the section and then saving the kept lines as two section
// saves (the emptied block leaves a blank line before the new one), but they reach the
// disk in a single replace: with two, a failure after the first would lose every entry.
OsError RewriteLogSection(FileSystem& files, const std::filesystem::path& logFile,
                          std::string_view keptLines) {
    // Like a section save, the rewrite never creates the file.
    if (!FileExists(files, logFile)) return kOk;
    std::string contents;
    if (const OsError error = files.ReadWholeFile(logFile, contents); error != kOk)
        return IsNotFound(error) ? kOk : error;
    std::string rewritten = SaveSectionText(contents, kLogSection, "");
    if (!keptLines.empty()) rewritten = SaveSectionText(rewritten, kLogSection, keptLines);
    return ReplaceFileContents(files, logFile, rewritten);
}

}  // namespace

TrimResult TrimLog(FileSystem& files, const std::filesystem::path& logFile, bool eraseOldest,
                   DateTime bootTime, DateTime now) {
    const LoadedSection loaded = LoadSection(files, logFile, kLogSection);
    if (loaded.error != kOk) return {bootTime, 0, loaded.error};
    const auto lines = SplitLines(loaded.text);
    if (lines.empty()) return {bootTime, 0, kOk};

    const EntryLines entries = EntriesAmong(lines);
    const std::size_t limit =
        static_cast<std::size_t>(eraseOldest ? kEraseOldestLimit : kStartupLogLimit);
    const auto kept = NewestOf(entries, limit);
    TrimResult result = Summarize(kept, bootTime, now);
    if (kept.size() == lines.size()) return result;

    if (const OsError error = RewriteLogSection(files, logFile, JoinLines(kept)); error != kOk) {
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

OsError AppendSessionEntry(FileSystem& files, const std::filesystem::path& logFile,
                           const SessionEntry& entry) {
    if (logFile.empty()) return kOk;
    std::string text;
    const OsError readError = files.ReadWholeFile(logFile, text);
    // Rewriting a file we could not read would throw its contents away.
    if (readError != kOk && !IsNotFound(readError)) return readError;
    if (readError != kOk) text.clear();

    std::string value = entry.end;
    value.append(1, kFieldSeparator)
        .append(std::to_string(static_cast<int>(entry.cause)))
        .append(1, kFieldSeparator)
        .append(entry.system);
    // The entry goes where the readers of the section find it, at the end of its body;
    // the profile functions, which end a section at other lines, could put it elsewhere.
    const OsError written = SetSectionValue(text, kLogSection, entry.start, value)
                                ? ReplaceFileContents(files, logFile, text)
                                : kOk;
    const OsError protection = ProtectLogFile(files, logFile);
    return written != kOk ? written : protection;
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
