#include "win32/platform/win32_system_info.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "win32/platform/wide_text.h"

namespace uptrail {
namespace {

// Calls `fill(buffer, size)`, which answers like the Win32 text getters (the length
// written, or the size it would need), growing the buffer until the text fits.
template <typename Fill>
std::wstring GrowingText(Fill fill) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(static_cast<std::size_t>(length) + 1);
    }
}

// GetVolumeInformation wants a root folder ("C:\"), the program names drives as "C:".
std::wstring RootFolderOf(std::string_view drive) {
    std::wstring root = WideFromAnsi(drive);
    if (!root.empty() && root.back() != L'\\') root += L'\\';
    return root;
}

// Reading a drive without media must answer "not ready" rather than ask the user to
// insert a disk: the drive table reads every drive at start-up, unattended.
class NoCriticalErrorDialogs {
public:
    NoCriticalErrorDialogs() { SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous_); }
    ~NoCriticalErrorDialogs() { SetThreadErrorMode(previous_, nullptr); }
    NoCriticalErrorDialogs(const NoCriticalErrorDialogs&) = delete;
    NoCriticalErrorDialogs& operator=(const NoCriticalErrorDialogs&) = delete;

private:
    DWORD previous_ = 0;
};

std::filesystem::path KnownProgramDataFolder() {
    PWSTR folder = nullptr;
    std::filesystem::path path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &folder))) path = folder;
    CoTaskMemFree(folder);  // owed even when the call fails
    return path;
}

}  // namespace

std::string Win32SystemInfo::WindowsFolder() const {
    return AnsiFromWide(GrowingText([](wchar_t* buffer, DWORD size) {
        return static_cast<DWORD>(GetWindowsDirectoryW(buffer, size));
    }));
}

std::optional<std::uint32_t> Win32SystemInfo::VolumeSerial(std::string_view drive) const {
    const std::wstring root = RootFolderOf(drive);
    if (root.empty()) return std::nullopt;
    NoCriticalErrorDialogs quiet;
    DWORD serial = 0;
    if (!GetVolumeInformationW(root.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0))
        return std::nullopt;
    return serial;
}

std::vector<std::string> Win32SystemInfo::DrivePaths() const {
    // The list is "C:\<0>D:\<0><0>"; GrowingText keeps it whole, inner zeros included.
    const std::wstring list = GrowingText(
        [](wchar_t* buffer, DWORD size) { return GetLogicalDriveStringsW(size, buffer); });
    std::vector<std::string> drives;
    for (std::size_t start = 0; start < list.size();) {
        std::size_t end = list.find(L'\0', start);
        if (end == std::wstring::npos) end = list.size();
        std::wstring_view root(list.data() + start, end - start);
        if (!root.empty() && root.back() == L'\\') root.remove_suffix(1);
        if (!root.empty()) drives.push_back(AnsiFromWide(root));
        start = end + 1;
    }
    return drives;
}

std::filesystem::path Win32SystemInfo::ProgramFolder() const {
    // GetModuleFileName gives no size hint: a result that fills the buffer may be cut off.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return std::filesystem::path(buffer).parent_path();
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::filesystem::path Win32SystemInfo::TemporaryFolder() const {
    return GrowingText([](wchar_t* buffer, DWORD size) { return GetTempPathW(size, buffer); });
}

std::filesystem::path Win32SystemInfo::ProgramDataFolder() const {
    if (std::filesystem::path folder = KnownProgramDataFolder(); !folder.empty()) return folder;
    return GrowingText([](wchar_t* buffer, DWORD size) {
        return GetEnvironmentVariableW(L"PROGRAMDATA", buffer, size);
    });
}

}  // namespace uptrail
