#pragma once
#include "platform/file_bytes.h"
#include "platform/file_system.h"

namespace uptrail {

// FileSystem on the Win32 API (wide paths throughout).
class Win32FileSystem final : public FileSystem {
public:
    std::optional<std::uint32_t> GetAttributes(const std::filesystem::path& path) const override;
    OsError SetAttributes(const std::filesystem::path& path, std::uint32_t attributes) override;
    OsError ReadWholeFile(const std::filesystem::path& path, std::string& contents) const override;
    OsError WriteNewFile(const std::filesystem::path& path, std::string_view contents) override;
    OsError MoveOver(const std::filesystem::path& source,
                     const std::filesystem::path& target) override;
    OsError RemoveFile(const std::filesystem::path& path) override;
    OsError CreateFolder(const std::filesystem::path& path) override;
    OsError CopyWholeFile(const std::filesystem::path& source,
                          const std::filesystem::path& target) override;
    void Pause(std::chrono::milliseconds duration) override;
    std::optional<FileStamp> StampOf(const std::filesystem::path& path) const override;
    std::vector<std::filesystem::path> FilesStartingWith(
        const std::filesystem::path& prefix) const override;

    // A regular file's bytes, at most `limit` of them; a device, a pipe or a folder is
    // refused unread.
    [[nodiscard]] LimitedRead ReadLimited(const std::filesystem::path& path, std::uint64_t limit,
                                          FileBytes& bytes) const;
};

}  // namespace uptrail
