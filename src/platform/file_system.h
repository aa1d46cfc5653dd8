#pragma once
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/os_error.h"

namespace uptrail {

// File attribute bits with the values Windows gives them, because the log file's
// attribute set (read-only plus system, 5) is part of its stored contract.
namespace file_attr {
inline constexpr std::uint32_t kReadOnly = 0x01;
inline constexpr std::uint32_t kHidden = 0x02;
inline constexpr std::uint32_t kSystem = 0x04;
inline constexpr std::uint32_t kDirectory = 0x10;
inline constexpr std::uint32_t kArchive = 0x20;
inline constexpr std::uint32_t kNormal = 0x80;
// The attributes that stop a file from being replaced or rewritten.
inline constexpr std::uint32_t kProtective = kReadOnly | kHidden | kSystem;
}  // namespace file_attr

// What tells whether a file changed since it was last looked at, without reading it.
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;  // in the platform's own units
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The few file operations the portable code needs. Contents are raw bytes (the log
// file is ANSI text); paths are std::filesystem paths so non-ASCII folders work.
// Method names keep clear of the names <windows.h> turns into macros.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The attribute bits, or nothing when the path does not exist or cannot be read.
    [[nodiscard]] virtual std::optional<std::uint32_t> GetAttributes(
        const std::filesystem::path& path) const = 0;
    [[nodiscard]] virtual OsError SetAttributes(const std::filesystem::path& path,
                                                std::uint32_t attributes) = 0;

    // Reads the whole file.
    [[nodiscard]] virtual OsError ReadWholeFile(const std::filesystem::path& path,
                                                std::string& contents) const = 0;

    // Creates (or truncates) the file, writes the bytes and flushes them to the disk
    // before returning, so a later replace never exposes a file whose data is not there.
    [[nodiscard]] virtual OsError WriteNewFile(const std::filesystem::path& path,
                                               std::string_view contents) = 0;

    // Puts `source` in the place of `target` in one step: afterwards `target` holds either
    // its old contents or the new ones, whatever happens during the call.
    [[nodiscard]] virtual OsError MoveOver(const std::filesystem::path& source,
                                           const std::filesystem::path& target) = 0;

    [[nodiscard]] virtual OsError RemoveFile(const std::filesystem::path& path) = 0;

    // Copies a file, replacing `target`; the copy keeps the source's attributes.
    [[nodiscard]] virtual OsError CopyWholeFile(const std::filesystem::path& source,
                                                const std::filesystem::path& target) = 0;

    // Creates one folder whose parent exists; a folder that is already there is kOk.
    [[nodiscard]] virtual OsError CreateFolder(const std::filesystem::path& path) = 0;

    // Waits a little without running window messages; used while a file system settles.
    virtual void Pause(std::chrono::milliseconds duration) = 0;

    // The size and time of the last write of a file; nothing when it cannot be read, or
    // when the file system cannot tell (then a change is never noticed this way).
    [[nodiscard]] virtual std::optional<FileStamp> StampOf(
        const std::filesystem::path& path) const {
        static_cast<void>(path);
        return std::nullopt;
    }

    // The files of a folder whose whole path begins with `prefix` (the folder's path and
    // the start of a name). A file system that cannot list folders finds none, which only
    // leaves stray temporary files in place.
    [[nodiscard]] virtual std::vector<std::filesystem::path> FilesStartingWith(
        const std::filesystem::path& prefix) const {
        static_cast<void>(prefix);
        return {};
    }
};

}  // namespace uptrail
