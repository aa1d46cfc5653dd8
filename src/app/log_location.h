#pragma once
#include <filesystem>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/system_info.h"

namespace uptrail {

// Creates a folder and every missing folder above it.
OsError CreateFolderPath(FileSystem& files, const std::filesystem::path& folder);

// The log folder: "LogFolder" of the program's registry key when set; otherwise the
// program's folder when a file can be created there, else the per-machine data folder
// (%ProgramData%\Tamsk\Uptrail, created when missing), because a program installed under
// Program Files may not write its own folder. The folder is stored back in "LogFolder".
std::filesystem::path ResolveLogFolder(Registry& registry, FileSystem& files,
                                       const SystemInfo& system);

// The session log file in a log folder: "<folder>\Uptrail.txt".
std::filesystem::path LogFileIn(const std::filesystem::path& folder);

}  // namespace uptrail
