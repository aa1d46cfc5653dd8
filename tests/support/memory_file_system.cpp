#include "support/memory_file_system.h"

#include <gtest/gtest.h>

#include <utility>

namespace uptrail::testing {

void MemoryFileSystem::AddFile(const std::filesystem::path& path, std::string contents,
                               std::uint32_t attributes) {
    files_[path] = File{std::move(contents), attributes, ++writes_};
}

void MemoryFileSystem::AddFolder(const std::filesystem::path& path) { folders_[path] = true; }

const MemoryFileSystem::File* MemoryFileSystem::Find(const std::filesystem::path& path) const {
    const auto found = files_.find(path);
    return found == files_.end() ? nullptr : &found->second;
}

const MemoryFileSystem::File& MemoryFileSystem::Expected(const std::filesystem::path& path) const {
    static const File missing{"", 0};
    const File* file = Find(path);
    if (!file) ADD_FAILURE() << "no file " << path;
    return file ? *file : missing;
}

const std::string& MemoryFileSystem::Contents(const std::filesystem::path& path) const {
    return Expected(path).contents;
}

std::uint32_t MemoryFileSystem::Attributes(const std::filesystem::path& path) const {
    return Expected(path).attributes;
}

MemoryFileSystem::Fault MemoryFileSystem::BeginStep() {
    ++steps_;
    if (onStep_) {
        auto step = std::exchange(onStep_, nullptr);
        step(steps_);
        onStep_ = std::move(step);
    }
    return steps_ == faultStep_ ? fault_ : Fault::kNone;
}

OsError MemoryFileSystem::PlainStep(OsError failure) {
    switch (BeginStep()) {
    case Fault::kCrash: throw SimulatedCrash();
    case Fault::kFail: return failure;
    case Fault::kNone: break;
    }
    return kOk;
}

OsError MemoryFileSystem::TargetError(const std::filesystem::path& path) const {
    if (!ParentExists(path)) return kErrorPathNotFound;
    if (deniedFolders_.count(path.parent_path())) return kErrorAccessDenied;
    const File* existing = Find(path);
    return existing && (existing->attributes & file_attr::kReadOnly) ? kErrorAccessDenied : kOk;
}

std::optional<OsError> MemoryFileSystem::LockedError(const std::filesystem::path& path) const {
    const auto found = locks_.find(path);
    if (found == locks_.end()) return std::nullopt;
    return found->second;
}

bool MemoryFileSystem::ParentExists(const std::filesystem::path& path) const {
    const auto parent = path.parent_path();
    return parent.empty() || parent == path.root_path() || folders_.count(parent) != 0;
}

std::optional<std::uint32_t> MemoryFileSystem::GetAttributes(
    const std::filesystem::path& path) const {
    if (folders_.count(path)) return file_attr::kDirectory;
    const File* file = Find(path);
    if (!file) return std::nullopt;
    return file->attributes == 0 ? file_attr::kNormal : file->attributes;
}

OsError MemoryFileSystem::SetAttributes(const std::filesystem::path& path,
                                        std::uint32_t attributes) {
    if (const OsError error = PlainStep(kErrorAccessDenied)) return error;
    const auto found = files_.find(path);
    if (found == files_.end()) return kErrorFileNotFound;
    if (!ignoreAttributeChanges_) found->second.attributes = attributes & ~file_attr::kNormal;
    return kOk;
}

OsError MemoryFileSystem::ReadWholeFile(const std::filesystem::path& path,
                                        std::string& contents) const {
    contents.clear();
    if (const auto locked = LockedError(path)) return *locked;
    if (folders_.count(path)) return kErrorAccessDenied;
    const File* file = Find(path);
    if (!file) return ParentExists(path) ? kErrorFileNotFound : kErrorPathNotFound;
    contents = file->contents;
    return kOk;
}

OsError MemoryFileSystem::WriteNewFile(const std::filesystem::path& path,
                                       std::string_view contents) {
    const Fault fault = BeginStep();
    if (const auto locked = LockedError(path)) return *locked;
    if (const OsError error = TargetError(path)) return error;
    if (fault == Fault::kFail) return kErrorWriteFault;
    if (fault == Fault::kCrash) {
        // Half the bytes reached the disk before the power went.
        files_[path] = File{std::string(contents.substr(0, contents.size() / 2))};
        throw SimulatedCrash();
    }
    files_[path] = File{std::string(contents), file_attr::kArchive, ++writes_};
    return kOk;
}

OsError MemoryFileSystem::MoveOver(const std::filesystem::path& source,
                                   const std::filesystem::path& target) {
    const Fault fault = BeginStep();
    if (fault == Fault::kCrash) throw SimulatedCrash();  // a rename happens whole or not at all
    if (fault == Fault::kFail) return kErrorWriteFault;
    if (const auto locked = LockedError(target)) return *locked;
    if (auto refused = refusedMoves_.find(target);
        refused != refusedMoves_.end() && refused->second.second > 0) {
        --refused->second.second;
        return refused->second.first;
    }
    const auto from = files_.find(source);
    if (from == files_.end()) return kErrorFileNotFound;
    const File* to = Find(target);
    if (to && (to->attributes & file_attr::kReadOnly)) return kErrorAccessDenied;
    File moved = std::move(from->second);
    files_.erase(from);
    files_[target] = std::move(moved);
    if (ignoreAfterMove_) ignoreAttributeChanges_ = true;
    return kOk;
}

OsError MemoryFileSystem::RemoveFile(const std::filesystem::path& path) {
    if (const OsError error = PlainStep(kErrorAccessDenied)) return error;
    return files_.erase(path) ? kOk : kErrorFileNotFound;
}

OsError MemoryFileSystem::CreateFolder(const std::filesystem::path& path) {
    if (const OsError error = PlainStep(kErrorAccessDenied)) return error;
    if (folders_.count(path)) return kOk;
    if (files_.count(path)) return kErrorAccessDenied;
    if (!ParentExists(path)) return kErrorPathNotFound;
    if (deniedFolders_.count(path.parent_path())) return kErrorAccessDenied;
    folders_[path] = true;
    return kOk;
}

OsError MemoryFileSystem::CopyWholeFile(const std::filesystem::path& source,
                                        const std::filesystem::path& target) {
    if (const OsError error = PlainStep(kErrorWriteFault)) return error;
    if (const auto locked = LockedError(source)) return *locked;
    const File* from = Find(source);
    if (!from) return kErrorFileNotFound;
    if (const OsError error = TargetError(target)) return error;
    files_[target] = File{from->contents, from->attributes, ++writes_};
    return kOk;
}

void MemoryFileSystem::Pause(std::chrono::milliseconds) { ++pauses_; }

std::optional<FileStamp> MemoryFileSystem::StampOf(const std::filesystem::path& path) const {
    const File* file = Find(path);
    if (!file) return std::nullopt;
    return FileStamp{file->contents.size(), file->version};
}

std::vector<std::filesystem::path> MemoryFileSystem::FilesStartingWith(
    const std::filesystem::path& prefix) const {
    std::vector<std::filesystem::path> found;
    for (const auto& [path, file] : files_)
        if (path.native().starts_with(prefix.native())) found.push_back(path);
    return found;
}

}  // namespace uptrail::testing
