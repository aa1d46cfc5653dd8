#include "storage/log_writer.h"

#include <algorithm>
#include <utility>

#include "storage/atomic_file.h"
#include "storage/staged_file.h"

namespace uptrail {
namespace {

constexpr std::chrono::milliseconds kRetryPause{50};

struct Waits {
    std::chrono::milliseconds lock;
    int replaceAttempts;
};

// A few seconds for the lock, about two for a refused replace; inside the end of the
// session or a suspend, where Windows does not wait, under a second for both together.
Waits WaitsFor(WriteHaste haste) {
    if (haste == WriteHaste::kHurried) return {std::chrono::milliseconds{400}, 8};
    return {std::chrono::milliseconds{5000}, 40};
}

}  // namespace

bool LogWriter::Run(const std::filesystem::path& logFile, LogChange change, WriteHaste haste) {
    const bool keep = change.keepWhenRefused;
    Keep(std::move(change));
    if (Flush(logFile, haste)) return true;
    if (!keep) pending_.pop_back();
    return false;
}

bool LogWriter::RetryPending(const std::filesystem::path& logFile, WriteHaste haste) {
    return pending_.empty() || Flush(logFile, haste);
}

void LogWriter::Keep(LogChange change) {
    if (!change.kind.empty())
        std::erase_if(pending_, [&](const LogChange& kept) { return kept.kind == change.kind; });
    pending_.push_back(std::move(change));
}

bool LogWriter::Flush(const std::filesystem::path& logFile, WriteHaste haste) {
    if (logFile.empty()) return false;
    const Waits waits = WaitsFor(haste);
    const LockHold hold(lock_, waits.lock);
    if (!hold.Held()) return false;
    StagedFile staged(files_, logFile);
    if (staged.Load() != kOk) return false;
    for (const LogChange& change : pending_) change.apply(staged);
    if (staged.Changed() && CommitWithRetries(staged, logFile, haste) != kOk) return false;
    std::vector<LogChange> written = std::exchange(pending_, {});
    for (const LogChange& change : written)
        if (change.written) change.written();
    return true;
}

OsError LogWriter::CommitWithRetries(StagedFile& staged, const std::filesystem::path& logFile,
                                     WriteHaste haste) {
    const int attempts = WaitsFor(haste).replaceAttempts;
    const std::filesystem::path temporary = TemporaryPathFor(logFile, processId_);
    OsError error = kOk;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0) files_.Pause(kRetryPause);
        error = staged.Commit(temporary);
        if (!IsPassingRefusal(error)) return error;
    }
    return error;
}

void LogWriter::RemoveStaleTemporaries(const std::filesystem::path& logFile) {
    const LockHold hold(lock_, WaitsFor(WriteHaste::kNormal).lock);
    if (!hold.Held()) return;
    // Usually there are none; one that cannot be removed is tried again at the next start.
    for (const auto& stale : files_.FilesStartingWith(TemporaryPathFor(logFile)))
        static_cast<void>(files_.RemoveFile(stale));
}

}  // namespace uptrail
