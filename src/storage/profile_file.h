#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace uptrail {

// One value of a profile file (sections of key=value lines), read as the platform's
// GetPrivateProfileStringA reads it: the stored value, or `defaultValue` when the file,
// the section or the key is missing or the file cannot be read.
[[nodiscard]] std::string ReadProfile(FileSystem& files, const std::filesystem::path& fileName,
                                      std::string_view section, std::string_view key,
                                      std::string_view defaultValue = {});

// Stores one value as WritePrivateProfileStringA would, through an atomic replace of the
// file. A value equal to the stored one is not written (the file keeps its time stamps);
// an empty value is written as a single blank. The file's attributes are put back.
[[nodiscard]] OsError WriteProfile(FileSystem& files, const std::filesystem::path& fileName,
                                   std::string_view section, std::string_view key,
                                   std::string_view value);

}  // namespace uptrail
