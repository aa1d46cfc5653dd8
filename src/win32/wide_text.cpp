#include "win32/wide_text.h"

#include <windows.h>

#include <limits>

namespace uptrail {

namespace {

// The conversion functions count in int; longer texts are not converted.
bool FitsAnInt(std::size_t size) {
    return size <= static_cast<std::size_t>(std::numeric_limits<int>::max());
}

}  // namespace

std::wstring WideFromAnsi(std::string_view text) {
    if (text.empty() || !FitsAnInt(text.size())) return {};
    const int length = static_cast<int>(text.size());
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), wideLength);
    return wide;
}

// Characters the code page lacks become its default character, as the ANSI API gives them.
// Embedded zeros are kept.
std::string AnsiFromWide(std::wstring_view text) {
    if (text.empty() || !FitsAnInt(text.size())) return {};
    const int length = static_cast<int>(text.size());
    const int ansiLength =
        WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(ansiLength), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, ansi.data(), ansiLength, nullptr,
                        nullptr);
    return ansi;
}

}  // namespace uptrail
