#include "storage/section_text.h"

#include <optional>
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

    std::string result;
    for (std::size_t i = first; i < lines.size() && !EndsBodyOnRead(lines[i]); ++i) {
        std::string line(lines[i]);
        ReplaceAll(line, delimiter, '\t');
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
    AppendSection(text, section, data, delimiter);
    return text;
}

}  // namespace uptrail
