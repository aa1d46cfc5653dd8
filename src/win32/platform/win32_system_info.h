#pragma once
#include "platform/system_info.h"

namespace uptrail {

// SystemInfo on the Win32 API (wide functions, texts handed on in the ANSI code page).
class Win32SystemInfo final : public SystemInfo {
public:
    std::string WindowsFolder() const override;
    std::optional<std::uint32_t> VolumeSerial(std::string_view drive) const override;
    std::vector<std::string> DrivePaths() const override;
    std::filesystem::path ProgramFolder() const override;
    std::filesystem::path ProgramDataFolder() const override;
    std::filesystem::path TemporaryFolder() const override;
    std::vector<BootRecord> RecentBootRecords() const override;
    std::vector<ShutdownRecord> RecentShutdownRecords() const override;
};

}  // namespace uptrail
