#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace uptrail {

enum class EventLevel { kInformation, kWarning };

// One entry for the Windows event log: its ID (a message of the program's message table),
// its level, its insertion strings in order (ANSI code page), and its binary data.
struct LogEvent {
    std::uint32_t id = 0;
    EventLevel level = EventLevel::kInformation;
    std::vector<std::string> strings;
    std::string data;
};

// Where the program's events go: the Application log, under the source "Uptrail".
class EventSink {
public:
    virtual ~EventSink() = default;

    // False when the event could not be written; nobody retries.
    virtual bool Write(const LogEvent& event) = 0;
};

}  // namespace uptrail
