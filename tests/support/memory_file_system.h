#pragma once
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/file_system.h"

namespace uptrail::testing {

// Thrown by MemoryFileSystem to stand for the machine losing power in the middle of
// an operation: whatever the files hold at that moment is what survives.
struct SimulatedCrash : std::runtime_error {
    SimulatedCrash() : std::runtime_error("simulated crash") {}
};

// An in-memory file system for unit tests. Every changing operation is a numbered step;
// a test can make step N fail with an error, or crash in the middle of it.
class MemoryFileSystem final : public FileSystem {
public:
    enum class Fault { kNone, kFail, kCrash };

    struct File {
        std::string contents;
        std::uint32_t attributes = file_attr::kArchive;
        std::uint64_t version = 0;  // which write made it, for its stamp
    };

    void AddFile(const std::filesystem::path& path, std::string contents,
                 std::uint32_t attributes = file_attr::kArchive);
    void AddFolder(const std::filesystem::path& path);
    bool Exists(const std::filesystem::path& path) const { return files_.count(path) != 0; }
    // The contents of a file; fails the test's expectation loudly when it is missing.
    const std::string& Contents(const std::filesystem::path& path) const;
    std::uint32_t Attributes(const std::filesystem::path& path) const;
    std::size_t FileCount() const { return files_.size(); }

    // Makes changing step number `step` (counting from 1) fail or crash.
    void InjectFault(int step, Fault fault) {
        faultStep_ = step;
        fault_ = fault;
    }
    int StepsTaken() const { return steps_; }
    // Makes every open of `path` fail with `error` (a locked file, say).
    void LockFile(const std::filesystem::path& path, OsError error) { locks_[path] = error; }
    // Makes every new file in `folder` fail with access denied (a folder without rights).
    void DenyWritesIn(const std::filesystem::path& folder) { deniedFolders_[folder] = true; }
    bool FolderExistsNow(const std::filesystem::path& path) const {
        return folders_.count(path) != 0;
    }
    // Makes attribute changes of every file succeed without taking effect.
    void IgnoreAttributeChanges() { ignoreAttributeChanges_ = true; }
    // The same from the next successful move on: a file that lets itself be replaced but
    // then keeps the attributes it came with.
    void IgnoreAttributeChangesAfterNextMove() { ignoreAfterMove_ = true; }
    int PauseCount() const { return pauses_; }
    // Refuses the next `count` moves onto `target` with `error`, as Windows does while
    // another handle (a scanner, a backup, another copy's read) holds the file.
    void RefuseMoves(const std::filesystem::path& target, OsError error, int count) {
        refusedMoves_[target] = {error, count};
    }
    // Runs `step` before every changing step, with the step's number: another program's
    // operation slipped in between this one's. The hook is off while it runs.
    void OnEveryStep(std::function<void(int)> step) { onStep_ = std::move(step); }

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

private:
    // Counts a changing step; returns the fault planned for it.
    Fault BeginStep();
    // A step that changes nothing when it fails: a planned failure returns `failure`.
    OsError PlainStep(OsError failure);
    // Why a file could not be written at `path` (kOk when it could).
    OsError TargetError(const std::filesystem::path& path) const;
    std::optional<OsError> LockedError(const std::filesystem::path& path) const;
    bool ParentExists(const std::filesystem::path& path) const;
    const File* Find(const std::filesystem::path& path) const;
    // The file, failing the test's expectation when it is missing.
    const File& Expected(const std::filesystem::path& path) const;

    std::map<std::filesystem::path, File> files_;
    std::map<std::filesystem::path, bool> folders_;
    std::map<std::filesystem::path, OsError> locks_;
    std::map<std::filesystem::path, bool> deniedFolders_;
    int steps_ = 0;
    int faultStep_ = 0;
    Fault fault_ = Fault::kNone;
    bool ignoreAttributeChanges_ = false;
    bool ignoreAfterMove_ = false;
    int pauses_ = 0;
    std::uint64_t writes_ = 0;
    std::map<std::filesystem::path, std::pair<OsError, int>> refusedMoves_;
    std::function<void(int)> onStep_;
};

}  // namespace uptrail::testing
