#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace uptrail {

enum class CompareMode { kBinary, kText };

// The 1-based position of the first character of `text` at or after `start` that is one
// of `characters` (with `reverse`, the last one at or before `start`); 0 when there is
// none or either text is empty. kText compares without regard to letter case.
int FindAnyOf(int start, std::string_view text, std::string_view characters,
              CompareMode mode = CompareMode::kBinary, bool reverse = false);

// Cuts a text into pieces at a delimiter, one piece per call. Positions are 1-based and 0
// means the text is used up, because callers keep and pass back positions in that form.
class Tokenizer {
public:
    static constexpr std::string_view kLineBreak = "\r\n";

    // Starts on `text` and returns its first piece.
    std::string FirstToken(std::string_view text, std::string_view delimiter = kLineBreak);

    // The next piece of `text`. A given `delimiter` replaces the current one. A given
    // `position` sets where the piece starts (a negative one asks for the whole rest) and
    // receives the position after it. With `anyOf` a piece ends at any one of the
    // delimiter's characters. A text that ends with the delimiter has no empty last piece.
    std::string NextToken(std::string_view text, std::optional<std::string_view> delimiter = std::nullopt,
                          int* position = nullptr, bool anyOf = false);

    int Position() const { return position_; }

private:
    std::string RestOfText(std::string_view text);

    std::string delimiter_{kLineBreak};
    int position_ = 0;
};

}  // namespace uptrail
