#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/ascii_case.h"
#include "base/date_time.h"

namespace uptrail {

// The events of the System log that tell how a session ended, and how it began and slept.
enum class ShutdownEvent {
    kShutdownStarted,  // User32 1074: a process started a restart or a power off
    kUncleanReboot,    // Kernel-Power 41: the system restarted without shutting down cleanly
    kBugCheck,         // BugCheck 1001: the system recovered from a stop error
    kUnexpected,       // EventLog 6008: the previous shut-down was unexpected
    // What a PC's past is read back from besides: a boot, the system's start and stop,
    // sleep and waking.
    kBoot,           // Kernel-Boot 27: values[0] is the BootType (0 cold, 1 Fast Startup)
    kSystemStarted,  // Kernel-General 12: the operating system started (values[6] StartTime)
    kSystemStopped,  // Kernel-General 13: the operating system stopped
    kLogStarted,     // EventLog 6005: the event log service started
    kLogStopped,     // EventLog 6006: the event log service stopped
    kSleepEntered,   // Kernel-Power 42: the system is entering sleep
    // Power-Troubleshooter 1: back from a low-power state; values[0] and [1] are the
    // SleepTime and the WakeTime.
    kWoke,
    kActivity,  // any other record of the System log: the system was running then
};

// One such event: its local time to the second and its data properties in the order the
// event defines them, numbers as decimal text, times as local time stamp text
// ("2026:12:04:08:03:07") and every other text in the ANSI code page. The
// properties are the event's own values, never its message, which is localized.
struct ShutdownRecord {
    ShutdownEvent event = ShutdownEvent::kUnexpected;
    DateTime time{};
    std::vector<std::string> values;
};

namespace detail {

struct KnownEvent {
    std::string_view provider;
    unsigned id;
    ShutdownEvent event;
};

// Providers as the System log names them; a stop error is reported under either name.
inline constexpr std::array<KnownEvent, 12> kKnownEvents{{
    {"Microsoft-Windows-Kernel-Boot", 27, ShutdownEvent::kBoot},
    {"Microsoft-Windows-Kernel-General", 12, ShutdownEvent::kSystemStarted},
    {"Microsoft-Windows-Kernel-General", 13, ShutdownEvent::kSystemStopped},
    {"EventLog", 6005, ShutdownEvent::kLogStarted},
    {"EventLog", 6006, ShutdownEvent::kLogStopped},
    {"EventLog", 6008, ShutdownEvent::kUnexpected},
    {"Microsoft-Windows-Kernel-Power", 41, ShutdownEvent::kUncleanReboot},
    {"Microsoft-Windows-Kernel-Power", 42, ShutdownEvent::kSleepEntered},
    {"Microsoft-Windows-Power-Troubleshooter", 1, ShutdownEvent::kWoke},
    {"User32", 1074, ShutdownEvent::kShutdownStarted},
    {"Microsoft-Windows-WER-SystemErrorReporting", 1001, ShutdownEvent::kBugCheck},
    {"BugCheck", 1001, ShutdownEvent::kBugCheck},
}};

}  // namespace detail

// The kind of a System-log record by its provider's name and event ID, or nothing for a
// record that tells nothing of a session's start, end or sleep.
inline std::optional<ShutdownEvent> SystemEventOf(std::string_view provider, unsigned eventId) {
    for (const detail::KnownEvent& known : detail::kKnownEvents)
        if (known.id == eventId && SameNameIgnoringCase(known.provider, provider))
            return known.event;
    return std::nullopt;
}

}  // namespace uptrail
