#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace uptrail {

// Text for the page, which is UTF-8 and well-formed XML as well as HTML: ANSI text (the
// log's and the locale's) converted, then as MarkupUtf8.
std::string MarkupText(std::string_view ansi);

// UTF-8 text for the page, the five characters that markup reserves escaped. Off Windows
// the conversion leaves the log's own bytes: a damaged UTF-8 sequence (a surrogate, an
// overlong form, a code point past U+10FFFF, a cut sequence) becomes U+FFFD as a browser
// shows it, and a lone byte of a single-byte code page is read as Latin-1, so that a log
// written in one still reads.
std::string MarkupUtf8(std::string_view text);

// A number with one decimal, halves to even: "12.5", "0.0".
std::string OneDecimal(std::int64_t part, std::int64_t whole, std::int64_t scale = 1);

}  // namespace uptrail
