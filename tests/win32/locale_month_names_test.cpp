#include <gtest/gtest.h>
#include <windows.h>

#include "win32/locale_month_names.h"

namespace uptrail {
namespace {

constexpr unsigned kWesternEuropeanCodePage = 1252;
constexpr unsigned kCyrillicCodePage = 1251;

TEST(LocaleMonthNames, AnEnglishLocaleGivesJanToDec) {
    EXPECT_EQ(LocaleMonthNames(L"en-US", kWesternEuropeanCodePage), EnglishMonthNames());
}

TEST(LocaleMonthNames, TheUsersEnglishLocaleGivesJanToDecInTheDisplayForms) {
    wchar_t localeName[LOCALE_NAME_MAX_LENGTH] = {};
    ASSERT_GT(GetUserDefaultLocaleName(localeName, LOCALE_NAME_MAX_LENGTH), 0);
    ASSERT_EQ(std::wstring(localeName).rfind(L"en-", 0), 0u)
        << "the win32 tests expect the English user locale of a fresh Wine prefix";

    const MonthNames names = LocaleMonthNames();
    EXPECT_EQ(names, EnglishMonthNames());
    EXPECT_EQ(FormatMonthDayYear(MakeDateTime(2026, 12, 4), names), "Dec 04, 2026");
}

TEST(LocaleMonthNames, ConvertsNamesToTheCodePageRatherThanUtf8) {
    const MonthNames german = LocaleMonthNames(L"de-DE", kWesternEuropeanCodePage);
    // March is "M\u00e4r..." in German: one byte 0xE4 in code page 1252, where UTF-8 would
    // give the two bytes C3 A4.
    EXPECT_EQ(german[2].substr(0, 2), "M\xE4");
    EXPECT_NE(german, EnglishMonthNames());
    EXPECT_EQ(LocaleMonthNames(L"de-DE", CP_UTF8)[2].substr(0, 3), "M\xC3\xA4");

    const MonthNames russian = LocaleMonthNames(L"ru-RU", kCyrillicCodePage);
    EXPECT_NE(russian, EnglishMonthNames());
    for (const auto& name : russian)
        EXPECT_GE(static_cast<unsigned char>(name.at(0)), 0xC0) << "not Cyrillic: " << name;
}

TEST(LocaleMonthNames, FallsBackToEnglishWhenTheNamesCannotBeShownOrRead) {
    // Cyrillic names have no bytes in the Western code page; "?" marks would be useless.
    EXPECT_EQ(LocaleMonthNames(L"ru-RU", kWesternEuropeanCodePage), EnglishMonthNames());
    EXPECT_EQ(LocaleMonthNames(L"no-such-locale-xx", kWesternEuropeanCodePage),
              EnglishMonthNames());
}

}  // namespace
}  // namespace uptrail
