#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/registry.h"

namespace uptrail {

// Everything `Setting` needs to find a value: the program-wide log file, the identity of
// the running installation (the log file's section of its own) and the platform.
struct SettingsStore {
    FileSystem& files;
    Registry& registry;
    std::filesystem::path logFile;
    std::string systemId;
};

// The section that sends a value to the program's registry key instead of the log file.
inline constexpr std::string_view kRegistrySection = "Registry";

// Reads (action "get") or stores (action "put") one named settings value; any other
// action does nothing. The section says where the value lives: "Registry" (exactly) is
// the program's registry key, an empty section is the running installation's own section
// of the log file, and any other section of the log file is named as given.
// "get" gives the stored text, or an empty text when there is none or it cannot be read;
// "put" gives an empty text, and a refused write is dropped: callers carry on with the
// value they meant to store.
std::string Setting(const SettingsStore& store, std::string_view action, std::string_view key,
                    std::string_view value = {}, std::string_view section = {});

}  // namespace uptrail
