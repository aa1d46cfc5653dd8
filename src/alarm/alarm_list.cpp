#include "alarm/alarm_list.h"

#include <algorithm>

#include "alarm/alarm_schedule.h"
#include "base/duration_text.h"
#include "base/timestamp.h"
#include "storage/section_file.h"

namespace uptrail {
namespace {

constexpr std::string_view kAlarmSection = "Alarm";
constexpr std::string_view kLineBreak = "\r\n";
constexpr char kFieldSeparator = '=';
constexpr int kMaxRepeatHours = 9999;
constexpr int kMaxRepeatMinutes = 59;

int ClampedField(std::string_view text, int high) {
    return std::clamp(static_cast<int>(TimestampFieldValue(text)), 0, high);
}

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find(kLineBreak);
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + kLineBreak.size());
    }
    return lines;
}

// Which entries a save drops: stopped ones that no window holds, and every entry that
// repeats an earlier one's key and repeat (of duplicates the lowest index survives,
// whatever their titles). An entry a window holds stays, even stopped or doubled: the
// window still writes to it.
std::vector<bool> PurgeMarks(const std::vector<AlarmEntry>& entries) {
    std::vector<bool> purge(entries.size(), false);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].Key.empty()) purge[i] = purge[i] || entries[i].hWnd == 0;
        if (entries[i].Key.empty() || purge[i]) continue;
        for (std::size_t j = i + 1; j < entries.size(); ++j) {
            if (entries[j].hWnd == 0 && entries[j].Key == entries[i].Key &&
                entries[j].Repeat == entries[i].Repeat)
                purge[j] = true;
        }
    }
    return purge;
}

// The time stamp text has fixed-width fields, so ordering by text is ordering by time.
// A stable sort keeps equal keys in index order.
void PurgeAndSort(std::vector<AlarmEntry>& entries) {
    const std::vector<bool> purge = PurgeMarks(entries);
    std::vector<AlarmEntry> kept;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (!purge[i]) kept.push_back(std::move(entries[i]));
    std::stable_sort(kept.begin(), kept.end(),
                     [](const AlarmEntry& a, const AlarmEntry& b) { return a.Key < b.Key; });
    entries = std::move(kept);
}

// A repeating alarm loaded after its due time moves on, by the interval of its stored
// due time, to the first occurrence after now.
void AdvancePastNow(AlarmEntry& entry, DateTime now) {
    const DateTime due = ParseTimestamp(entry.Key, TimestampPart::kDateAndTime, now);
    const DateTime next = AdvanceDueTime(due, RepeatMinutes(entry.Repeat, due), now);
    if (next != due) entry.Key = FormatTimestamp(next);
}

// The alarm lines of the file. A line without a single "=" is no alarm the program
// wrote; it would only ring at once with the current time for its due time.
std::vector<std::string> StoredAlarmLines(FileSystem& files, const std::filesystem::path& logFile) {
    const std::string section = LoadSection(files, logFile, kAlarmSection, "").text;
    std::vector<std::string> lines;
    for (const std::string_view line : SplitLines(section))
        if (line.find(kFieldSeparator) != std::string_view::npos) lines.emplace_back(line);
    return lines;
}

// Takes one line equal to `line` out of `lines`; false when there is none.
bool TakeLine(std::vector<std::string>& lines, const std::string& line) {
    const auto found = std::find(lines.begin(), lines.end(), line);
    if (found == lines.end()) return false;
    lines.erase(found);
    return true;
}

// Three ways: what this copy changed since `base` (lines dropped from it, lines added to
// it) is done to `current`, the file's lines now. Of this copy's alarms those stay that
// the result still holds or that a window holds; the other copies' new lines follow.
MergedAlarms Merged(const std::vector<AlarmEntry>& own, const std::vector<std::string>& base,
                    std::vector<std::string> current) {
    std::vector<std::string> ownLines;
    for (const AlarmEntry& entry : own) ownLines.push_back(AlarmLine(entry));
    std::vector<std::string> unchanged = base;
    std::vector<std::string> added;
    for (const std::string& line : ownLines)
        if (!TakeLine(unchanged, line)) added.push_back(line);
    // What is left of the base this copy dropped or changed.
    for (const std::string& line : unchanged) TakeLine(current, line);
    current.insert(current.end(), added.begin(), added.end());

    MergedAlarms merged;
    for (std::size_t i = 0; i < own.size(); ++i)
        if (TakeLine(current, ownLines[i]) || own[i].hWnd != 0) merged.entries.push_back(own[i]);
    for (const std::string& line : current) merged.entries.push_back(ParseAlarmLine(line));
    return merged;
}

}  // namespace

int AlarmList::AddEmpty() {
    entries_.emplace_back();
    entries_.back().Repeat = std::string(kNoRepeat);
    return AlarmUpperBound();
}

void AlarmList::Replace(std::vector<AlarmEntry> entries) { entries_ = std::move(entries); }

