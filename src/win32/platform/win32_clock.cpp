#include "win32/platform/win32_clock.h"

#include <windows.h>

namespace uptrail {

DateTime Win32Clock::Now() const {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    return MakeDateTime(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute,
                        local.wSecond);
}

std::uint64_t Win32Clock::TickCount() const { return GetTickCount64(); }

}  // namespace uptrail
