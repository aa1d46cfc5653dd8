#pragma once
// Reading records of the Windows event log through the event-log API. Only the files that
// read the log include this header, and with it winevt.h.
#include <windows.h>
#include <winevt.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "base/date_time.h"
#include "platform/shutdown_records.h"
#include "win32/platform/unique_handle.h"

namespace uptrail {

using UniqueEventLogHandle = UniqueHandle<EVT_HANDLE, EvtClose>;

// The newest `most` records of the System log that `query` (an XPath filter) selects,
// newest first; none when the log cannot be read. The log service may hand them over a
// few at a time and be slow while Windows signs in, so this waits several seconds at most:
// call it only where Windows is not waiting for the program.
std::vector<UniqueEventLogHandle> NewestSystemEvents(const wchar_t* query, DWORD most);

// The values a render context gives for one record, in a buffer that also holds the texts
// they point to.
class RenderedValues {
public:
    RenderedValues(EVT_HANDLE context, EVT_HANDLE event);

    std::size_t Count() const { return count_; }
    const EVT_VARIANT& operator[](std::size_t index) const { return values_[index]; }

private:
    std::vector<EVT_VARIANT> values_;
    std::size_t count_ = 0;
};

// An integer value of an event as the log renders it: signed or unsigned, 8 to 64 bits, in
// decimal or hexadecimal form. Nothing for any other type.
[[nodiscard]] std::optional<std::int64_t> IntegerOf(const EVT_VARIANT& value);

// Reads records of the System log the way the portable code takes them.
class RecordContexts {
public:
    RecordContexts();
    explicit operator bool() const { return system_ && user_; }

    // The record's kind by its provider and ID, its local time and, for a kind that tells
    // of sessions, its data properties as text (numbers in decimal, texts in the ANSI code
    // page), never its message, which is localized. A record of another kind is an
    // activity without data when `othersAsActivity`, else nothing.
    [[nodiscard]] std::optional<ShutdownRecord> RecordOf(EVT_HANDLE event,
                                                         bool othersAsActivity) const;

private:
    UniqueEventLogHandle system_;
    UniqueEventLogHandle user_;
};

// An event time (UTC, in 100-ns units) as local time to the second.
[[nodiscard]] std::optional<DateTime> LocalTimeOf(ULONGLONG fileTime);

}  // namespace uptrail
