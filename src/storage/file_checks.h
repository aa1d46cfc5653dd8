#pragma once
#include <filesystem>

#include "platform/file_system.h"

namespace uptrail {

// True when `path` names something whose attributes can be read and that is not a folder.
[[nodiscard]] bool FileExists(const FileSystem& files, const std::filesystem::path& path);

// True when `path` names a folder whose attributes can be read.
bool FolderExists(FileSystem& files, const std::filesystem::path& path);

}  // namespace uptrail
