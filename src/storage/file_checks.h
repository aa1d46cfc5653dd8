#pragma once
#include <filesystem>

#include "platform/file_system.h"

namespace uptrail {

// True when `path` names something whose attributes can be read and that is not a folder.
bool FileExists(FileSystem& files, const std::filesystem::path& path);

// True when `path` names a folder whose attributes can be read.
bool FolderExists(FileSystem& files, const std::filesystem::path& path);

}  // namespace uptrail
