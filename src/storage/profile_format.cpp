#include "storage/profile_format.h"

#include <algorithm>

#include "storage/text_lines.h"

namespace uptrail {
namespace {

// Lines the platform adds always end with CR LF, whatever breaks the rest of the file uses.
constexpr std::string_view kLineBreak = "\r\n";

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

// The blanks the platform strips around names and values.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

// A stretch of the file as offsets, so an edit can replace exactly those bytes.
struct Span {
    std::size_t begin = 0;
    std::size_t end = 0;
};

std::string_view TextOf(std::string_view text, Span span) {
    return text.substr(span.begin, span.end - span.begin);
}

Span WithoutBlanks(std::string_view text, Span span) {
    while (span.begin < span.end && IsBlank(text[span.begin])) ++span.begin;
    while (span.end > span.begin && IsBlank(text[span.end - 1])) --span.end;
    return span;
}

enum class LineKind { kOther, kComment, kHeader, kKey };

// One physical line and what the platform makes of it.
struct Line {
    std::size_t begin = 0;  // first byte of the line
    std::size_t end = 0;    // its line break, or the end of the file
    std::size_t next = 0;   // first byte after the line break
    LineKind kind = LineKind::kOther;
    Span name;    // section name of a header, key of a key line
    Span value;   // value of a key line, as read: without the blanks around it
    Span stored;  // everything after the key line's "=": what a new value replaces
};

void Classify(std::string_view text, Line& line) {
    const Span content = WithoutBlanks(text, {line.begin, line.end});
    const std::string_view body = TextOf(text, content);
    if (body.empty()) return;
    if (body.front() == ';') {
        line.kind = LineKind::kComment;
        return;
    }
    // A "[" without its "]" makes no header; the line is read like any other.
    const std::size_t close = body.front() == '[' ? body.find(']') : body.npos;
    if (close != body.npos) {
        line.kind = LineKind::kHeader;
        line.name = WithoutBlanks(text, {content.begin + 1, content.begin + close});
        return;
    }
    const std::size_t equals = body.find('=');
    if (equals == body.npos) return;
    line.kind = LineKind::kKey;
    line.name = WithoutBlanks(text, {content.begin, content.begin + equals});
    line.stored = {content.begin + equals + 1, line.end};
    line.value = WithoutBlanks(text, line.stored);
}

Line LineAt(std::string_view text, std::size_t begin) {
    Line line;
    line.begin = begin;
    line.end = std::min(FindLineBreak(text, begin), text.size());
    line.next = AfterLineBreak(text, line.end);
    Classify(text, line);
    return line;
}

// Hands each line from `from` on to `visit` until it returns false.
template <typename Visit>
void ForEachLine(std::string_view text, std::size_t from, Visit visit) {
    for (std::size_t begin = from; begin < text.size();) {
        const Line line = LineAt(text, begin);
        if (!visit(line)) return;
        begin = line.next;
    }
}

struct SectionScan {
    Line header;
    std::size_t end = 0;          // where the next header line starts, or the end of the file
    std::optional<Line> key;      // the wanted key's line
    std::optional<Line> lastKey;  // the section's last key line
};

std::optional<Line> FindHeader(std::string_view text, std::string_view section) {
    std::optional<Line> header;
    ForEachLine(text, 0, [&](const Line& line) {
        const bool found = line.kind == LineKind::kHeader &&
                           SameNameIgnoringCase(TextOf(text, line.name), section);
        if (found) header = line;
        return !header;
    });
    return header;
}

std::optional<SectionScan> ScanSection(std::string_view text, std::string_view section,
                                       std::string_view key) {
    const std::optional<Line> header = FindHeader(text, section);
    if (!header) return std::nullopt;
    SectionScan scan{*header, text.size(), std::nullopt, std::nullopt};
    ForEachLine(text, header->next, [&](const Line& line) {
        if (line.kind == LineKind::kHeader) {
            scan.end = line.begin;
            return false;
        }
        if (line.kind == LineKind::kKey) {
            if (!scan.key && SameNameIgnoringCase(TextOf(text, line.name), key)) scan.key = line;
            scan.lastKey = line;
        }
        return true;
    });
    return scan;
}

std::string_view WithoutEnclosingQuotes(std::string_view value) {
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    return quoted ? value.substr(1, value.size() - 2) : value;
}

// The buffer keeps one character for the terminating zero.
std::string FittedToBuffer(std::string_view value, std::size_t bufferSize) {
    if (bufferSize == 0) return {};
    return std::string(value.substr(0, bufferSize - 1));
}

std::string KeyLine(std::string_view key, std::string_view value) {
    std::string line;
    line.append(key).append("=").append(value).append(kLineBreak);
    return line;
}

std::string Replaced(std::string_view text, Span span, std::string_view replacement) {
    std::string result;
    result.reserve(text.size() + replacement.size());
    result.append(text.substr(0, span.begin)).append(replacement).append(text.substr(span.end));
    return result;
}

std::string WithLineAfter(std::string_view text, const Line& previous, std::string_view newLine) {
    // The last line of a file may lack its break; it gets one, or the new line would join it.
    if (previous.next == previous.end) {
        std::string brokenLine(kLineBreak);
        brokenLine.append(newLine);
        return Replaced(text, {previous.end, previous.end}, brokenLine);
    }
    return Replaced(text, {previous.next, previous.next}, newLine);
}

std::string WithSectionAppended(std::string_view text, std::string_view section,
                                std::string_view keyLine) {
    std::string result(text);
    if (!result.empty() && !IsLineBreak(result.back())) result.append(kLineBreak);
    result.append("[").append(section).append("]").append(kLineBreak).append(keyLine);
    return result;
}

}  // namespace

std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key, std::size_t bufferSize) {
    const std::optional<SectionScan> scan = ScanSection(text, section, key);
    if (!scan || !scan->key) return std::nullopt;
    return FittedToBuffer(WithoutEnclosingQuotes(TextOf(text, scan->key->value)), bufferSize);
}

std::string ProfileDefaultValue(std::string_view defaultValue, std::size_t bufferSize) {
    std::string value = FittedToBuffer(defaultValue, bufferSize);
    while (!value.empty() && IsBlank(value.back())) value.pop_back();
    return value;
}

std::string SetProfileValue(std::string_view text, std::string_view section, std::string_view key,
                            std::string_view value) {
    const std::optional<SectionScan> scan = ScanSection(text, section, key);
    if (!scan) return WithSectionAppended(text, section, KeyLine(key, value));
    if (scan->key) return Replaced(text, scan->key->stored, value);
    const Line& previous = scan->lastKey ? *scan->lastKey : scan->header;
    return WithLineAfter(text, previous, KeyLine(key, value));
}

bool ReplaceProfileValueInPlace(std::string& text, std::string_view section, std::string_view key,
                                std::string_view value) {
    const std::optional<SectionScan> scan = ScanSection(text, section, key);
    if (!scan || !scan->key) return false;
    const Span stored = scan->key->stored;
    text.replace(stored.begin, stored.end - stored.begin, value);
    return true;
}

std::string DeleteProfileKey(std::string_view text, std::string_view section,
                             std::string_view key) {
    const std::optional<SectionScan> scan = ScanSection(text, section, key);
    if (!scan || !scan->key) return std::string(text);
    return Replaced(text, {scan->key->begin, scan->key->next}, {});
}

std::string DeleteProfileSection(std::string_view text, std::string_view section) {
    const std::optional<SectionScan> scan = ScanSection(text, section, {});
    if (!scan) return std::string(text);
    return Replaced(text, {scan->header.begin, scan->end}, {});
}

}  // namespace uptrail
