#pragma once
#include <string>
#include <string_view>

namespace uptrail {

// Conversions at the Win32 boundary between the portable core's ANSI-code-page text and
// the UTF-16 of the wide API.
std::wstring WideFromAnsi(std::string_view text);
std::string AnsiFromWide(std::wstring_view text);

// The same for UTF-8 text, which can hold any character.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

}  // namespace uptrail
