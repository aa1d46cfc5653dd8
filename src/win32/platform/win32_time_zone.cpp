#include "win32/platform/win32_time_zone.h"

#include <windows.h>

namespace uptrail {
namespace {

// SYSTEMTIME holds the years 1601 to 30827.
constexpr std::int64_t kFirstYear = 1601;
constexpr std::int64_t kLastYear = 30827;

}  // namespace

std::chrono::seconds Win32TimeZone::UtcOffset(DateTime local) const {
    const DateTimeFields fields = FieldsOf(local);
    if (fields.year < kFirstYear || fields.year > kLastYear) return {};
    SYSTEMTIME localTime{};
    localTime.wYear = static_cast<WORD>(fields.year);
    localTime.wMonth = static_cast<WORD>(fields.month);
    localTime.wDay = static_cast<WORD>(fields.day);
    localTime.wHour = static_cast<WORD>(fields.hour);
    localTime.wMinute = static_cast<WORD>(fields.minute);
    localTime.wSecond = static_cast<WORD>(fields.second);
    SYSTEMTIME utc{};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &localTime, &utc)) return {};
    const DateTime utcTime =
        MakeDateTime(utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute, utc.wSecond);
    return local - utcTime;
}

}  // namespace uptrail
