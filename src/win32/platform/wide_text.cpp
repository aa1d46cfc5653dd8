#include "win32/platform/wide_text.h"

#include <windows.h>

#include <limits>

namespace uptrail {

namespace {

// The conversion functions count in int; longer texts are not converted.
bool FitsAnInt(std::size_t size) {
    return size <= static_cast<std::size_t>(std::numeric_limits<int>::max());
}

std::wstring WideFrom(UINT codePage, std::string_view text) {
    if (text.empty() || !FitsAnInt(text.size())) return {};
    const int length = static_cast<int>(text.size());
    const int wideLength = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), wideLength);
    return wide;
}

std::string NarrowFrom(UINT codePage, std::wstring_view text) {
    if (text.empty() || !FitsAnInt(text.size())) return {};
    const int length = static_cast<int>(text.size());
    const int narrowLength =
        WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(narrowLength), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), length, narrow.data(), narrowLength, nullptr,
                        nullptr);
    return narrow;
}

}  // namespace

std::wstring WideFromAnsi(std::string_view text) { return WideFrom(CP_ACP, text); }

// Characters the code page lacks become its default character, as the ANSI API gives them.
// Embedded zeros are kept.
std::string AnsiFromWide(std::wstring_view text) { return NarrowFrom(CP_ACP, text); }

std::wstring WideFromUtf8(std::string_view text) { return WideFrom(CP_UTF8, text); }

std::string Utf8FromWide(std::wstring_view text) { return NarrowFrom(CP_UTF8, text); }

}  // namespace uptrail
