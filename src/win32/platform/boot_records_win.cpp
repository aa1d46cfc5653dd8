// Windows' own record of its starts, read from the System event log.
#include <windows.h>
#include <winevt.h>

#include <vector>

#include "win32/platform/unique_handle.h"
#include "win32/platform/win32_system_info.h"

namespace uptrail {
namespace {

// Here rather than beside the other owners, so that only this file includes winevt.h.
using UniqueEventLogHandle = UniqueHandle<EVT_HANDLE, EvtClose>;

// The kernel writes event 27 at every start, with the kind of start in its data.
constexpr wchar_t kBootEventQuery[] =
    L"*[System[Provider[@Name='Microsoft-Windows-Kernel-Boot'] and (EventID=27)]]";
constexpr DWORD kRecordsWanted = 8;
constexpr DWORD kQueryTimeoutMs = 2000;

[[nodiscard]] std::optional<DateTime> LocalTimeOf(ULONGLONG fileTime) {
    FILETIME utcFile{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    if (!FileTimeToSystemTime(&utcFile, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return std::nullopt;
    return MakeDateTime(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute,
                        local.wSecond);
}

std::optional<int> NumberOf(const EVT_VARIANT& value) {
    switch (value.Type) {
    case EvtVarTypeByte: return value.ByteVal;
    case EvtVarTypeUInt16: return value.UInt16Val;
    case EvtVarTypeUInt32: return static_cast<int>(value.UInt32Val);
    case EvtVarTypeInt32: return value.Int32Val;
    default: return std::nullopt;
    }
}

// The time and the boot type of one event, read from its values, never from its message.
[[nodiscard]] std::optional<BootRecord> RecordOf(EVT_HANDLE context, EVT_HANDLE event) {
    DWORD used = 0;
    DWORD count = 0;
    EvtRender(context, event, EvtRenderEventValues, 0, nullptr, &used, &count);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || used == 0) return std::nullopt;
    std::vector<EVT_VARIANT> values(used / sizeof(EVT_VARIANT) + 1);
    if (!EvtRender(context, event, EvtRenderEventValues,
                   static_cast<DWORD>(values.size() * sizeof(EVT_VARIANT)), values.data(), &used,
                   &count) ||
        count < 2 || values[0].Type != EvtVarTypeFileTime)
        return std::nullopt;
    const auto time = LocalTimeOf(values[0].FileTimeVal);
    const auto type = NumberOf(values[1]);
    if (!time || !type) return std::nullopt;
    return BootRecord{*time, *type};
}

}  // namespace

std::vector<BootRecord> Win32SystemInfo::RecentBootRecords() const {
    const UniqueEventLogHandle query(EvtQuery(nullptr, L"System", kBootEventQuery,
                                              EvtQueryChannelPath | EvtQueryReverseDirection));
    if (!query) return {};
    LPCWSTR paths[] = {L"Event/System/TimeCreated/@SystemTime",
                       L"Event/EventData/Data[@Name='BootType']"};
    const UniqueEventLogHandle context(EvtCreateRenderContext(2, paths, EvtRenderContextValues));
    if (!context) return {};

    EVT_HANDLE events[kRecordsWanted]{};
    DWORD returned = 0;
    if (!EvtNext(query.get(), kRecordsWanted, events, kQueryTimeoutMs, 0, &returned)) return {};
    std::vector<BootRecord> records;
    for (DWORD i = 0; i < returned; ++i) {
        const UniqueEventLogHandle event(events[i]);
        if (const auto record = RecordOf(context.get(), event.get())) records.push_back(*record);
    }
    return records;
}

}  // namespace uptrail
