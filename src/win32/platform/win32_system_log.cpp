#include "win32/platform/win32_system_log.h"

#include <memory>
#include <system_error>
#include <thread>

#include "win32/platform/event_log.h"

namespace uptrail {
namespace {

constexpr DWORD kBatch = 512;
// The longest wait for one batch; a log service that takes longer gives no import now,
// and the next start tries again.
constexpr DWORD kBatchWaitMs = 30000;

}  // namespace

std::vector<ShutdownRecord> ReadWholeSystemLog() {
    std::vector<ShutdownRecord> records;
    const UniqueEventLogHandle results(
        EvtQuery(nullptr, L"System", L"*", EvtQueryChannelPath | EvtQueryForwardDirection));
    if (!results) return records;
    const RecordContexts contexts;
    if (!contexts) return records;
    std::vector<EVT_HANDLE> handles(kBatch);
    for (;;) {
        DWORD returned = 0;
        if (!EvtNext(results.get(), kBatch, handles.data(), kBatchWaitMs, 0, &returned)) {
            // Only a log read to its end is imported: a part would be taken for all of it.
            if (GetLastError() != ERROR_NO_MORE_ITEMS) records.clear();
            return records;
        }
        for (DWORD i = 0; i < returned && i < kBatch; ++i) {
            const UniqueEventLogHandle event(handles[i]);
            if (auto record = contexts.RecordOf(event.get(), true))
                records.push_back(std::move(*record));
        }
        if (returned == 0) return records;
    }
}

bool Win32SystemLogReader::StartReading() {
    auto read = [window = window_] {
        auto records = std::make_unique<std::vector<ShutdownRecord>>(ReadWholeSystemLog());
        // Once posted, the records belong to the window; a window that is gone (the
        // program is ending) leaves them to be freed here.
        if (PostMessageW(window, kSystemLogReadMessage, 0, reinterpret_cast<LPARAM>(records.get())))
            records.release();
    };
    try {
        std::thread(std::move(read)).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

}  // namespace uptrail
