#include "storage/file_checks.h"

namespace uptrail {

bool FileExists(const FileSystem& files, const std::filesystem::path& path) {
    if (path.empty()) return false;
    const auto attributes = files.GetAttributes(path);
    return attributes && (*attributes & file_attr::kDirectory) == 0;
}

bool FolderExists(FileSystem& files, const std::filesystem::path& path) {
    if (path.empty()) return false;
    const auto attributes = files.GetAttributes(path);
    return attributes && (*attributes & file_attr::kDirectory) != 0;
}

}  // namespace uptrail
