#include "posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

#include "posix/read_to_end.h"

namespace uptrail {
namespace {

// Win32 codes without a name in platform/os_error.h.
constexpr OsError kErrorNotEnoughMemory = 8;
constexpr OsError kErrorReadFault = 30;
constexpr OsError kErrorDiskFull = 112;
constexpr OsError kErrorAlreadyExists = 183;

constexpr std::uint32_t kRememberedMask = file_attr::kHidden | file_attr::kSystem;
constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kNewFolderMode = 0777;

bool ParentExists(const std::filesystem::path& path) {
    const std::filesystem::path parent = path.parent_path();
    struct stat info {};
    return parent.empty() || (::stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode));
}

// The error Windows reports for the same failure. A missing file and a missing folder
// are told apart as Windows tells them.
OsError ErrorOf(int error, const std::filesystem::path& path, OsError otherwise) {
    switch (error) {
    case 0: return otherwise;
    case ENOENT: return ParentExists(path) ? kErrorFileNotFound : kErrorPathNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return kErrorAccessDenied;
    case EBUSY:
    case ETXTBSY: return kErrorSharingViolation;
    case ENOSPC:
    case EDQUOT: return kErrorDiskFull;
    case ENOMEM: return kErrorNotEnoughMemory;
    default: return otherwise;
    }
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (IsOpen()) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Get() const { return fd_; }

    // Closing reports write errors some file systems hold back until then.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

std::optional<mode_t> ModeOf(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return info.st_mode;
}

bool IsReadOnlyFile(const std::filesystem::path& path) {
    const auto mode = ModeOf(path);
    return mode && S_ISREG(*mode) && (*mode & kAnyWrite) == 0;
}

std::filesystem::path KeyOf(const std::filesystem::path& path) {
    std::error_code ignored;
    return std::filesystem::absolute(path, ignored).lexically_normal();
}

// A rename reaches the disk with the folder that holds it.
void FlushFolderOf(const std::filesystem::path& path) {
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    Descriptor descriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (descriptor.IsOpen()) ::fsync(descriptor.Get());
}

}  // namespace

std::uint32_t& PosixFileSystem::RememberedBits(const std::filesystem::path& path) {
    return rememberedBits_[KeyOf(path)];
}

std::uint32_t PosixFileSystem::RememberedBitsOf(const std::filesystem::path& path) const {
    const auto found = rememberedBits_.find(KeyOf(path));
    return found == rememberedBits_.end() ? 0 : found->second;
}

void PosixFileSystem::Forget(const std::filesystem::path& path) {
    rememberedBits_.erase(KeyOf(path));
}

std::optional<std::uint32_t> PosixFileSystem::GetAttributes(
    const std::filesystem::path& path) const {
    if (path.empty()) return std::nullopt;
    const auto mode = ModeOf(path);
    if (!mode) return std::nullopt;
    if (S_ISDIR(*mode)) return file_attr::kDirectory;
    std::uint32_t attributes = RememberedBitsOf(path);
    if ((*mode & kAnyWrite) == 0) attributes |= file_attr::kReadOnly;
    return attributes == 0 ? file_attr::kNormal : attributes;
}

OsError PosixFileSystem::SetAttributes(const std::filesystem::path& path,
                                       std::uint32_t attributes) {
    const auto mode = ModeOf(path);
    if (!mode) return ErrorOf(errno, path, kErrorFileNotFound);
    if (S_ISDIR(*mode)) return kOk;
    // Taking read-only away gives the owner the right to write, which is what clearing
    // the attribute means on Windows.
    const mode_t permissions = *mode & 07777;
    const mode_t wanted =
        (attributes & file_attr::kReadOnly) ? permissions & ~kAnyWrite : permissions | S_IWUSR;
    if (wanted != permissions && ::chmod(path.c_str(), wanted) != 0)
        return ErrorOf(errno, path, kErrorAccessDenied);
    if (attributes & kRememberedMask)
        RememberedBits(path) = attributes & kRememberedMask;
    else
        Forget(path);
    return kOk;
}

OsError PosixFileSystem::ReadWholeFile(const std::filesystem::path& path,
                                       std::string& contents) const {
    contents.clear();
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.IsOpen()) return ErrorOf(errno, path, kErrorReadFault);
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0) return ErrorOf(errno, path, kErrorReadFault);
    // Windows refuses to open a folder as a file.
    if (S_ISDIR(info.st_mode)) return kErrorAccessDenied;

    // The size is a hint: a file that grows or shrinks meanwhile is read to its end.
    contents.resize(static_cast<std::size_t>(std::max<off_t>(info.st_size, 0)) + 1);
    std::size_t done = 0;
    for (;;) {
        if (done == contents.size()) contents.resize(contents.size() * 2);
        const ssize_t read = ::read(file.Get(), contents.data() + done, contents.size() - done);
        if (read < 0 && errno == EINTR) continue;
        if (read < 0) {
            contents.clear();
            return ErrorOf(errno, path, kErrorReadFault);
        }
        if (read == 0) break;
        done += static_cast<std::size_t>(read);
    }
    contents.resize(done);
    return kOk;
}

