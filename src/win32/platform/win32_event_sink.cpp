#include "win32/platform/win32_event_sink.h"

#include <string>
#include <vector>

#include "win32/platform/wide_text.h"

namespace uptrail {
namespace {

constexpr wchar_t kEventSource[] = L"Uptrail";

WORD TypeOf(EventLevel level) {
    return level == EventLevel::kWarning ? EVENTLOG_WARNING_TYPE : EVENTLOG_INFORMATION_TYPE;
}

}  // namespace

Win32EventSink::~Win32EventSink() {
    if (source_) DeregisterEventSource(source_);
}

bool Win32EventSink::Write(const LogEvent& event) {
    if (!source_) source_ = RegisterEventSourceW(nullptr, kEventSource);
    if (!source_) return false;
    std::vector<std::wstring> texts;
    texts.reserve(event.strings.size());
    for (const std::string& text : event.strings) texts.push_back(WideFromAnsi(text));
    std::vector<LPCWSTR> strings;
    for (const std::wstring& text : texts) strings.push_back(text.c_str());
    return ReportEventW(source_, TypeOf(event.level), 0, event.id, nullptr,
                        static_cast<WORD>(strings.size()), static_cast<DWORD>(event.data.size()),
                        strings.empty() ? nullptr : strings.data(),
                        event.data.empty() ? nullptr : const_cast<char*>(event.data.data()));
}

}  // namespace uptrail
