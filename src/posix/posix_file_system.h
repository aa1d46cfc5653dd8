#pragma once
#include <cstdint>
#include <filesystem>
#include <map>

#include "platform/file_bytes.h"
#include "platform/file_system.h"

namespace uptrail {

// FileSystem on POSIX, for the report and the benchmarks off Windows. It keeps the
// contract the Windows implementation keeps: a new file's bytes are on the disk before
// WriteNewFile returns, MoveOver replaces the target in one rename, and a read-only file
// is neither rewritten nor replaced. Errors come back as the Win32 codes the core expects.
//
// Read-only is the file's write permission. POSIX has no hidden or system attribute; this
// object remembers them per path for as long as it lives, so that the core's lift-and-put-
// back of the log file's attributes works here as it does on Windows.
class PosixFileSystem final : public FileSystem {
public:
    // Benchmarks time the work of a rewrite without the disk's flush by asking for kNone.
    enum class Flush { kToDisk, kNone };

    explicit PosixFileSystem(Flush flush = Flush::kToDisk) : flush_(flush) {}

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

    // A regular file's bytes, at most `limit` of them. Read, not mapped: another program may
    // cut the file short while it is read, and a mapping then kills the reader. Opened
    // without waiting, so that a pipe without a writer is refused at once.
    [[nodiscard]] LimitedRead ReadLimited(const std::filesystem::path& path, std::uint64_t limit,
                                          FileBytes& bytes) const;

private:
    std::uint32_t& RememberedBits(const std::filesystem::path& path);
    std::uint32_t RememberedBitsOf(const std::filesystem::path& path) const;
    void Forget(const std::filesystem::path& path);
    OsError WriteBytes(const std::filesystem::path& path, std::string_view contents);

    Flush flush_;
    // Hidden and system, keyed by the absolute path.
    std::map<std::filesystem::path, std::uint32_t> rememberedBits_;
};

}  // namespace uptrail
