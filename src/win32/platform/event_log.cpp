#include "win32/platform/event_log.h"

namespace uptrail {
namespace {

constexpr DWORD kQueryTimeoutMs = 2000;

}  // namespace

std::vector<UniqueEventLogHandle> NewestSystemEvents(const wchar_t* query, DWORD most) {
    std::vector<UniqueEventLogHandle> events;
    const UniqueEventLogHandle results(
        EvtQuery(nullptr, L"System", query, EvtQueryChannelPath | EvtQueryReverseDirection));
    if (!results) return events;
    std::vector<EVT_HANDLE> handles(most);
    DWORD returned = 0;
    if (!EvtNext(results.get(), most, handles.data(), kQueryTimeoutMs, 0, &returned)) return events;
    for (DWORD i = 0; i < returned; ++i) events.emplace_back(handles[i]);
    return events;
}

RenderedValues::RenderedValues(EVT_HANDLE context, EVT_HANDLE event) {
    DWORD used = 0;
    DWORD count = 0;
    EvtRender(context, event, EvtRenderEventValues, 0, nullptr, &used, &count);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || used == 0) return;
    values_.resize(used / sizeof(EVT_VARIANT) + 1);
    if (!EvtRender(context, event, EvtRenderEventValues,
                   static_cast<DWORD>(values_.size() * sizeof(EVT_VARIANT)), values_.data(), &used,
                   &count))
        return;
    count_ = count;
}

std::optional<DateTime> LocalTimeOf(ULONGLONG fileTime) {
    FILETIME utcFile{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    if (!FileTimeToSystemTime(&utcFile, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return std::nullopt;
    return MakeDateTime(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute,
                        local.wSecond);
}

}  // namespace uptrail
