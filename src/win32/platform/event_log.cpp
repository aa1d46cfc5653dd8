#include "win32/platform/event_log.h"

#include "base/timestamp.h"
#include "win32/platform/wide_text.h"

namespace uptrail {
namespace {

// The longest wait for all records asked for.
constexpr ULONGLONG kQueryBoundMs = 15000;

std::optional<ShutdownEvent> KindOf(const EVT_VARIANT& provider, const EVT_VARIANT& id) {
    if (provider.Type != EvtVarTypeString || id.Type != EvtVarTypeUInt16 || !provider.StringVal)
        return std::nullopt;
    return SystemEventOf(AnsiFromWide(provider.StringVal), id.UInt16Val);
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
    case EvtVarTypeFileTime: {
        // A time among the data, in local time as the record's own is read.
        const auto local = LocalTimeOf(value.FileTimeVal);
        return local ? FormatTimestamp(*local) : std::string();
    }
    default: return {};
    }
}

}  // namespace

std::vector<UniqueEventLogHandle> NewestSystemEvents(const wchar_t* query, DWORD most) {
    std::vector<UniqueEventLogHandle> events;
    const UniqueEventLogHandle results(
        EvtQuery(nullptr, L"System", query, EvtQueryChannelPath | EvtQueryReverseDirection));
    if (!results) return events;
    // EvtNext may give fewer records than asked although more follow; it fails with
    // ERROR_NO_MORE_ITEMS at the end and with ERROR_TIMEOUT when the wait is over.
    const ULONGLONG deadline = GetTickCount64() + kQueryBoundMs;
    std::vector<EVT_HANDLE> handles(most);
    while (events.size() < most) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) break;
        const DWORD wanted = most - static_cast<DWORD>(events.size());
        DWORD returned = 0;
        if (!EvtNext(results.get(), wanted, handles.data(), static_cast<DWORD>(deadline - now), 0,
                     &returned))
            break;
        for (DWORD i = 0; i < returned && i < wanted; ++i) events.emplace_back(handles[i]);
        if (returned == 0) break;
    }
    return events;
}

std::optional<std::int64_t> IntegerOf(const EVT_VARIANT& value) {
    switch (value.Type) {
    case EvtVarTypeSByte: return value.SByteVal;
    case EvtVarTypeByte: return value.ByteVal;
    case EvtVarTypeInt16: return value.Int16Val;
    case EvtVarTypeUInt16: return value.UInt16Val;
    case EvtVarTypeInt32: return value.Int32Val;
    case EvtVarTypeUInt32:
    case EvtVarTypeHexInt32: return value.UInt32Val;
    case EvtVarTypeInt64: return value.Int64Val;
    case EvtVarTypeUInt64:
    case EvtVarTypeHexInt64:
        // Beyond the signed range no value of the log's own fields lies; refused rather
        // than wrapped into a negative number.
        if (value.UInt64Val > static_cast<ULONG64>(INT64_MAX)) return std::nullopt;
        return static_cast<std::int64_t>(value.UInt64Val);
    default: return std::nullopt;
    }
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

RecordContexts::RecordContexts()
    : system_(EvtCreateRenderContext(0, nullptr, EvtRenderContextSystem)),
      user_(EvtCreateRenderContext(0, nullptr, EvtRenderContextUser)) {}

std::optional<ShutdownRecord> RecordContexts::RecordOf(EVT_HANDLE event,
                                                       bool othersAsActivity) const {
    const RenderedValues system(system_.get(), event);
    if (system.Count() <= EvtSystemTimeCreated ||
        system[EvtSystemTimeCreated].Type != EvtVarTypeFileTime)
        return std::nullopt;
    auto kind = KindOf(system[EvtSystemProviderName], system[EvtSystemEventID]);
    if (!kind && !othersAsActivity) return std::nullopt;
    const auto time = LocalTimeOf(system[EvtSystemTimeCreated].FileTimeVal);
    if (!time) return std::nullopt;
    ShutdownRecord record{kind.value_or(ShutdownEvent::kActivity), *time, {}};
    // Only the kinds a session is told from need their data; rendering it is most of the
    // cost of a record.
    if (!kind) return record;
    const RenderedValues data(user_.get(), event);
    for (std::size_t index = 0; index < data.Count(); ++index)
        record.values.push_back(TextOf(data[index]));
    return record;
}

}  // namespace uptrail
