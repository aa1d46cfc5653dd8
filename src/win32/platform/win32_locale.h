#pragma once
#include "platform/locale.h"

namespace uptrail {

// The user's regional settings, read once when the program starts.
class Win32Locale final : public Locale {
public:
    Win32Locale();

    const MonthNames& Months() const override { return months_; }
    std::string DecimalSeparator() const override { return decimalSeparator_; }
    std::string DateTimeText(DateTime value) const override;

private:
    MonthNames months_;
    std::string decimalSeparator_;
};

}  // namespace uptrail
