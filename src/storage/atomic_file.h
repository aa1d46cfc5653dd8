#pragma once
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "platform/file_system.h"

namespace uptrail {

// Gives `path` exactly `attributes` (as far as the protective bits go) and waits, about a
// second at most, until the file system reports them. No window messages run meanwhile,
// so no second save can start inside the wait.
[[nodiscard]] OsError SetAttributesAndWait(FileSystem& files, const std::filesystem::path& path,
                                           std::uint32_t attributes);

// What a replace that succeeded could not finish.
struct ReplaceNote {
    // The new contents are in place, but read-only, hidden and system could not be put
    // back: the file carries the attributes of a new file until its next replace.
    bool attributesLost = false;
};

// Replaces the whole contents of `target` so that a crash or power loss at any instant
// leaves either the old file or the new one: the new bytes go to a flushed temporary
// file in the same folder, which then takes the target's place in one step. Read-only,
// hidden and system are lifted for the replace and put back afterwards. Creates the file
// when it does not exist. On failure the target keeps its old contents and attributes.
// Once the new contents are in place the replace has succeeded, whatever follows: what it
// could not finish goes into `note`.
[[nodiscard]] OsError ReplaceFileContents(FileSystem& files, const std::filesystem::path& target,
                                          std::string_view contents, ReplaceNote* note = nullptr);

// The same through the temporary file `temporary`, which must lie in the target's folder.
[[nodiscard]] OsError ReplaceFileContentsVia(FileSystem& files, const std::filesystem::path& target,
                                             const std::filesystem::path& temporary,
                                             std::string_view contents,
                                             ReplaceNote* note = nullptr);

// The temporary file a replace of `target` writes first: "<target>.uptrail-new", the name
// earlier builds and the uninstaller know.
std::filesystem::path TemporaryPathFor(const std::filesystem::path& target);

// The temporary file of one process: "<target>.uptrail-new-<processId>", so that copies
// of the program in several sessions never write or take each other's.
std::filesystem::path TemporaryPathFor(const std::filesystem::path& target,
                                       std::uint32_t processId);

// Whether a refused write may succeed when tried again a moment later: another handle
// (another copy reading the file, a virus scanner, a backup) holds the file for now.
bool IsPassingRefusal(OsError error);

}  // namespace uptrail
