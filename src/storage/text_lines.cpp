#include "storage/text_lines.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace uptrail {
namespace {

constexpr std::uint64_t kEveryByteOne = 0x0101010101010101ULL;
constexpr std::uint64_t kEveryByteHigh = 0x8080808080808080ULL;

// Whether some byte of `word` is `byte`: the classic test for a zero byte, applied to the
// word with `byte` XORed out of every position.
bool HoldsByte(std::uint64_t word, char byte) {
    const std::uint64_t cleared = word ^ (kEveryByteOne * static_cast<unsigned char>(byte));
    return ((cleared - kEveryByteOne) & ~cleared & kEveryByteHigh) != 0;
}

// The line breaks of one text, from left to right. memchr passes over many bytes at a
// time; the next CR and the next LF are each looked up again only once passed, so the text
// is read once however its lines end (a file of lone CRs has no LF to find at all).
class LineBreaks {
public:
    explicit LineBreaks(std::string_view text)
        : text_(text), nextCr_(Find('\r', 0)), nextLf_(Find('\n', 0)) {}

    // The first break at or after `start`, or npos.
    std::size_t From(std::size_t start) {
        if (nextCr_ < start) nextCr_ = Find('\r', start);
        if (nextLf_ < start) nextLf_ = Find('\n', start);
        return std::min(nextCr_, nextLf_);
    }

    // Where the line after the break at `end` starts.
    std::size_t After(std::size_t end) const {
        const bool crLf = text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n';
        return end + (crLf ? 2 : 1);
    }

private:
    std::size_t Find(char c, std::size_t start) const {
        if (start >= text_.size()) return std::string_view::npos;
        const void* found = std::memchr(text_.data() + start, c, text_.size() - start);
        return found ? static_cast<std::size_t>(static_cast<const char*>(found) - text_.data())
                     : std::string_view::npos;
    }

    std::string_view text_;
    std::size_t nextCr_;
    std::size_t nextLf_;
};

}  // namespace

// For a single lookup, which cannot remember where the next CR and LF were: eight bytes
// are passed over at a time until a word holds a line break, and only that word is looked
// at byte by byte.
std::size_t FindLineBreak(std::string_view text, std::size_t start) {
    std::size_t at = start;
    for (; at + sizeof(std::uint64_t) <= text.size(); at += sizeof(std::uint64_t)) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, sizeof word);
        if (HoldsByte(word, '\r') || HoldsByte(word, '\n')) break;
    }
    for (; at < text.size(); ++at)
        if (text[at] == '\r' || text[at] == '\n') return at;
    return std::string_view::npos;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    LineBreaks breaks(text);
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = breaks.From(start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = breaks.After(end);
    }
    return lines;
}

std::size_t CountLines(std::string_view text) {
    LineBreaks breaks(text);
    std::size_t count = 0;
    for (std::size_t start = 0; start < text.size(); ++count) {
        const std::size_t end = breaks.From(start);
        if (end == std::string_view::npos) return count + 1;
        start = breaks.After(end);
    }
    return count;
}

std::vector<std::string_view> SplitAt(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(separator, start);
        pieces.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos) return pieces;
        start = end + 1;
    }
}

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool EndsWithLineBreak(std::string_view text) {
    return text.empty() || text.back() == '\n' || text.back() == '\r';
}

std::size_t AfterLineBreak(std::string_view text, std::size_t at) {
    if (at >= text.size()) return at;
    const bool crLf = text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n';
    return at + (crLf ? 2 : 1);
}

}  // namespace uptrail
