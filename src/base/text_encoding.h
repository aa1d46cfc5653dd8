#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace uptrail {

// Paths travel through settings and the log file as text in the system's ANSI code page;
// these turn such text into a path and back. Characters the code page cannot hold become
// "?", as the platform's own conversion does.
std::filesystem::path PathFromAnsi(std::string_view text);
std::string AnsiFromPath(const std::filesystem::path& path);

// Text in the ANSI code page as UTF-8, by the same conversion; off Windows the text stays
// the bytes it is.
inline std::string Utf8FromAnsi(std::string_view text) {
    const std::u8string utf8 = PathFromAnsi(text).u8string();
    return std::string(utf8.begin(), utf8.end());
}

}  // namespace uptrail
