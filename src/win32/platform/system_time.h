#pragma once
#include <windows.h>

#include "base/date_time.h"

namespace uptrail {

// A date-time as the Windows API takes it. The year must lie within what SYSTEMTIME holds
// (1601 to 30827); callers check it where a value may come from a damaged log.
inline SYSTEMTIME SystemTimeOf(DateTime value) {
    const DateTimeFields f = FieldsOf(value);
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(f.year);
    time.wMonth = static_cast<WORD>(f.month);
    time.wDay = static_cast<WORD>(f.day);
    time.wHour = static_cast<WORD>(f.hour);
    time.wMinute = static_cast<WORD>(f.minute);
    time.wSecond = static_cast<WORD>(f.second);
    return time;
}

inline DateTime DateTimeOf(const SYSTEMTIME& time) {
    return MakeDateTime(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond);
}

}  // namespace uptrail
