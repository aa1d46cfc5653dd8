#include "win32/platform/win32_time_zone.h"

#include "win32/platform/system_time.h"

namespace uptrail {
namespace {

// SYSTEMTIME holds the years 1601 to 30827.
constexpr std::int64_t kFirstYear = 1601;
constexpr std::int64_t kLastYear = 30827;

}  // namespace

std::chrono::seconds Win32TimeZone::UtcOffset(DateTime local) const {
    const DateTimeFields fields = FieldsOf(local);
    if (fields.year < kFirstYear || fields.year > kLastYear) return {};
    const SYSTEMTIME localTime = SystemTimeOf(local);
    SYSTEMTIME utc{};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &localTime, &utc)) return {};
    return local - DateTimeOf(utc);
}

}  // namespace uptrail
