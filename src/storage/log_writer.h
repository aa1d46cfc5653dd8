#pragma once
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/machine_lock.h"

namespace uptrail {

class StagedFile;

// One change of the log file: what it does to the file, and what follows once it is
// written. `apply` sees the file through a file system of its own, on which every read is
// of the file as it stands under the lock and every write is staged; it may run more than
// once (again after a refused write), each time on a fresh read, so it must decide from
// what it reads, not from what it read before.
struct LogChange {
    // A pending change with the same non-empty kind is replaced by a later one: only the
    // newest heartbeat matters.
    std::string kind;
    std::function<void(FileSystem& staged)> apply;
    std::function<void()> written;
    // A command the user is told failed is not carried out later behind their back.
    bool keepWhenRefused = true;
};

// How long a change may wait: for the lock, and for a replace that another handle
// refuses. Windows does not wait for a program that ends the session or suspends.
enum class WriteHaste { kNormal, kHurried };

// Every change of the log by this copy of the program goes through here: one writer on
// the machine at a time (the machine-wide lock), on a fresh read of the file, in one
// replace through this process's own temporary file. A replace that another handle
// refuses is tried again for about two seconds; a change that still cannot be written is
// kept, and runs first the next time the writer is used (or asked to retry).
class LogWriter {
public:
    LogWriter(FileSystem& files, MachineLock& lock, std::uint32_t processId)
        : files_(files), lock_(lock), processId_(processId) {}

    // True when the change (and every change kept from before) is in the file.
    bool Run(const std::filesystem::path& logFile, LogChange change,
             WriteHaste haste = WriteHaste::kNormal);
    // Tries the kept changes again; true when none is left.
    bool RetryPending(const std::filesystem::path& logFile, WriteHaste haste = WriteHaste::kNormal);
    bool HasPending() const { return !pending_.empty(); }

    // Removes the temporary files that writers which died left beside the log (earlier
    // builds' fixed name among them). Under the lock no other copy writes one.
    void RemoveStaleTemporaries(const std::filesystem::path& logFile);

private:
    bool Flush(const std::filesystem::path& logFile, WriteHaste haste);
    OsError CommitWithRetries(StagedFile& staged, const std::filesystem::path& logFile,
                              WriteHaste haste);
    void Keep(LogChange change);

    FileSystem& files_;
    MachineLock& lock_;
    std::uint32_t processId_;
    std::vector<LogChange> pending_;
};

// Holds the machine-wide lock for a scope.
class LockHold {
public:
    LockHold(MachineLock& lock, std::chrono::milliseconds timeout)
        : lock_(lock), held_(lock.Acquire(timeout)) {}
    ~LockHold() {
        if (held_) lock_.Release();
    }
    LockHold(const LockHold&) = delete;
    LockHold& operator=(const LockHold&) = delete;
    bool Held() const { return held_; }

private:
    MachineLock& lock_;
    bool held_;
};

}  // namespace uptrail
