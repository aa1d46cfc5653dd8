#include "posix/posix_time_zone.h"

#include <ctime>
#include <limits>

namespace uptrail {

std::chrono::seconds PosixTimeZone::UtcOffset(DateTime local) const {
    const DateTimeFields fields = FieldsOf(local);
    // Years the C library cannot hold take no offset rather than a wrong one.
    constexpr std::int64_t kTmYearBase = 1900;
    if (fields.year - kTmYearBase < std::numeric_limits<int>::min() / 2 ||
        fields.year - kTmYearBase > std::numeric_limits<int>::max() / 2)
        return {};
    std::tm broken{};
    broken.tm_year = static_cast<int>(fields.year - kTmYearBase);
    broken.tm_mon = fields.month - 1;
    broken.tm_mday = fields.day;
    broken.tm_hour = fields.hour;
    broken.tm_min = fields.minute;
    broken.tm_sec = fields.second;
    broken.tm_isdst = -1;  // the rules decide
    const std::time_t utc = std::mktime(&broken);
    if (utc == static_cast<std::time_t>(-1)) return {};
    // mktime moves a time that a change skips past the gap; the offset is the one after it.
    const DateTime normalised =
        MakeDateTime(broken.tm_year + 1900, broken.tm_mon + 1, broken.tm_mday, broken.tm_hour,
                     broken.tm_min, broken.tm_sec);
    return normalised.time_since_epoch() - std::chrono::seconds{utc};
}

}  // namespace uptrail