LimitedRead PosixFileSystem::ReadLimited(const std::filesystem::path& path, std::uint64_t limit,
                                         FileBytes& bytes) const {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.IsOpen()) return {ErrorOf(errno, path, kErrorReadFault)};
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0) return {ErrorOf(errno, path, kErrorReadFault)};
    if (S_ISDIR(info.st_mode)) return {kOk, FileKind::kFolder};
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return {kOk, FileKind::kDevice};
    if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) return {kOk, FileKind::kPipe};
    if (!S_ISREG(info.st_mode)) return {kOk, FileKind::kOther};
    if (static_cast<std::uint64_t>(std::max<off_t>(info.st_size, 0)) > limit)
        return {kOk, FileKind::kRegular, true};

    const auto size = static_cast<std::uint64_t>(std::max<off_t>(info.st_size, 0));
    const DescriptorRead read = ReadToEnd(file.Get(), size, limit, bytes);
    if (read.tooLarge) return {kOk, FileKind::kRegular, true};
    if (read.error != 0) return {ErrorOf(read.error, path, kErrorReadFault)};
    return {};
}

OsError PosixFileSystem::WriteBytes(const std::filesystem::path& path, std::string_view contents) {
    // Windows will not open a read-only file for writing, whoever asks.
    if (IsReadOnlyFile(path)) return kErrorAccessDenied;
    Descriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode));
    if (!file.IsOpen()) return ErrorOf(errno, path, kErrorWriteFault);
    Forget(path);
    std::size_t done = 0;
    while (done < contents.size()) {
        const ssize_t written = ::write(file.Get(), contents.data() + done, contents.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return ErrorOf(errno, path, kErrorWriteFault);
        done += static_cast<std::size_t>(written);
    }
    if (flush_ == Flush::kToDisk && ::fsync(file.Get()) != 0)
        return ErrorOf(errno, path, kErrorWriteFault);
    return file.Close() ? kOk : ErrorOf(errno, path, kErrorWriteFault);
}

OsError PosixFileSystem::WriteNewFile(const std::filesystem::path& path,
                                      std::string_view contents) {
    return WriteBytes(path, contents);
}

OsError PosixFileSystem::MoveOver(const std::filesystem::path& source,
                                  const std::filesystem::path& target) {
    // A rename would replace a read-only file; Windows refuses to, and the core relies on
    // that refusal to keep a protected file whole.
    if (IsReadOnlyFile(target)) return kErrorAccessDenied;
    if (::rename(source.c_str(), target.c_str()) != 0)
        return ErrorOf(errno, source, kErrorWriteFault);
    const std::uint32_t moved = RememberedBitsOf(source);
    Forget(source);
    if (moved != 0)
        RememberedBits(target) = moved;
    else
        Forget(target);
    if (flush_ == Flush::kToDisk) FlushFolderOf(target);
    return kOk;
}

OsError PosixFileSystem::RemoveFile(const std::filesystem::path& path) {
    if (::unlink(path.c_str()) != 0) return ErrorOf(errno, path, kErrorAccessDenied);
    Forget(path);
    return kOk;
}

OsError PosixFileSystem::CopyWholeFile(const std::filesystem::path& source,
                                       const std::filesystem::path& target) {
    std::string contents;
    if (const OsError error = ReadWholeFile(source, contents); error != kOk) return error;
    const auto attributes = GetAttributes(source);
    if (const OsError error = WriteBytes(target, contents); error != kOk) return error;
    // The copy keeps the source's attributes, read-only included, as CopyFile's does.
    return attributes ? SetAttributes(target, *attributes) : kOk;
}

OsError PosixFileSystem::CreateFolder(const std::filesystem::path& path) {
    if (::mkdir(path.c_str(), kNewFolderMode) == 0) return kOk;
    const int error = errno;
    if (error == EEXIST) {
        const auto mode = ModeOf(path);
        return mode && S_ISDIR(*mode) ? kOk : kErrorAlreadyExists;
    }
    return ErrorOf(error, path, kErrorAccessDenied);
}

void PosixFileSystem::Pause(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

}  // namespace uptrail
