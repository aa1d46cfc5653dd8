#include "storage/section_file.h"

#include "storage/atomic_file.h"
#include "storage/file_checks.h"

namespace uptrail {

LoadedSection LoadSection(FileSystem& files, const std::filesystem::path& fileName,
                          std::string_view section, std::string_view delimiter) {
    if (!FileExists(files, fileName)) return {};
    std::string contents;
    if (const OsError error = files.ReadWholeFile(fileName, contents); error != kOk)
        return {{}, IsNotFound(error) ? kOk : error};
    return {LoadSectionText(contents, section, delimiter), kOk};
}

OsError SaveSection(FileSystem& files, const std::filesystem::path& fileName,
                    std::string_view section, std::string_view data, std::string_view delimiter) {
    if (fileName.empty() || !FileExists(files, fileName)) return kOk;
    std::string contents;
    if (const OsError error = files.ReadWholeFile(fileName, contents); error != kOk)
        return IsNotFound(error) ? kOk : error;
    return ReplaceFileContents(files, fileName,
                               SaveSectionText(contents, section, data, delimiter));
}

}  // namespace uptrail
