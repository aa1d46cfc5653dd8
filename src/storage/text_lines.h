#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "base/ascii_case.h"

namespace uptrail {

inline constexpr std::string_view kCrLf = "\r\n";

// Where the first CR or LF at or after `start` stands, or npos.
std::size_t FindLineBreak(std::string_view text, std::size_t start);

// Splits file text into lines. A line ends at CR LF, at a lone CR or at a lone LF: the
// platform's profile functions read a file edited elsewhere (LF only) as lines too, and
// both views of the log file must see the same sections. A final line end adds no line.
std::vector<std::string_view> SplitLines(std::string_view text);

// The number of lines SplitLines gives, without listing them.
std::size_t CountLines(std::string_view text);

// Splits a text at every `separator`; n separators give n + 1 pieces, empty ones included.
std::vector<std::string_view> SplitAt(std::string_view text, char separator);

// Removes blanks (spaces only, as the file format has always done) from both ends.
std::string_view TrimBlanks(std::string_view text);

// True when the text ends with a line end, or is empty.
bool EndsWithLineBreak(std::string_view text);

// Where the line after the line break at `at` starts (CR LF is one break); `at` itself at
// the end of the text.
std::size_t AfterLineBreak(std::string_view text, std::size_t at);

}  // namespace uptrail
