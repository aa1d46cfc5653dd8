#pragma once
#include <windows.h>

#include <vector>

#include "platform/shutdown_records.h"
#include "platform/system_log.h"

namespace uptrail {

// Posted to the window with a std::vector<ShutdownRecord>* in lParam; the window then
// owns the records.
inline constexpr UINT kSystemLogReadMessage = WM_APP + 3;

// Each reading runs on a thread of its own that shares nothing with the program and hands
// its records over only by posting them to `window`. Nothing waits for that thread, so the
// program can end while it reads.
class Win32SystemLogReader final : public SystemLogReader {
public:
    explicit Win32SystemLogReader(HWND window) : window_(window) {}
    bool StartReading() override;

private:
    HWND window_;
};

// Every record of the System log, oldest first: the kinds sessions are told from with
// their data, every other as an activity. Empty when the log cannot be read to its end.
std::vector<ShutdownRecord> ReadWholeSystemLog();

}  // namespace uptrail
