#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/date_time.h"
#include "platform/file_system.h"

namespace uptrail {

// A repeat that is no repeat: the custom interval of zero hours and minutes.
inline constexpr std::string_view kNoRepeat = "0000:00:00";

// One alarm: when it is due, how it repeats, and what it is for.
struct AlarmEntry {
    // The due time as time stamp text, and the alarm's identity: a window finds its entry
    // by it, the alarm's menu item carries it. "" while the alarm is stopped or new.
    std::string Key;
    // "hhhh:mm:00" for a custom interval, or "#1".."#4" for a day, week, month or year.
    std::string Repeat;
    std::string Title;
    // The alarm window that shows this entry; 0 when none does. Never stored.
    std::uintptr_t hWnd = 0;

    friend bool operator==(const AlarmEntry&, const AlarmEntry&) = default;
};

// Every alarm of the program, kept in the "Alarm" section of the session log.
class AlarmList {
public:
    // The highest index, or -1 while the list is empty.
    int AlarmUpperBound() const { return static_cast<int>(entries_.size()) - 1; }
    bool Empty() const { return entries_.empty(); }

    std::vector<AlarmEntry>& Entries() { return entries_; }
    const std::vector<AlarmEntry>& Entries() const { return entries_; }
    AlarmEntry& operator[](int index) { return entries_[static_cast<std::size_t>(index)]; }
    const AlarmEntry& operator[](int index) const {
        return entries_[static_cast<std::size_t>(index)];
    }

    // A new, empty alarm at the end; its index.
    int AddEmpty();
    void Replace(std::vector<AlarmEntry> entries);

    // The alarm lines of the file as this copy last read or wrote them: what its own
    // changes since are told from, so that a save changes only those.
    const std::vector<std::string>& StoredLines() const { return storedLines_; }
    void SetStoredLines(std::vector<std::string> lines) { storedLines_ = std::move(lines); }

private:
    std::vector<AlarmEntry> entries_;
    std::vector<std::string> storedLines_;
};

// The list as a save or a reload leaves it: this copy's alarms with the changes other
// copies stored meanwhile, and the lines the file then holds.
struct MergedAlarms {
    std::vector<AlarmEntry> entries;
    std::vector<std::string> storedLines;
};

// The stored repeat in its one canonical form: "#" and a whole number, or "hhhh:mm:00"
// with hours 0..9999 and minutes 0..59; anything else is no repeat.
std::string NormalisedRepeat(std::string_view stored);

// One stored line, "Key=Repeat=Title". The title is everything after the second "=", so a
// title that holds "=" itself comes back whole.
AlarmEntry ParseAlarmLine(std::string_view line);
std::string AlarmLine(const AlarmEntry& entry);

// Replaces the list with the alarms of the log file's "Alarm" section. With `advance`, a
// repeating alarm that lies in the past moves on to its first occurrence after `now`.
// A file without alarm lines leaves the list as it was.
void LoadAlarms(AlarmList& alarms, FileSystem& files, const std::filesystem::path& logFile,
                bool advance, DateTime now);

// Drops stopped alarms that no window holds and every later duplicate of an alarm (same
// key and repeat), sorts the rest by due time and writes them to the "Alarm" section. A
// write that fails leaves the file as it was and is not reported. See WriteAlarms.
void SaveAlarms(AlarmList& alarms, FileSystem& files, const std::filesystem::path& logFile);

// The "Alarm" section as it stands, with this copy's changes since it last read or wrote
// it (alarms added, changed, stopped or dropped) made to it, and nothing else: an alarm
// another copy added, changed or deleted meanwhile stays as that copy left it. Written
// cleaned and sorted as SaveAlarms describes; `merged` is the list to take over once the
// write is in the file.
[[nodiscard]] OsError WriteAlarms(const AlarmList& alarms, FileSystem& files,
                                  const std::filesystem::path& logFile, MergedAlarms& merged);

// The list with the section as another copy left it: this copy's unsaved changes and the
// alarms its windows hold stay; everything else is as the file says.
MergedAlarms ReloadedAlarms(const AlarmList& alarms, FileSystem& files,
                            const std::filesystem::path& logFile);

// Takes over a merged list.
void AdoptAlarms(AlarmList& alarms, MergedAlarms merged);

// The index of the entry that the alarm window `window`, opened for `key`, shows: the
// entry the window holds; else the first entry with that key that no other window holds;
// else the last stopped entry that no window holds; none when there is none of these.
[[nodiscard]] std::optional<int> FindOwnEntry(const AlarmList& alarms, std::string_view key,
                                              std::uintptr_t window);

}  // namespace uptrail
