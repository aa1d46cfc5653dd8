#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/date_time.h"
#include "platform/shutdown_records.h"

namespace uptrail {

// How Windows started, as its boot record says.
enum class BootType { kCold = 0, kHybrid = 1, kResume = 2 };

// One record of Windows starting: the local time to the second, and the kind of start.
struct BootRecord {
    DateTime time{};
    int type = 0;  // a BootType value as recorded; other values may appear
};

// What the program asks of the running installation: where Windows and the program are,
// and the drives of the machine. Texts are in the ANSI code page.
class SystemInfo {
public:
    virtual ~SystemInfo() = default;

    // The Windows folder as the system reports it, for example "C:\WINDOWS".
    virtual std::string WindowsFolder() const = 0;

    // The volume serial number of a drive ("C:"), or nothing when it cannot be read
    // (no such drive, drive not ready).
    virtual std::optional<std::uint32_t> VolumeSerial(std::string_view drive) const = 0;

    // The root paths of the machine's drives in the system's order, for example "C:".
    virtual std::vector<std::string> DrivePaths() const = 0;

    // The folder of the program file.
    virtual std::filesystem::path ProgramFolder() const = 0;

    // The per-machine data folder (%ProgramData%).
    virtual std::filesystem::path ProgramDataFolder() const = 0;

    // The user's folder for temporary files (%TEMP%).
    virtual std::filesystem::path TemporaryFolder() const = 0;

    // Windows' recent records of its own starts, newest first; empty when they cannot be
    // read (the log cleared or not readable, the API missing).
    virtual std::vector<BootRecord> RecentBootRecords() const = 0;

    // Windows' recent records of how sessions ended, newest first; empty when they cannot
    // be read.
    virtual std::vector<ShutdownRecord> RecentShutdownRecords() const = 0;
};

}  // namespace uptrail
