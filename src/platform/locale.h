#pragma once
#include <string>

#include "base/date_time.h"
#include "base/timestamp.h"

namespace uptrail {

// The user's regional settings, as far as the program's texts use them. Texts are ANSI.
class Locale {
public:
    virtual ~Locale() = default;

    // Abbreviated month names, January first.
    virtual const MonthNames& Months() const = 0;

    // The decimal separator ("." or ",").
    virtual std::string DecimalSeparator() const = 0;

    // A date and time in the user's short date and long time form; the time is left out
    // at midnight.
    virtual std::string DateTimeText(DateTime value) const = 0;
};

}  // namespace uptrail
