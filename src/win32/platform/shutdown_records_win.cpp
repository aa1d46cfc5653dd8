// Windows' own records of how sessions ended, read from the System event log by the
// properties of each record, never from its message, which is localized.
#include <cwchar>
#include <string>
#include <vector>

#include "win32/platform/event_log.h"
#include "win32/platform/wide_text.h"
#include "win32/platform/win32_system_info.h"

namespace uptrail {
namespace {

constexpr wchar_t kShutdownEventQuery[] =
    L"*[System[(Provider[@Name='User32'] and EventID=1074)"
    L" or (Provider[@Name='Microsoft-Windows-Kernel-Power'] and EventID=41)"
    L" or (Provider[@Name='Microsoft-Windows-WER-SystemErrorReporting'] and EventID=1001)"
    L" or (Provider[@Name='EventLog'] and EventID=6008)]]";
// A few sessions' worth: the start-up asks only about the one that just ended.
constexpr DWORD kRecordsWanted = 32;

struct EventKind {
    const wchar_t* provider;
    unsigned id;
    ShutdownEvent event;
};

constexpr EventKind kKinds[] = {
    {L"User32", 1074, ShutdownEvent::kShutdownStarted},
    {L"Microsoft-Windows-Kernel-Power", 41, ShutdownEvent::kUncleanReboot},
    {L"Microsoft-Windows-WER-SystemErrorReporting", 1001, ShutdownEvent::kBugCheck},
    {L"EventLog", 6008, ShutdownEvent::kUnexpected},
};

std::optional<ShutdownEvent> KindOf(const EVT_VARIANT& provider, const EVT_VARIANT& id) {
    if (provider.Type != EvtVarTypeString || id.Type != EvtVarTypeUInt16) return std::nullopt;
    for (const EventKind& kind : kKinds)
        if (id.UInt16Val == kind.id && _wcsicmp(provider.StringVal, kind.provider) == 0)
            return kind.event;
    return std::nullopt;
}

// One property as text: numbers in decimal, texts in the ANSI code page.
std::string TextOf(const EVT_VARIANT& value) {
    switch (value.Type) {
    case EvtVarTypeString: return value.StringVal ? AnsiFromWide(value.StringVal) : std::string();
    case EvtVarTypeByte: return std::to_string(value.ByteVal);
    case EvtVarTypeUInt16: return std::to_string(value.UInt16Val);
    case EvtVarTypeUInt32:
    case EvtVarTypeHexInt32: return std::to_string(value.UInt32Val);
    case EvtVarTypeInt32: return std::to_string(value.Int32Val);
    case EvtVarTypeUInt64:
    case EvtVarTypeHexInt64: return std::to_string(value.UInt64Val);
    case EvtVarTypeInt64: return std::to_string(value.Int64Val);
    case EvtVarTypeBoolean: return value.BooleanVal ? "1" : "0";
    default: return {};
    }
}

std::optional<ShutdownRecord> RecordOf(EVT_HANDLE systemContext, EVT_HANDLE userContext,
                                       EVT_HANDLE event) {
    const RenderedValues system(systemContext, event);
    if (system.Count() <= EvtSystemTimeCreated) return std::nullopt;
    const auto kind = KindOf(system[EvtSystemProviderName], system[EvtSystemEventID]);
    if (!kind || system[EvtSystemTimeCreated].Type != EvtVarTypeFileTime) return std::nullopt;
    const auto time = LocalTimeOf(system[EvtSystemTimeCreated].FileTimeVal);
    if (!time) return std::nullopt;
    ShutdownRecord record{*kind, *time, {}};
    const RenderedValues data(userContext, event);
    for (std::size_t index = 0; index < data.Count(); ++index)
        record.values.push_back(TextOf(data[index]));
    return record;
}

}  // namespace

std::vector<ShutdownRecord> Win32SystemInfo::RecentShutdownRecords() const {
    // Queried first: where the log cannot be read (Wine) the rest of the API may be missing.
    const auto events = NewestSystemEvents(kShutdownEventQuery, kRecordsWanted);
    if (events.empty()) return {};
    const UniqueEventLogHandle systemContext(
        EvtCreateRenderContext(0, nullptr, EvtRenderContextSystem));
    const UniqueEventLogHandle userContext(
        EvtCreateRenderContext(0, nullptr, EvtRenderContextUser));
    if (!systemContext || !userContext) return {};
    std::vector<ShutdownRecord> records;
    for (const auto& event : events)
        if (auto record = RecordOf(systemContext.get(), userContext.get(), event.get()))
            records.push_back(std::move(*record));
    return records;
}

}  // namespace uptrail
