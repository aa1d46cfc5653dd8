#include "storage/atomic_file.h"

#include <string>

namespace uptrail {
namespace {

constexpr int kAttributeAttempts = 20;
constexpr std::chrono::milliseconds kAttributeRetryPause{50};

bool ProtectiveBitsMatch(std::uint32_t actual, std::uint32_t wanted) {
    return (actual & file_attr::kProtective) == (wanted & file_attr::kProtective);
}

// After a failure the old file stands, and that failure is the one reported. The temporary
// file and the attributes are put right as far as possible; a temporary file that stays is
// overwritten by the next replace.
void Discard(FileSystem& files, const std::filesystem::path& temporary) {
    static_cast<void>(files.RemoveFile(temporary));
}
void RestoreAttributes(FileSystem& files, const std::filesystem::path& target,
                       std::uint32_t attributes) {
    static_cast<void>(files.SetAttributes(target, attributes));
}

}  // namespace

std::filesystem::path TemporaryPathFor(const std::filesystem::path& target) {
    std::filesystem::path temporary = target;
    temporary += ".uptrail-new";
    return temporary;
}

std::filesystem::path TemporaryPathFor(const std::filesystem::path& target,
                                       std::uint32_t processId) {
    std::filesystem::path temporary = TemporaryPathFor(target);
    temporary += "-";
    temporary += std::to_string(processId);
    return temporary;
}

bool IsPassingRefusal(OsError error) {
    return error == kErrorAccessDenied || error == kErrorSharingViolation ||
           error == kErrorLockViolation;
}

OsError SetAttributesAndWait(FileSystem& files, const std::filesystem::path& path,
                             std::uint32_t attributes) {
    OsError lastError = kErrorAccessDenied;
    for (int attempt = 0; attempt < kAttributeAttempts; ++attempt) {
        if (attempt > 0) files.Pause(kAttributeRetryPause);
        lastError = files.SetAttributes(path, attributes);
        if (lastError != kOk) continue;
        const auto reported = files.GetAttributes(path);
        if (!reported) return kErrorFileNotFound;
        if (ProtectiveBitsMatch(*reported, attributes)) return kOk;
        lastError = kErrorAccessDenied;
    }
    return lastError;
}

OsError ReplaceFileContents(FileSystem& files, const std::filesystem::path& target,
                            std::string_view contents, ReplaceNote* note) {
    return ReplaceFileContentsVia(files, target, TemporaryPathFor(target), contents, note);
}

OsError ReplaceFileContentsVia(FileSystem& files, const std::filesystem::path& target,
                               const std::filesystem::path& temporary, std::string_view contents,
                               ReplaceNote* note) {
    if (const OsError error = files.WriteNewFile(temporary, contents); error != kOk) {
        Discard(files, temporary);
        return error;
    }

    const auto original = files.GetAttributes(target);
    const bool protectedFile = original && (*original & file_attr::kProtective) != 0;
    if (protectedFile) {
        const OsError error =
            SetAttributesAndWait(files, target, *original & ~file_attr::kProtective);
        if (error != kOk) {
            Discard(files, temporary);
            RestoreAttributes(files, target, *original);
            return error;
        }
    }

    if (const OsError error = files.MoveOver(temporary, target); error != kOk) {
        Discard(files, temporary);
        if (protectedFile) RestoreAttributes(files, target, *original);
        return error;
    }

    // The new file carries the attributes of the temporary one; give it the old set back.
    // A failure here is no failed replace: the old contents are gone, the new ones stand.
    if (protectedFile && SetAttributesAndWait(files, target, *original) != kOk && note)
        note->attributesLost = true;
    return kOk;
}

}  // namespace uptrail
