// Windows' own record of its starts, read from the System event log.
#include <climits>
#include <vector>

#include "win32/platform/event_log.h"
#include "win32/platform/win32_system_info.h"

namespace uptrail {
namespace {

// The kernel writes event 27 at every start, with the kind of start in its data.
constexpr wchar_t kBootEventQuery[] =
    L"*[System[Provider[@Name='Microsoft-Windows-Kernel-Boot'] and (EventID=27)]]";
constexpr DWORD kRecordsWanted = 8;

// The kind of start: a small number, in whatever integer type the log renders it.
std::optional<int> BootTypeOf(const EVT_VARIANT& value) {
    const auto number = IntegerOf(value);
    if (!number || *number < INT_MIN || *number > INT_MAX) return std::nullopt;
    return static_cast<int>(*number);
}

// The time and the boot type of one event, read from its values, never from its message.
[[nodiscard]] std::optional<BootRecord> RecordOf(EVT_HANDLE context, EVT_HANDLE event) {
    const RenderedValues values(context, event);
    if (values.Count() < 2 || values[0].Type != EvtVarTypeFileTime) return std::nullopt;
    const auto time = LocalTimeOf(values[0].FileTimeVal);
    const auto type = BootTypeOf(values[1]);
    if (!time || !type) return std::nullopt;
    return BootRecord{*time, *type};
}

}  // namespace

std::vector<BootRecord> Win32SystemInfo::RecentBootRecords() const {
    // Queried first: where the log cannot be read (Wine) the rest of the API may be missing.
    const auto events = NewestSystemEvents(kBootEventQuery, kRecordsWanted);
    if (events.empty()) return {};
    LPCWSTR paths[] = {L"Event/System/TimeCreated/@SystemTime",
                       L"Event/EventData/Data[@Name='BootType']"};
    const UniqueEventLogHandle context(EvtCreateRenderContext(2, paths, EvtRenderContextValues));
    if (!context) return {};
    std::vector<BootRecord> records;
    for (const auto& event : events)
        if (const auto record = RecordOf(context.get(), event.get())) records.push_back(*record);
    return records;
}

}  // namespace uptrail
