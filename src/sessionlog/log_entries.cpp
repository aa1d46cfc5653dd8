#include "sessionlog/log_entries.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "base/plain_stamp.h"
#include "base/timestamp.h"
#include "sessionlog/session_log.h"
#include "storage/section_text.h"
#include "storage/text_lines.h"

namespace uptrail {
namespace {

constexpr auto npos = std::string_view::npos;
constexpr char kFieldSeparator = '=';
constexpr char kDelimiter = kDefaultSectionDelimiter[0];
constexpr char kComment = ';';
constexpr char kHeaderStart = '[';
constexpr char kHeaderEnd = ']';
// The stored form up to the cause: "yyyy:mm:dd:hh:nn:ss=yyyy:mm:dd:hh:nn:ss=c".
constexpr std::size_t kEndStampAt = kPlainStampLength + 1;
constexpr std::size_t kCauseAt = 2 * kEndStampAt;
constexpr std::size_t kAfterCause = kCauseAt + 1;
// Start, end and cause make an entry; the system field is the fourth.
constexpr std::size_t kMinEntryFields = 3;
constexpr std::size_t kReadFields = 4;
// A log names a few systems: they are looked up by comparison while there are this few.
constexpr std::size_t kFewIdentities = 8;
// Room is made for the entries the text can hold at their usual length, up to a full log
// and its trim's share; only the part filled is ever touched.
constexpr std::size_t kShortestStoredLine = kAfterCause + 1;
constexpr std::size_t kMostReserved = 2 * static_cast<std::size_t>(kStartupLogLimit);

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

// Whether `text` starts with `prefix`. Every entry's system is compared with the systems
// known so far; a call into the library for each costs more than the comparison.
bool StartsWith(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    const std::size_t size = prefix.size();
    if (size < sizeof(std::uint64_t)) return text.substr(0, size) == prefix;
    std::uint64_t differ = 0;
    for (std::size_t at = 0;; at += sizeof(std::uint64_t)) {
        // The last word overlaps the one before it rather than reading beyond the prefix.
        const std::size_t from = std::min(at, size - sizeof(std::uint64_t));
        std::uint64_t a;
        std::uint64_t b;
        std::memcpy(&a, text.data() + from, sizeof a);
        std::memcpy(&b, prefix.data() + from, sizeof b);
        differ |= a ^ b;
        if (from + sizeof(std::uint64_t) == size) return differ == 0;
    }
}

std::size_t LineEnd(std::string_view text, std::size_t start) {
    return std::min(FindLineBreak(text, start), text.size());
}

bool IsLogHeader(std::string_view line) {
    const std::string_view trimmed = TrimBlanks(line);
    return trimmed.size() == kLogSection.size() + 2 && trimmed.front() == kHeaderStart &&
           trimmed.back() == kHeaderEnd && trimmed.substr(1, kLogSection.size()) == kLogSection;
}

// A line that starts like no header, blank line or comment: nearly every line of the body.
bool StartsPlainLine(char first) {
    return first != kComment && first != ' ' && first != kHeaderStart && !IsLineBreak(first);
}

// Where the first line after the first header "[Log]" starts, or npos without one.
std::size_t LogBodyStart(std::string_view text) {
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = LineEnd(text, start);
        if (IsLogHeader(text.substr(start, end - start))) return AfterLineBreak(text, end);
        start = AfterLineBreak(text, end);
    }
    return npos;
}

class EntryReader {
public:
    // `delimiterIsTab`: the lines come from the file, where loading the section reads each
    // "~" as a Tab. Room is made for the entries `textSize` bytes can hold.
    EntryReader(DateTime now, bool delimiterIsTab, LogEntries& log, std::size_t textSize)
        : now_(now), delimiterIsTab_(delimiterIsTab), log_(log) {
        log_.entries.reserve(std::min(textSize / kShortestStoredLine + 1, kMostReserved));
    }

    // Reads the line at `start` when it is an entry in the stored form whose system, if it
    // has one, ends the line; gives where the next line starts, or npos when the line needs
    // the general reading.
    std::size_t ReadStoredLine(std::string_view text, std::size_t start);

    // The general reading of one line, as log_entries.h describes it.
    void ReadLine(std::string_view line);

    // A line of the file's section, read as loading the section gives it.
    void ReadBodyLine(std::string_view line);

private:
    std::size_t KnownIdentityLength(std::string_view rest, std::uint32_t& index) const;
    std::size_t NewIdentityLength(std::string_view rest) const;
    std::uint32_t IdentityOf(std::string_view identity);

