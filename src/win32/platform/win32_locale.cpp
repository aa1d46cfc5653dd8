#include "win32/platform/win32_locale.h"

#include <windows.h>

#include "win32/platform/locale_month_names.h"
#include "win32/platform/system_time.h"
#include "win32/platform/wide_text.h"

namespace uptrail {
namespace {

std::string UserLocaleText(LCTYPE type, std::string fallback) {
    wchar_t buffer[16]{};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer,
                        static_cast<int>(std::size(buffer))) <= 1)
        return fallback;
    return AnsiFromWide(buffer);
}

}  // namespace

Win32Locale::Win32Locale()
    : months_(LocaleMonthNames()), decimalSeparator_(UserLocaleText(LOCALE_SDECIMAL, ".")) {}

std::string Win32Locale::DateTimeText(DateTime value) const {
    const SYSTEMTIME time = SystemTimeOf(value);
    wchar_t date[80]{};
    wchar_t clock[80]{};
    if (time.wYear < 1601 || time.wYear > 30827) return FormatTimestamp(value);
    GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date,
                    static_cast<int>(std::size(date)), nullptr);
    std::wstring text = date;
    if (time.wHour || time.wMinute || time.wSecond) {
        GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &time, nullptr, clock,
                        static_cast<int>(std::size(clock)));
        text += L" ";
        text += clock;
    }
    return AnsiFromWide(text);
}

}  // namespace uptrail
