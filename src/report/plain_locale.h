#pragma once
#include "platform/locale.h"

namespace uptrail {

// The report's regional settings where the system offers none it could use: English month
// names, a decimal point, and dates as "2026-12-04 10:00:00" (the date alone at midnight),
// which read the same in every country.
class PlainLocale final : public Locale {
public:
    const MonthNames& Months() const override { return EnglishMonthNames(); }
    std::string DecimalSeparator() const override { return "."; }
    std::string DateTimeText(DateTime value) const override;
};

}  // namespace uptrail
