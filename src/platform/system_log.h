#pragma once

namespace uptrail {

// Reads every record of Windows' System event log, away from the user-interface thread: a
// log of months takes seconds to read. The records come back as that reading's event: the
// shell hands them to OnSystemLogRead on the user-interface thread, an empty list where the
// log could not be read (no event-log API, no right to read it, a cleared log).
class SystemLogReader {
public:
    virtual ~SystemLogReader() = default;
    // False when the reading could not be started; then no records will come.
    [[nodiscard]] virtual bool StartReading() = 0;
};

}  // namespace uptrail
