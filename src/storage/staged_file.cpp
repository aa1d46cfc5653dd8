#include "storage/staged_file.h"

#include <utility>

#include "storage/atomic_file.h"

namespace uptrail {
namespace {

bool SameProtection(std::uint32_t a, std::uint32_t b) {
    return (a & file_attr::kProtective) == (b & file_attr::kProtective);
}

}  // namespace

StagedFile::StagedFile(FileSystem& real, std::filesystem::path target)
    : real_(real), target_(std::move(target)), scratchPath_(TemporaryPathFor(target_)) {}

OsError StagedFile::Load() {
    read_ = {};
    const auto attributes = real_.GetAttributes(target_);
    if (attributes && (*attributes & file_attr::kDirectory) == 0) {
        std::string contents;
        const OsError error = real_.ReadWholeFile(target_, contents);
        if (error != kOk && !IsNotFound(error)) return error;
        if (error == kOk) read_ = {std::move(contents), *attributes};
    }
    staged_ = read_;
    scratch_.reset();
    return kOk;
}

bool StagedFile::Changed() const {
    if (staged_.contents != read_.contents) return true;
    return staged_.contents && !SameProtection(staged_.attributes, read_.attributes);
}

OsError StagedFile::Commit(const std::filesystem::path& temporary) {
    if (!staged_.contents) return kOk;
    if (staged_.contents != read_.contents) {
        if (const OsError error =
                ReplaceFileContentsVia(real_, target_, temporary, *staged_.contents);
            error != kOk)
            return error;
    }
    const auto now = real_.GetAttributes(target_);
    if (now && !SameProtection(*now, staged_.attributes))
        static_cast<void>(SetAttributesAndWait(real_, target_, staged_.attributes));
    read_ = staged_;
    return kOk;
}

std::optional<std::uint32_t> StagedFile::GetAttributes(const std::filesystem::path& path) const {
    if (IsTarget(path))
        return staged_.contents ? std::optional<std::uint32_t>(staged_.attributes) : std::nullopt;
    if (IsScratch(path))
        return scratch_ ? std::optional<std::uint32_t>(file_attr::kArchive) : std::nullopt;
    return real_.GetAttributes(path);
}

OsError StagedFile::SetAttributes(const std::filesystem::path& path, std::uint32_t attributes) {
    if (!IsTarget(path)) return real_.SetAttributes(path, attributes);
    if (!staged_.contents) return kErrorFileNotFound;
    staged_.attributes = attributes == 0 ? file_attr::kNormal : attributes;
    return kOk;
}

OsError StagedFile::ReadWholeFile(const std::filesystem::path& path, std::string& contents) const {
    if (!IsTarget(path)) return real_.ReadWholeFile(path, contents);
    contents.clear();
    if (!staged_.contents) return kErrorFileNotFound;
    contents = *staged_.contents;
    return kOk;
}

OsError StagedFile::WriteNewFile(const std::filesystem::path& path, std::string_view contents) {
    if (IsScratch(path)) {
        scratch_ = std::string(contents);
        return kOk;
    }
    if (IsTarget(path)) {
        staged_ = {std::string(contents), file_attr::kArchive};
        return kOk;
    }
    return real_.WriteNewFile(path, contents);
}

OsError StagedFile::MoveOver(const std::filesystem::path& source,
                             const std::filesystem::path& target) {
    if (!IsScratch(source) || !IsTarget(target)) return real_.MoveOver(source, target);
    if (!scratch_) return kErrorFileNotFound;
    // The moved file brings the attributes of a new one, as a real move does.
    staged_ = {std::move(*scratch_), file_attr::kArchive};
    scratch_.reset();
    return kOk;
}

OsError StagedFile::RemoveFile(const std::filesystem::path& path) {
    if (IsScratch(path)) {
        scratch_.reset();
        return kOk;
    }
    // The log itself is never removed within a change of it.
    if (IsTarget(path)) return kErrorAccessDenied;
    return real_.RemoveFile(path);
}

OsError StagedFile::CopyWholeFile(const std::filesystem::path& source,
                                  const std::filesystem::path& target) {
    return real_.CopyWholeFile(source, target);
}

OsError StagedFile::CreateFolder(const std::filesystem::path& path) {
    return real_.CreateFolder(path);
}

// Nothing to wait for: the staged file takes every change at once.
void StagedFile::Pause(std::chrono::milliseconds) {}

std::vector<std::filesystem::path> StagedFile::FilesStartingWith(
    const std::filesystem::path& prefix) const {
    return real_.FilesStartingWith(prefix);
}

}  // namespace uptrail
