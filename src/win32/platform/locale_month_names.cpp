#include "win32/platform/locale_month_names.h"

#include <windows.h>

#include <optional>
#include <string>
#include <utility>

namespace uptrail {
namespace {

std::optional<std::wstring> ReadLocaleText(const wchar_t* localeName, LCTYPE item) {
    const int length = GetLocaleInfoEx(localeName, item, nullptr, 0);
    if (length <= 1) return std::nullopt;  // failure, or nothing but the terminating null
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    if (GetLocaleInfoEx(localeName, item, text.data(), length) != length) return std::nullopt;
    text.resize(static_cast<std::size_t>(length - 1));
    return text;
}

std::optional<std::string> ToCodePage(const std::wstring& text, unsigned codePage) {
    // With the "UTF-8 as ANSI code page" option, CP_ACP is UTF-8, and UTF-8 (like UTF-7)
    // refuses the "used default character" flag; it can show every name anyway.
    const unsigned resolved = codePage == CP_ACP ? GetACP() : codePage;
    const bool canReportLoss = resolved != CP_UTF8 && resolved != CP_UTF7;
    BOOL lost = FALSE;
    BOOL* const lostFlag = canReportLoss ? &lost : nullptr;
    const int length = static_cast<int>(text.size());

    const int bytes =
        WideCharToMultiByte(resolved, 0, text.data(), length, nullptr, 0, nullptr, lostFlag);
    if (bytes <= 0 || lost) return std::nullopt;
    std::string converted(static_cast<std::size_t>(bytes), '\0');
    const int written = WideCharToMultiByte(resolved, 0, text.data(), length, converted.data(),
                                            bytes, nullptr, lostFlag);
    if (written != bytes || lost) return std::nullopt;
    return converted;
}

std::optional<std::string> MonthName(const wchar_t* localeName, unsigned codePage, int month) {
    // LOCALE_SABBREVMONTHNAME1..12 are consecutive.
    const auto item = static_cast<LCTYPE>(LOCALE_SABBREVMONTHNAME1 + month);
    const auto wide = ReadLocaleText(localeName, item);
    if (!wide) return std::nullopt;
    return ToCodePage(*wide, codePage);
}

}  // namespace

MonthNames LocaleMonthNames(const wchar_t* localeName, unsigned codePage) {
    MonthNames names;
    for (int month = 0; month < 12; ++month) {
        auto name = MonthName(localeName, codePage, month);
        if (!name) return EnglishMonthNames();
        names[static_cast<std::size_t>(month)] = std::move(*name);
    }
    return names;
}

MonthNames LocaleMonthNames() { return LocaleMonthNames(LOCALE_NAME_USER_DEFAULT, CP_ACP); }

}  // namespace uptrail