    DateTime now_;
    PlainStampReader stamps_;
    bool delimiterIsTab_;
    LogEntries& log_;
    std::unordered_map<std::string_view, std::uint32_t> index_;
    std::uint32_t last_ = kNoSystem;
};

std::size_t EntryReader::ReadStoredLine(std::string_view text, std::size_t start) {
    const std::string_view line = text.substr(start);
    if (line.size() < kAfterCause || line[kEndStampAt - 1] != kFieldSeparator ||
        line[kCauseAt - 1] != kFieldSeparator)
        return npos;
    LogEntry entry;
    const unsigned cause = static_cast<unsigned char>(line[kCauseAt]) - unsigned{'0'};
    if (cause > 9 || !stamps_.Read(line.data(), entry.start) ||
        !stamps_.Read(line.data() + kEndStampAt, entry.end))
        return npos;
    entry.cause = static_cast<SessionCause>(cause);

    std::size_t end = kAfterCause;
    if (end < line.size() && line[end] == kFieldSeparator) {
        const std::string_view rest = line.substr(++end);
        std::size_t length = KnownIdentityLength(rest, entry.system);
        if (length == npos) {
            length = NewIdentityLength(rest);
            if (length == npos) return npos;
            entry.system = IdentityOf(rest.substr(0, length));
        }
        end += length;
        last_ = entry.system;
    } else if (end < line.size() && !IsLineBreak(line[end])) {
        return npos;
    }
    log_.entries.push_back(entry);
    return AfterLineBreak(text, start + end);
}

// A known identity that `rest` starts with and that ends the line: the common case, found
// without looking for the field's end.
std::size_t EntryReader::KnownIdentityLength(std::string_view rest, std::uint32_t& index) const {
    const auto endsLine = [&](std::uint32_t candidate) {
        const std::string_view identity = log_.identities[candidate];
        return StartsWith(rest, identity) &&
               (rest.size() == identity.size() || IsLineBreak(rest[identity.size()]));
    };
    if (last_ != kNoSystem && endsLine(last_)) {
        index = last_;
        return log_.identities[index].size();
    }
    const std::size_t count = std::min(log_.identities.size(), kFewIdentities);
    for (std::uint32_t candidate = 0; candidate < count; ++candidate) {
        if (candidate == last_ || !endsLine(candidate)) continue;
        index = candidate;
        return log_.identities[index].size();
    }
    return npos;
}

// The length of the system field that ends the line, or npos when a further field or a
// delimiter follows (the general reading then takes the line).
std::size_t EntryReader::NewIdentityLength(std::string_view rest) const {
    std::size_t length = 0;
    while (length < rest.size() && !IsLineBreak(rest[length])) {
        const char c = rest[length];
        if (c == kFieldSeparator || (delimiterIsTab_ && c == kDelimiter)) return npos;
        ++length;
    }
    return length;
}

std::uint32_t EntryReader::IdentityOf(std::string_view identity) {
    std::vector<std::string_view>& identities = log_.identities;
    if (last_ != kNoSystem && identities[last_] == identity) return last_;
    if (identities.size() <= kFewIdentities) {
        const auto found = std::find(identities.begin(), identities.end(), identity);
        if (found != identities.end())
            return static_cast<std::uint32_t>(found - identities.begin());
    } else if (const auto found = index_.find(identity); found != index_.end()) {
        return found->second;
    }
    const auto index = static_cast<std::uint32_t>(identities.size());
    identities.push_back(identity);
    index_.emplace(identity, index);
    return index;
}

void EntryReader::ReadLine(std::string_view line) {
    std::string_view fields[kReadFields];
    std::size_t count = 0;
    // As far as the system field: a fifth field does not change the fourth.
    for (std::size_t from = 0; count < kReadFields;) {
        const std::size_t at = line.find(kFieldSeparator, from);
        fields[count++] = line.substr(from, at == npos ? npos : at - from);
        if (at == npos) break;
        from = at + 1;
    }
    if (count < kMinEntryFields) return;
    LogEntry entry;
    entry.start = ReadStamp(fields[0], now_);
    entry.end = ReadStamp(fields[1], now_);
    // The cause is read like a time stamp field: its leading number, held in 16 bits.
    entry.cause = static_cast<SessionCause>(TimestampFieldValue(fields[2]));
    if (count == kReadFields) entry.system = last_ = IdentityOf(fields[3]);
    log_.entries.push_back(entry);
}

void EntryReader::ReadBodyLine(std::string_view line) {
    if (line.find(kDelimiter) == npos) return ReadLine(line);
    // Kept, because the entry's identity may be a view of it.
    std::string& changed = log_.changedLines.emplace_back(line);
    std::replace(changed.begin(), changed.end(), kDelimiter, '\t');
    ReadLine(changed);
}

}  // namespace

LogEntries ReadLogEntries(std::string_view fileText, DateTime now) {
    LogEntries log;
    const std::size_t body = LogBodyStart(fileText);
    if (body == npos) return log;
    EntryReader reader(now, true, log, fileText.size() - body);
    for (std::size_t start = body; start < fileText.size();) {
        const char first = fileText[start];
        const bool plain = StartsPlainLine(first);
        if (plain) {
            ++log.lineCount;
            if (const std::size_t next = reader.ReadStoredLine(fileText, start); next != npos) {
                start = next;
                continue;
            }
        }
        const std::size_t end = LineEnd(fileText, start);
        const std::string_view line = fileText.substr(start, end - start);
        start = AfterLineBreak(fileText, end);
        if (plain) {
            reader.ReadBodyLine(line);
            continue;
        }
        // The body runs to the next header; blank and comment lines inside it are no part.
        if (IsSectionHeader(line)) break;
        if (first == kComment || TrimBlanks(line).empty()) continue;
        ++log.lineCount;
        reader.ReadBodyLine(line);
    }
    return log;
}

LogEntries ReadSectionEntries(std::string_view sectionText, DateTime now) {
    LogEntries log;
    EntryReader reader(now, false, log, sectionText.size());
    for (std::size_t start = 0; start < sectionText.size(); ++log.lineCount) {
        const std::size_t next = reader.ReadStoredLine(sectionText, start);
        if (next != npos) {
            start = next;
            continue;
        }
        const std::size_t end = LineEnd(sectionText, start);
        reader.ReadLine(sectionText.substr(start, end - start));
        start = AfterLineBreak(sectionText, end);
    }
    return log;
}

}  // namespace uptrail
