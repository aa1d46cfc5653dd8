#include "storage/atomic_file.h"

namespace uptrail {
namespace {

constexpr int kAttributeAttempts = 20;
constexpr std::chrono::milliseconds kAttributeRetryPause{50};

bool ProtectiveBitsMatch(std::uint32_t actual, std::uint32_t wanted) {
    return (actual & file_attr::kProtective) == (wanted & file_attr::kProtective);
}

}  // namespace

std::filesystem::path TemporaryPathFor(const std::filesystem::path& target) {
    std::filesystem::path temporary = target;
    temporary += ".uptrail-new";
    return temporary;
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
                            std::string_view contents) {
    const auto temporary = TemporaryPathFor(target);
    // On the failure paths below the clean-up is best effort: the error worth reporting is
    // the one that stopped the replace, not whether a leftover could be tidied away.
    if (const OsError error = files.WriteNewFile(temporary, contents); error != kOk) {
        static_cast<void>(files.RemoveFile(temporary));
        return error;
    }

    const auto original = files.GetAttributes(target);
    const bool protectedFile = original && (*original & file_attr::kProtective) != 0;
    if (protectedFile) {
        const OsError error =
            SetAttributesAndWait(files, target, *original & ~file_attr::kProtective);
        if (error != kOk) {
            static_cast<void>(files.RemoveFile(temporary));
            static_cast<void>(files.SetAttributes(target, *original));
            return error;
        }
    }

    if (const OsError error = files.MoveOver(temporary, target); error != kOk) {
        static_cast<void>(files.RemoveFile(temporary));
        if (protectedFile) static_cast<void>(files.SetAttributes(target, *original));
        return error;
    }

    // The new file carries the attributes of the temporary one; give it the old set back.
    if (protectedFile) return SetAttributesAndWait(files, target, *original);
    return kOk;
}

}  // namespace uptrail
