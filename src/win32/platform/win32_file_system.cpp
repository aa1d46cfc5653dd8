#include "win32/platform/win32_file_system.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "win32/platform/unique_handle.h"

namespace uptrail {
namespace {

[[nodiscard]] OsError LastError() {
    const DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? kErrorWriteFault : error;
}

// Memory for a file read whole, straight from the system: its pages come cleared and are
// not cleared again by the program, which for a log of megabytes was a good part of a
// report's time.
class SystemPages {
public:
    explicit SystemPages(std::size_t size)
        : data_(static_cast<char*>(
              VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE))),
          size_(data_ ? size : 0) {}
    ~SystemPages() {
        if (data_) VirtualFree(data_, 0, MEM_RELEASE);
    }
    SystemPages(SystemPages&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
    SystemPages& operator=(SystemPages&& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        return *this;
    }
    SystemPages(const SystemPages&) = delete;
    SystemPages& operator=(const SystemPages&) = delete;

    char* Data() const { return data_; }
    std::size_t Size() const { return size_; }  // 0: the system had none to give

    FileBytes KeepAsFile(std::size_t used) && {
        char* data = std::exchange(data_, nullptr);
        size_ = 0;
        return FileBytes(std::string_view(data, used),
                         [data] { VirtualFree(data, 0, MEM_RELEASE); });
    }

private:
    char* data_;
    std::size_t size_;
};

}  // namespace

std::optional<std::uint32_t> Win32FileSystem::GetAttributes(
    const std::filesystem::path& path) const {
    if (path.empty()) return std::nullopt;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return attributes;
}

OsError Win32FileSystem::SetAttributes(const std::filesystem::path& path,
                                       std::uint32_t attributes) {
    const DWORD value = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
    return SetFileAttributesW(path.c_str(), value) ? kOk : LastError();
}

OsError Win32FileSystem::ReadWholeFile(const std::filesystem::path& path,
                                       std::string& contents) const {
    contents.clear();
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastError();

    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return LastError();
    if (size.QuadPart > std::numeric_limits<std::int32_t>::max()) return ERROR_FILE_TOO_LARGE;
    contents.resize(static_cast<std::size_t>(size.QuadPart));

    std::size_t done = 0;
    while (done < contents.size()) {
        DWORD read = 0;
        const auto wanted = static_cast<DWORD>(contents.size() - done);
        if (!::ReadFile(file.get(), contents.data() + done, wanted, &read, nullptr))
            return LastError();
        if (read == 0) break;  // the file shrank while we read it
        done += read;
    }
    contents.resize(done);
    return kOk;
}

LimitedRead Win32FileSystem::ReadLimited(const std::filesystem::path& path, std::uint64_t limit,
                                         FileBytes& bytes) const {
    const auto attributes = GetAttributes(path);
    if (attributes && (*attributes & FILE_ATTRIBUTE_DIRECTORY)) return {kOk, FileKind::kFolder};
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {LastError()};
    switch (GetFileType(file.get())) {
    case FILE_TYPE_DISK: break;
    case FILE_TYPE_CHAR: return {kOk, FileKind::kDevice};
    case FILE_TYPE_PIPE: return {kOk, FileKind::kPipe};
    default: return {kOk, FileKind::kOther};
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return {LastError()};
    if (static_cast<std::uint64_t>(size.QuadPart) > limit) return {kOk, FileKind::kRegular, true};

    // One byte more than the size tells a file that grew past the limit meanwhile.
    SystemPages memory(static_cast<std::size_t>(size.QuadPart) + 1);
    std::size_t done = 0;
    for (;;) {
        if (memory.Size() == 0) return {ERROR_NOT_ENOUGH_MEMORY};
        if (done == memory.Size()) {
            if (done > limit) return {kOk, FileKind::kRegular, true};
            SystemPages larger(static_cast<std::size_t>(
                std::min<std::uint64_t>(2 * static_cast<std::uint64_t>(done), limit + 1)));
            if (larger.Size() > 0) std::memcpy(larger.Data(), memory.Data(), done);
            memory = std::move(larger);
            continue;
        }
        DWORD read = 0;
        const auto wanted = static_cast<DWORD>(
            std::min<std::size_t>(memory.Size() - done, std::numeric_limits<DWORD>::max()));
        if (!::ReadFile(file.get(), memory.Data() + done, wanted, &read, nullptr))
            return {LastError()};
        if (read == 0) break;  // the end, wherever it now lies
        done += read;
    }
    bytes = std::move(memory).KeepAsFile(done);
    return {};
}

OsError Win32FileSystem::WriteNewFile(const std::filesystem::path& path,
                                      std::string_view contents) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastError();

    std::size_t done = 0;
    while (done < contents.size()) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(
            std::min<std::size_t>(contents.size() - done, std::numeric_limits<DWORD>::max()));
        if (!WriteFile(file.get(), contents.data() + done, chunk, &written, nullptr))
            return LastError();
        // A write that takes nothing would be asked again forever.
        if (written == 0) return kErrorWriteFault;
        done += written;
    }
    if (!FlushFileBuffers(file.get())) return LastError();
    // A close that fails may have lost bytes the system still held: no written file then.
    return file.reset() ? kOk : LastError();
}

OsError Win32FileSystem::MoveOver(const std::filesystem::path& source,
                                  const std::filesystem::path& target) {
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    return MoveFileExW(source.c_str(), target.c_str(), flags) ? kOk : LastError();
}

OsError Win32FileSystem::RemoveFile(const std::filesystem::path& path) {
    return DeleteFileW(path.c_str()) ? kOk : LastError();
}

OsError Win32FileSystem::CreateFolder(const std::filesystem::path& path) {
    if (CreateDirectoryW(path.c_str(), nullptr)) return kOk;
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return kOk;
    }
    return error == ERROR_SUCCESS ? kErrorWriteFault : error;
}

OsError Win32FileSystem::CopyWholeFile(const std::filesystem::path& source,
                                       const std::filesystem::path& target) {
    // CopyFileW gives the copy the source's attributes, read-only and system included.
    return ::CopyFileW(source.c_str(), target.c_str(), FALSE) ? kOk : LastError();
}

void Win32FileSystem::Pause(std::chrono::milliseconds duration) {
    Sleep(static_cast<DWORD>(duration.count()));
}

std::optional<FileStamp> Win32FileSystem::StampOf(const std::filesystem::path& path) const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    const auto join = [](DWORD high, DWORD low) {
        return (static_cast<std::uint64_t>(high) << 32) | low;
    };
    return FileStamp{join(data.nFileSizeHigh, data.nFileSizeLow),
                     join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime)};
}

std::vector<std::filesystem::path> Win32FileSystem::FilesStartingWith(
    const std::filesystem::path& prefix) const {
    std::vector<std::filesystem::path> found;
    std::filesystem::path pattern = prefix;
    pattern += L"*";
    WIN32_FIND_DATAW data{};
    const UniqueFindHandle search(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                                   FindExSearchNameMatch, nullptr, 0));
    if (!search) return found;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            found.push_back(prefix.parent_path() / data.cFileName);
    } while (FindNextFileW(search.get(), &data));
    return found;
}

}  // namespace uptrail
