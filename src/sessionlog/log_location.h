#pragma once
#include <filesystem>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/system_info.h"

namespace uptrail {

// Creates a folder and every missing folder above it.
[[nodiscard]] OsError CreateFolderPath(FileSystem& files, const std::filesystem::path& folder);

// The log folder: "LogFolder" of the program's registry key when set; otherwise the
// program's folder when a file can be created there, else the per-machine data folder
// (%ProgramData%\Tamsk\Uptrail, created when missing), because a program installed under
// Program Files may not write its own folder. The folder is stored back in "LogFolder".
std::filesystem::path ResolveLogFolder(Registry& registry, FileSystem& files,
                                       const SystemInfo& system);

// "LogFolder" as stored, without a trailing separator; empty when it is not set. The
// machine's value (HKEY_LOCAL_MACHINE) is the one every account's copy must use; an
// account's own value counts only where the machine has none.
std::filesystem::path StoredLogFolder(const Registry& registry);

// Whether the log folder is set for the whole machine and this account may not change
// it: then only an administrator can move the log for everyone.
bool LogFolderIsMachinesOnly(Registry& registry);

// Stores "LogFolder" (as wide text, so that any folder name survives). Where the machine
// has a value, only that one is changed; refused, nothing is stored.
[[nodiscard]] OsError StoreLogFolder(Registry& registry, const std::filesystem::path& folder);

// The per-machine data folder's log folder (%ProgramData%\Tamsk\Uptrail); empty when the
// system names no data folder.
std::filesystem::path DataLogFolder(const SystemInfo& system);

// A folder typed into the registry by hand, or handed back by a folder chooser, often ends
// in a separator. It is dropped so that the file path and the stored name come out the
// same either way; a drive root ("C:\\") keeps it, because "C:" alone means the current
// folder of that drive. The cut is made on the path's own characters, not on ANSI text,
// where the second byte of a double-byte character can be a backslash.
std::filesystem::path WithoutTrailingSeparator(const std::filesystem::path& folder);

// The session log file in a log folder: "<folder>\Uptrail.txt".
std::filesystem::path LogFileIn(const std::filesystem::path& folder);

}  // namespace uptrail
