#include "storage/section_text.h"

#include <algorithm>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "storage/text_lines.h"

namespace uptrail {
namespace {

std::string HeaderFor(std::string_view section) {
    std::string header;
    header.reserve(section.size() + 2);
    header.append("[").append(section).append("]");
    return header;
}

std::optional<std::size_t> FindHeader(const std::vector<std::string_view>& lines,
                                      std::string_view header) {
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (TrimBlanks(lines[i]) == header) return i;
    return std::nullopt;
}

// A blank line inside a body is no end of it, or the entries after it would fall out of
// their section; nor is it an entry.
bool IsBlankLine(std::string_view line) { return TrimBlanks(line).empty(); }

bool IsComment(std::string_view line) { return !line.empty() && line.front() == ';'; }

// Where the body that starts at `first` ends: at the next header, or past the last line.
std::size_t BodyEnd(const std::vector<std::string_view>& lines, std::size_t first) {
    std::size_t end = first;
    while (end < lines.size() && !IsSectionHeader(lines[end])) ++end;
    return end;
}

void ReplaceAll(std::string& text, std::string_view from, char to) {
    if (from.empty()) return;
    std::string result;
    result.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t found; (found = text.find(from, start)) != std::string::npos;
         start = found + from.size()) {
        result.append(text, start, found - start).push_back(to);
    }
    result.append(text, start, std::string::npos);
    text = std::move(result);
}

// The file's lines without the old block, each run of blank lines folded to its first.
// Blank lines in front of the next header stay: they part the sections, not the entries.
std::string WithoutSection(const std::vector<std::string_view>& lines, std::size_t header) {
    std::vector<std::string_view> kept(lines.begin(), lines.begin() + static_cast<long>(header));
    const std::size_t next = BodyEnd(lines, header + 1);
    std::size_t bodyEnd = next;
    while (bodyEnd > header + 1 && IsBlankLine(lines[bodyEnd - 1])) --bodyEnd;
    kept.insert(kept.end(), lines.begin() + static_cast<long>(bodyEnd),
                lines.begin() + static_cast<long>(next));
    if (next < lines.size()) {
        // The next header keeps its place, trimmed.
        kept.push_back(TrimBlanks(lines[next]));
        kept.insert(kept.end(), lines.begin() + static_cast<long>(next) + 1, lines.end());
    } else if (header + 1 == lines.size()) {
        // A bare header at the end leaves a blank line, as the section store always has.
        kept.push_back({});
    }

    std::string text;
    std::size_t size = 0;
    for (const auto line : kept) size += line.size() + kCrLf.size();
    text.reserve(size);
    bool previousBlank = false;
    for (const auto line : kept) {
        const bool blank = IsBlankLine(line);
        if (!(blank && previousBlank)) text.append(line).append(kCrLf);
        previousBlank = blank;
    }
    return text;
}

// Hands each line of `text` from `from` on to `visit`, with where it starts and where the
// next one starts (CR LF is one break), until `visit` returns false. No list of lines is
// made: the log file is megabytes, and the start-up adds its entry to it.
template <typename Visit>
void ForEachLine(std::string_view text, std::size_t from, Visit visit) {
    for (std::size_t start = from; start < text.size();) {
        const std::size_t end = std::min(FindLineBreak(text, start), text.size());
        const std::size_t next = AfterLineBreak(text, end);
        if (!visit(text.substr(start, end - start), start, next)) return;
        start = next;
    }
}

// The lines of `piece` but the blank ones, each ended by CR LF. Runs of lines that stand as
// they are written go in one copy: the whole "Log" section is saved as one piece.
void AppendLines(std::string& text, std::string_view piece) {
    std::size_t runStart = 0;
    std::size_t runEnd = 0;
    ForEachLine(piece, 0, [&](std::string_view line, std::size_t start, std::size_t next) {
        const bool blank = IsBlankLine(line);
        const bool endsWithCrLf = next == start + line.size() + kCrLf.size();
        if (!blank && endsWithCrLf) {
            runEnd = next;
            return true;
        }
        text.append(piece.substr(runStart, runEnd - runStart));
        runStart = runEnd = next;
        if (!blank) text.append(line).append(kCrLf);
        return true;
    });
    text.append(piece.substr(runStart, runEnd - runStart));
}

void AppendSection(std::string& text, std::string_view section, std::string_view data,
                   std::string_view delimiter) {
    // A hand-edited file may lack its last line end; the header must not join that line.
    if (!EndsWithLineBreak(text)) text.append(kCrLf);
    text.append(HeaderFor(section)).append(kCrLf);

    // Pieces are cut again at line breaks. An empty or blank one is passed over rather than
    // taken for the end of the data: the lines after it belong to the section as well.
    if (delimiter.empty()) delimiter = kCrLf;
    while (!data.empty()) {
        const std::size_t end = data.find(delimiter);
        AppendLines(text, data.substr(0, end));
        if (end == std::string_view::npos) break;
        data.remove_prefix(end + delimiter.size());  // a delimiter at the end ends the data
    }
}

// The stretch of the file from a section body's first line to the end of its last.
std::string_view BodyOf(std::span<const std::string_view> body) {
    const char* begin = body.front().data();
    const char* end = body.back().data() + body.back().size();
    return {begin, static_cast<std::size_t>(end - begin)};
}

// The body as the file holds it, when reading changes nothing in it: every line ended by
// CR LF (between two lines that are not empty, two bytes are CR LF), no blank line, no
// comment, no delimiter. The "Log" section is most of the file and read at every start;
// taking it in one piece saves a copy per line.
std::optional<std::string_view> UnchangedBody(std::span<const std::string_view> body,
                                              std::string_view delimiter) {
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (IsComment(body[i]) || IsBlankLine(body[i])) return std::nullopt;
        if (i + 1 < body.size() && body[i + 1].data() != body[i].data() + body[i].size() + 2)
            return std::nullopt;
    }
    const std::string_view text = BodyOf(body);
    if (!delimiter.empty() && text.find(delimiter) != std::string_view::npos) return std::nullopt;
    return text;
}

}  // namespace

