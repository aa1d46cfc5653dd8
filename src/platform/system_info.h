#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace uptrail {

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
};

}  // namespace uptrail
