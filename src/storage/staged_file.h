#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/file_system.h"

namespace uptrail {

// One file read once and then changed in memory: every rewrite of it through this file
// system (a profile value, a section, an attribute change) lands in the staged copy, and
// the real file is replaced once, at the end, with all of them. Other paths go to the
// real file system. So a change made of several writes reaches the disk whole or not at
// all, and costs one replace.
class StagedFile final : public FileSystem {
public:
    StagedFile(FileSystem& real, std::filesystem::path target);

    // Reads the real file afresh. A missing file stages as missing; a file that is there
    // but cannot be read gives its error, and nothing may then be written.
    [[nodiscard]] OsError Load();

    // Whether the contents or the protective attributes differ from what was read.
    bool Changed() const;

    // Puts the staged contents in the real file's place through `temporary` (see
    // ReplaceFileContentsVia), then gives it the staged attributes. Only the contents
    // decide success: the attributes merely guard the file from casual edits.
    [[nodiscard]] OsError Commit(const std::filesystem::path& temporary);

    std::optional<std::uint32_t> GetAttributes(const std::filesystem::path& path) const override;
    OsError SetAttributes(const std::filesystem::path& path, std::uint32_t attributes) override;
    OsError ReadWholeFile(const std::filesystem::path& path, std::string& contents) const override;
    OsError WriteNewFile(const std::filesystem::path& path, std::string_view contents) override;
    OsError MoveOver(const std::filesystem::path& source,
                     const std::filesystem::path& target) override;
    OsError RemoveFile(const std::filesystem::path& path) override;
    OsError CopyWholeFile(const std::filesystem::path& source,
                          const std::filesystem::path& target) override;
    OsError CreateFolder(const std::filesystem::path& path) override;
    void Pause(std::chrono::milliseconds duration) override;
    std::vector<std::filesystem::path> FilesStartingWith(
        const std::filesystem::path& prefix) const override;

private:
    struct Version {
        std::optional<std::string> contents;  // nothing: no file
        std::uint32_t attributes = file_attr::kArchive;
    };
    bool IsTarget(const std::filesystem::path& path) const { return path == target_; }
    bool IsScratch(const std::filesystem::path& path) const { return path == scratchPath_; }

    FileSystem& real_;
    std::filesystem::path target_;
    // Where the staged rewrites put their new contents before the move.
    std::filesystem::path scratchPath_;
    Version read_;
    Version staged_;
    std::optional<std::string> scratch_;
};

}  // namespace uptrail
