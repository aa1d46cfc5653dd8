#pragma once
#include <cstddef>
#include <string_view>

namespace uptrail {

// The length of the well-formed UTF-8 sequence that starts at `at` (at < text.size()), or 0
// when the bytes there form none: a stray continuation byte, an overlong form, a surrogate,
// a code point past U+10FFFF, a sequence cut short. Text made for a browser or a parser
// passes on only what this accepts.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

// For bytes at `at` that form no sequence: how many of them a decoder replaces by one
// U+FFFD, the longest start of a sequence that is still well-formed (at least one byte).
// Browsers count the same, so a page shows the damage as they would.
std::size_t Utf8IllFormedLength(std::string_view text, std::size_t at);

}  // namespace uptrail
