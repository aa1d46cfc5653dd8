#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "storage/section_text.h"

namespace uptrail {

struct LoadedSection {
    std::string text;
    OsError error = kOk;  // set when the file exists but cannot be read (locked, no rights)
};

// Reads one section of a text file (see LoadSectionText). A missing file or section
// reads as "".
LoadedSection LoadSection(FileSystem& files, const std::filesystem::path& fileName,
                          std::string_view section,
                          std::string_view delimiter = kDefaultSectionDelimiter);

// Replaces one section of an existing file (see SaveSectionText) in a single atomic
// replace that keeps the file's attributes. A missing file is left missing and is not an
// error. On an error the file is left exactly as it was.
[[nodiscard]] OsError SaveSection(FileSystem& files, const std::filesystem::path& fileName,
                                  std::string_view section, std::string_view data,
                                  std::string_view delimiter = kDefaultSectionDelimiter);

}  // namespace uptrail
