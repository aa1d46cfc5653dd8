#include "storage/tokenizer.h"

#include <cctype>

namespace uptrail {
namespace {

bool SameCharacter(char a, char b, CompareMode mode) {
    if (mode == CompareMode::kBinary) return a == b;
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
}

bool IsOneOf(char c, std::string_view characters, CompareMode mode) {
    for (const char candidate : characters)
        if (SameCharacter(c, candidate, mode)) return true;
    return false;
}

int Length(std::string_view text) { return static_cast<int>(text.size()); }

}  // namespace

int FindAnyOf(int start, std::string_view text, std::string_view characters, CompareMode mode,
              bool reverse) {
    if (text.empty() || characters.empty()) return 0;
    if (reverse) {
        for (int at = std::min(start, Length(text)); at >= 1; --at)
            if (IsOneOf(text[at - 1], characters, mode)) return at;
        return 0;
    }
    for (int at = std::max(start, 1); at <= Length(text); ++at)
        if (IsOneOf(text[at - 1], characters, mode)) return at;
    return 0;
}

std::string Tokenizer::FirstToken(std::string_view text, std::string_view delimiter) {
    delimiter_ = delimiter.empty() ? std::string(kLineBreak) : std::string(delimiter);
    position_ = 0;
    return NextToken(text);
}

std::string Tokenizer::RestOfText(std::string_view text) {
    std::string piece(text.substr(static_cast<std::size_t>(position_ - 1)));
    position_ = Length(text) + 1;
    return piece;
}

std::string Tokenizer::NextToken(std::string_view text, std::optional<std::string_view> delimiter,
                                 int* position, bool anyOf) {
    if (text.empty()) return {};
    if (delimiter) delimiter_ = std::string(*delimiter);
    if (delimiter_.empty()) return {};

    const bool wantsRest = position && *position < 0;
    if (position && !wantsRest) position_ = *position;
    if (position_ < 1) position_ = 1;

    std::string piece;
    if (position_ > Length(text)) {
        position_ = 0;
    } else if (wantsRest) {
        piece = RestOfText(text);
    } else {
        const auto start = static_cast<std::size_t>(position_ - 1);
        std::size_t found = std::string_view::npos;
        // In any-of mode the piece ends at one character, so only that one is skipped.
        std::size_t skip = delimiter_.size();
        if (anyOf) {
            const int at = FindAnyOf(position_, text, delimiter_);
            if (at > 0) found = static_cast<std::size_t>(at - 1);
            skip = 1;
        } else {
            found = text.find(delimiter_, start);
        }
        if (found == std::string_view::npos) {
            piece = RestOfText(text);
        } else {
            piece = std::string(text.substr(start, found - start));
            position_ = static_cast<int>(found + skip) + 1;
        }
    }
    if (position) *position = position_;
    return piece;
}

}  // namespace uptrail
