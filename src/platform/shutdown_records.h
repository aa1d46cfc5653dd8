#pragma once
#include <string>
#include <vector>

#include "base/date_time.h"

namespace uptrail {

// The events of the System log that tell how a session ended.
enum class ShutdownEvent {
    kShutdownStarted,  // User32 1074: a process started a restart or a power off
    kUncleanReboot,    // Kernel-Power 41: the system restarted without shutting down cleanly
    kBugCheck,         // BugCheck 1001: the system recovered from a stop error
    kUnexpected,       // EventLog 6008: the previous shut-down was unexpected
};

// One such event: its local time to the second and its data properties in the order the
// event defines them, numbers as decimal text and every text in the ANSI code page. The
// properties are the event's own values, never its message, which is localized.
struct ShutdownRecord {
    ShutdownEvent event = ShutdownEvent::kUnexpected;
    DateTime time{};
    std::vector<std::string> values;
};

}  // namespace uptrail
