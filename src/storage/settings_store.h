#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "storage/setting_names.h"

namespace uptrail {

// Everything a setting is found by: the program-wide log file, the identity of the running
// installation (the log file's section of its own), the program's registry key and the
// platform.
struct SettingsStore {
    FileSystem& files;
    Registry& registry;
    std::filesystem::path logFile;
    std::string systemId;
    std::string programKey;  // under HKEY_LOCAL_MACHINE
};

// The stored text of a setting, or an empty text when there is none or it cannot be read.
[[nodiscard]] std::string Get(const SettingsStore& store, const SettingName& name);

// A setting of another installation: kept in the section named `system` instead of the
// running installation's own.
[[nodiscard]] std::string GetOf(const SettingsStore& store, const SettingName& name,
                                std::string_view system);

// Stores a setting. Settings are best effort: a refused write is dropped, and callers
// carry on with the value they meant to store.
void Put(const SettingsStore& store, const SettingName& name, std::string_view value);

}  // namespace uptrail
