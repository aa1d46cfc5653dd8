#include "storage/section_text.h"

#include <optional>
#include <span>
#include <vector>

#include "storage/text_lines.h"
#include "storage/tokenizer.h"

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

// A read of the body stops at the line exactly as it stands in the file...
bool EndsBodyOnRead(std::string_view line) { return line.empty() || line.front() == '['; }

// ...while taking the old body out stops at a blank line or a header, blanks ignored.
bool EndsBodyOnSave(std::string_view line) {
    const auto trimmed = TrimBlanks(line);
    return trimmed.empty() || trimmed.front() == '[';
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
std::string WithoutSection(const std::vector<std::string_view>& lines, std::size_t header) {
    std::vector<std::string_view> kept(lines.begin(), lines.begin() + static_cast<long>(header));
    std::size_t next = header + 1;
    while (next < lines.size() && !EndsBodyOnSave(lines[next])) ++next;
    if (next < lines.size()) {
        // The line that ended the block takes the header's place, trimmed.
        kept.push_back(TrimBlanks(lines[next]));
        kept.insert(kept.end(), lines.begin() + static_cast<long>(next) + 1, lines.end());
    } else if (header + 1 == lines.size()) {
        kept.push_back({});
    }

    std::string text;
    std::size_t size = 0;
    for (const auto line : kept) size += line.size() + kCrLf.size();
    text.reserve(size);
    bool previousBlank = false;
    for (const auto line : kept) {
        const bool blank = TrimBlanks(line).empty();
        if (!(blank && previousBlank)) text.append(line).append(kCrLf);
        previousBlank = blank;
    }
    return text;
}

void AppendSection(std::string& text, std::string_view section, std::string_view data,
                   std::string_view delimiter) {
    // A hand-edited file may lack its last line end; the header must not join that line.
    if (!EndsWithLineBreak(text)) text.append(kCrLf);
    text.append(HeaderFor(section)).append(kCrLf);

    Tokenizer tokenizer;
    for (auto piece = tokenizer.FirstToken(data, delimiter); !piece.empty();
         piece = tokenizer.NextToken(data))
        text.append(piece).append(kCrLf);
}

// The stretch of the file from a section body's first line to the end of its last.
std::string_view BodyOf(std::span<const std::string_view> body) {
    const char* begin = body.front().data();
    const char* end = body.back().data() + body.back().size();
    return {begin, static_cast<std::size_t>(end - begin)};
}

// The body as the file holds it, when reading changes nothing in it: every line ended by
// CR LF (a body holds no empty line, so two bytes between lines are CR LF), no comment, no
// delimiter. The "Log" section is most of the file and read at every start; taking it in
// one piece saves a copy per line.
std::optional<std::string_view> UnchangedBody(std::span<const std::string_view> body,
                                              std::string_view delimiter) {
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i].front() == ';') return std::nullopt;
        if (i + 1 < body.size() && body[i + 1].data() != body[i].data() + body[i].size() + 2)
            return std::nullopt;
    }
    const std::string_view text = BodyOf(body);
    if (!delimiter.empty() && text.find(delimiter) != std::string_view::npos) return std::nullopt;
    return text;
}

}  // namespace

std::string LoadSectionText(std::string_view fileText, std::string_view section,
                            std::string_view delimiter) {
    const auto lines = SplitLines(fileText);
    std::size_t first = 0;
    if (!section.empty()) {
        const auto header = FindHeader(lines, HeaderFor(section));
        if (!header) return {};
        first = *header + 1;
    }

    std::size_t end = first;
    while (end < lines.size() && !EndsBodyOnRead(lines[end])) ++end;
    if (end == first) return {};
    const std::span<const std::string_view> body(lines.data() + first, end - first);
    if (const auto unchanged = UnchangedBody(body, delimiter)) return std::string(*unchanged);

    std::string result;
    result.reserve(BodyOf(body).size());
    for (std::size_t i = first; i < end; ++i) {
        // Most lines hold no delimiter and are taken as they stand, without a copy: the
        // "Log" section can be tens of thousands of lines.
        std::string replaced;
        std::string_view line = lines[i];
        if (!delimiter.empty() && line.find(delimiter) != std::string_view::npos) {
            replaced = line;
            ReplaceAll(replaced, delimiter, '\t');
            line = replaced;
        }
        if (!line.empty() && line.front() == ';') continue;
        if (!result.empty()) result.append(kCrLf);
        result.append(line);
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

}  // namespace uptrail
