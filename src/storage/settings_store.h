#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "storage/log_writer.h"
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
    // When given, each value Put stores in the log file is a change of its own through
    // this writer (under the machine-wide lock, on a fresh read, kept when refused).
    // Without one, `files` is written directly: a change staged by the writer already.
    LogWriter* writer = nullptr;

    // The same settings on another view of the log file (a staged change), written there.
    SettingsStore On(FileSystem& staged) const {
        return SettingsStore{staged, registry, logFile, systemId, programKey, nullptr};
    }
};

// The stored text of a setting, or an empty text when there is none or it cannot be read.
[[nodiscard]] std::string Get(const SettingsStore& store, const SettingName& name);

// A setting of another installation: kept in the section named `system` instead of the
// running installation's own.
[[nodiscard]] std::string GetOf(const SettingsStore& store, const SettingName& name,
                                std::string_view system);

// Stores a setting. Settings are best effort: callers carry on with the value they meant
// to store. Through a writer, a refused write of the log is kept and tried again later;
// without one, it is dropped.
void Put(const SettingsStore& store, const SettingName& name, std::string_view value);

}  // namespace uptrail
