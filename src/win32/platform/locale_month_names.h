#pragma once
#include "base/timestamp.h"

namespace uptrail {

// The abbreviated month names of the user's locale in the ANSI code page, the encoding of
// all log and menu text; English when the locale cannot supply all twelve.
MonthNames LocaleMonthNames();

// The same for a named locale (nullptr: the user's) and a given code page. All or nothing:
// when any name cannot be read, or has a character the code page cannot show (which would
// come out as "?"), every name is English, so a menu never mixes two languages.
MonthNames LocaleMonthNames(const wchar_t* localeName, unsigned codePage);

}  // namespace uptrail
