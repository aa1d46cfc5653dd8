#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace uptrail {

// Text for the page, which is UTF-8 and well-formed XML as well as HTML: ANSI text (the
// log's and the locale's) converted, and the five characters that markup reserves escaped.
// Bytes that are no UTF-8 after the conversion are read as Latin-1.
std::string MarkupText(std::string_view ansi);

// A number with one decimal, halves to even: "12.5", "0.0".
std::string OneDecimal(std::int64_t part, std::int64_t whole, std::int64_t scale = 1);

}  // namespace uptrail