bool IsSectionHeader(std::string_view line) {
    const auto trimmed = TrimBlanks(line);
    return trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']';
}

std::string LoadSectionText(std::string_view fileText, std::string_view section,
                            std::string_view delimiter) {
    // A section's header holds its bracketed name: without that text there is no section,
    // and a log of tens of thousands of lines need not be cut into lines to learn it.
    if (!section.empty() && fileText.find(HeaderFor(section)) == std::string_view::npos) return {};
    const auto lines = SplitLines(fileText);
    std::size_t first = 0;
    if (!section.empty()) {
        const auto header = FindHeader(lines, HeaderFor(section));
        if (!header) return {};
        first = *header + 1;
    }

    const std::size_t end = BodyEnd(lines, first);
    if (end == first) return {};
    const std::span<const std::string_view> body(lines.data() + first, end - first);
    if (const auto unchanged = UnchangedBody(body, delimiter)) return std::string(*unchanged);

    std::string result;
    result.reserve(BodyOf(body).size());
    for (std::size_t i = first; i < end; ++i) {
        if (IsComment(lines[i]) || IsBlankLine(lines[i])) continue;
        if (!result.empty()) result.append(kCrLf);
        // Most lines hold no delimiter and are taken as they stand, without a copy: the
        // "Log" section can be tens of thousands of lines.
        if (delimiter.empty() || lines[i].find(delimiter) == std::string_view::npos) {
            result.append(lines[i]);
            continue;
        }
        std::string replaced(lines[i]);
        ReplaceAll(replaced, delimiter, '\t');
        result.append(replaced);
    }
    return result;
}

std::string SaveSectionText(std::string_view fileText, std::string_view section,
                            std::string_view data, std::string_view delimiter) {
    const auto lines = SplitLines(fileText);
    const auto header = FindHeader(lines, HeaderFor(section));
    std::string text = header ? WithoutSection(lines, *header) : std::string(fileText);
    // Room for the new block as well, so appending it does not copy the whole file again.
    text.reserve(text.size() + section.size() + data.size() + 4 * kCrLf.size());
    AppendSection(text, section, data, delimiter);
    return text;
}

bool SetSectionValue(std::string& fileText, std::string_view section, std::string_view key,
                     std::string_view value) {
    const std::string header = HeaderFor(section);
    std::optional<std::size_t> bodyStart;
    bool lastLineBroken = true;  // whether the line the new one would follow has its break
    ForEachLine(fileText, 0, [&](std::string_view line, std::size_t start, std::size_t next) {
        if (TrimBlanks(line) != header) return true;
        bodyStart = next;
        lastLineBroken = next > start + line.size();
        return false;
    });
    std::string keyLine;
    keyLine.append(key).append("=").append(value).append(kCrLf);
    if (!bodyStart) {
        AppendSection(fileText, section, keyLine, kCrLf);
        return true;
    }

    std::size_t insertAt = *bodyStart;
    std::optional<std::pair<std::size_t, std::size_t>> stored;  // the value to replace
    ForEachLine(fileText, *bodyStart,
                [&](std::string_view line, std::size_t start, std::size_t next) {
                    if (IsSectionHeader(line)) return false;
                    if (IsBlankLine(line)) return true;
                    insertAt = next;
                    lastLineBroken = next > start + line.size();
                    const std::size_t equals = line.find('=');
                    if (IsComment(line) || equals == std::string_view::npos ||
                        !SameNameIgnoringCase(TrimBlanks(line.substr(0, equals)), key))
                        return true;
                    stored = {start + equals + 1, start + line.size()};
                    return false;
                });
    if (stored) {
        const std::size_t length = stored->second - stored->first;
        if (std::string_view(fileText).substr(stored->first, length) == value) return false;
        fileText.replace(stored->first, length, value);
        return true;
    }
    // A last line without its break gets one, or the new line would join it.
    if (!lastLineBroken) keyLine.insert(0, kCrLf);
    fileText.insert(insertAt, keyLine);
    return true;
}

void PrependSectionLines(std::string& fileText, std::string_view section, std::string_view lines) {
    if (lines.empty()) return;
    const std::string header = HeaderFor(section);
    std::optional<std::size_t> bodyStart;
    bool headerBroken = true;
    ForEachLine(fileText, 0, [&](std::string_view line, std::size_t start, std::size_t next) {
        if (TrimBlanks(line) != header) return true;
        bodyStart = next;
        headerBroken = next > start + line.size();
        return false;
    });
    if (!bodyStart) return AppendSection(fileText, section, lines, kCrLf);
    std::string inserted(headerBroken ? "" : kCrLf);
    inserted.append(lines);
    fileText.insert(*bodyStart, inserted);
}

}  // namespace uptrail
