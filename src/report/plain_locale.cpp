#include "report/plain_locale.h"

#include "base/duration_text.h"

namespace uptrail {

std::string PlainLocale::DateTimeText(DateTime value) const {
    const DateTimeFields f = FieldsOf(value);
    std::string text = FormatPadded(f.year, 4);
    text.append("-").append(FormatPadded(f.month, 2)).append("-").append(FormatPadded(f.day, 2));
    if (f.hour != 0 || f.minute != 0 || f.second != 0)
        text.append(" ")
            .append(FormatPadded(f.hour, 2))
            .append(":")
            .append(FormatPadded(f.minute, 2))
            .append(":")
            .append(FormatPadded(f.second, 2));
    return text;
}

}  // namespace uptrail
