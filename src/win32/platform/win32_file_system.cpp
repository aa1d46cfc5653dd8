#include "win32/platform/win32_file_system.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <string>

#include "win32/platform/unique_handle.h"

namespace uptrail {
namespace {

[[nodiscard]] OsError LastError() {
    const DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? kErrorWriteFault : error;
}

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
    std::string contents(static_cast<std::size_t>(size.QuadPart) + 1, '\0');
    std::size_t done = 0;
    for (;;) {
        if (done == contents.size()) {
            if (done > limit) return {kOk, FileKind::kRegular, true};
            contents.resize(static_cast<std::size_t>(
                std::min<std::uint64_t>(2 * static_cast<std::uint64_t>(done), limit + 1)));
        }
        DWORD read = 0;
        const auto wanted = static_cast<DWORD>(
            std::min<std::size_t>(contents.size() - done, std::numeric_limits<DWORD>::max()));
        if (!::ReadFile(file.get(), contents.data() + done, wanted, &read, nullptr))
            return {LastError()};
        if (read == 0) break;  // the end, wherever it now lies
        done += read;
    }
    contents.resize(done);
    bytes = FileBytes(std::move(contents));
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