std::string NormalisedRepeat(std::string_view stored) {
    if (!stored.empty() && stored.front() == '#')
        return std::string("#").append(std::to_string(TimestampFieldValue(stored.substr(1))));
    const std::string_view trimmed = Trimmed(stored);
    const auto firstColon = trimmed.find(':');
    const auto secondColon = trimmed.find(':', firstColon + 1);
    if (firstColon == std::string_view::npos || secondColon == std::string_view::npos ||
        trimmed.find(':', secondColon + 1) != std::string_view::npos)
        return std::string(kNoRepeat);
    const int hours = ClampedField(trimmed.substr(0, firstColon), kMaxRepeatHours);
    const int minutes = ClampedField(trimmed.substr(firstColon + 1, secondColon - firstColon - 1),
                                     kMaxRepeatMinutes);
    return FormatPadded(hours, 4) + ":" + FormatPadded(minutes, 2) + ":00";
}

AlarmEntry ParseAlarmLine(std::string_view line) {
    AlarmEntry entry;
    const auto keyEnd = line.find(kFieldSeparator);
    entry.Key = std::string(line.substr(0, keyEnd));
    std::string_view rest = keyEnd == std::string_view::npos ? "" : line.substr(keyEnd + 1);
    const auto repeatEnd = rest.find(kFieldSeparator);
    entry.Repeat = NormalisedRepeat(rest.substr(0, repeatEnd));
    if (repeatEnd != std::string_view::npos) entry.Title = std::string(rest.substr(repeatEnd + 1));
    return entry;
}

std::string AlarmLine(const AlarmEntry& entry) {
    return entry.Key + kFieldSeparator + entry.Repeat + kFieldSeparator + entry.Title;
}

void LoadAlarms(AlarmList& alarms, FileSystem& files, const std::filesystem::path& logFile,
                bool advance, DateTime now) {
    const std::vector<std::string> lines = StoredAlarmLines(files, logFile);
    alarms.SetStoredLines(lines);
    std::vector<AlarmEntry> entries;
    for (const std::string& line : lines) {
        entries.push_back(ParseAlarmLine(line));
        if (advance) AdvancePastNow(entries.back(), now);
    }
    if (entries.empty()) return;
    alarms.Replace(std::move(entries));
}

void SaveAlarms(AlarmList& alarms, FileSystem& files, const std::filesystem::path& logFile) {
    MergedAlarms merged;
    // Not reported, by design: the list in memory stays right, and the next save tries again.
    if (WriteAlarms(alarms, files, logFile, merged) == kOk)
        AdoptAlarms(alarms, std::move(merged));
    else
        PurgeAndSort(alarms.Entries());
}

OsError WriteAlarms(const AlarmList& alarms, FileSystem& files,
                    const std::filesystem::path& logFile, MergedAlarms& merged) {
    std::vector<AlarmEntry> own = alarms.Entries();
    PurgeAndSort(own);
    merged = Merged(own, alarms.StoredLines(), StoredAlarmLines(files, logFile));
    PurgeAndSort(merged.entries);
    std::string text;
    merged.storedLines.clear();
    for (const AlarmEntry& entry : merged.entries) {
        if (!text.empty()) text += kLineBreak;
        text += AlarmLine(entry);
        merged.storedLines.push_back(AlarmLine(entry));
    }
    return SaveSection(files, logFile, kAlarmSection, text, kLineBreak);
}

MergedAlarms ReloadedAlarms(const AlarmList& alarms, FileSystem& files,
                            const std::filesystem::path& logFile) {
    std::vector<std::string> stored = StoredAlarmLines(files, logFile);
    MergedAlarms merged = Merged(alarms.Entries(), alarms.StoredLines(), stored);
    merged.storedLines = std::move(stored);
    return merged;
}

void AdoptAlarms(AlarmList& alarms, MergedAlarms merged) {
    alarms.Replace(std::move(merged.entries));
    alarms.SetStoredLines(std::move(merged.storedLines));
}

std::optional<int> FindOwnEntry(const AlarmList& alarms, std::string_view key,
                                std::uintptr_t window) {
    const std::vector<AlarmEntry>& entries = alarms.Entries();
    const auto index = [&](auto found) { return static_cast<int>(found - entries.begin()); };
    if (window != 0) {
        const auto held = std::find_if(entries.begin(), entries.end(),
                                       [&](const AlarmEntry& e) { return e.hWnd == window; });
        if (held != entries.end()) return index(held);
    }
    const auto free = [](const AlarmEntry& e) { return e.hWnd == 0; };
    const auto byKey = std::find_if(entries.begin(), entries.end(),
                                    [&](const AlarmEntry& e) { return e.Key == key && free(e); });
    if (byKey != entries.end()) return index(byKey);
    const auto stopped = std::find_if(entries.rbegin(), entries.rend(), [&](const AlarmEntry& e) {
        return e.Key.empty() && free(e);
    });
    if (stopped != entries.rend()) return static_cast<int>(entries.rend() - stopped) - 1;
    return std::nullopt;
}

}  // namespace uptrail
