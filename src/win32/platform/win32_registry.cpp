#include "win32/platform/win32_registry.h"

#include <windows.h>

#include <cstring>
#include <limits>
#include <string>

#include "win32/platform/unique_handle.h"
#include "win32/platform/wide_text.h"

namespace uptrail {
namespace {

// A value can grow between asking for its size and reading it; a few retries cover
// any writer that is not rewriting it without pause.
constexpr int kReadAttempts = 4;

HKEY RootHandle(RegistryRoot root) {
    return root == RegistryRoot::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

REGSAM ViewFlag(RegistryView view) {
    return view == RegistryView::k64Bit ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// UTF-16 data as read from the registry; an odd last byte is not a character and is dropped.
std::string TextFromWideData(const std::string& bytes, bool utf8) {
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    return utf8 ? Utf8FromWide(text) : AnsiFromWide(text);
}

// Windows asks for string data to include its terminating zero, and readers that trust
// the stored size rely on it; the caller's text may or may not end in one.
std::string WideDataFromText(std::string_view text, bool utf8) {
    std::wstring wide = utf8 ? WideFromUtf8(text) : WideFromAnsi(text);
    if (wide.empty() || wide.back() != L'\0') wide.push_back(L'\0');
    const auto* first = reinterpret_cast<const char*>(wide.data());
    return std::string(first, first + wide.size() * sizeof(wchar_t));
}

[[nodiscard]] OsError OpenKey(const RegistryKey& key, REGSAM access, UniqueKey& handle) {
    return static_cast<OsError>(RegOpenKeyExW(RootHandle(key.root), WideFromAnsi(key.path).c_str(),
                                              0, access | ViewFlag(key.view), handle.put()));
}

// One attempt at reading a value: its size first, then the data.
[[nodiscard]] LSTATUS QueryValue(HKEY key, const std::wstring& name, DWORD& type,
                                 std::string& bytes) {
    DWORD size = 0;
    const LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) return status;
    bytes.assign(size, '\0');
    const LSTATUS read = RegQueryValueExW(key, name.c_str(), nullptr, &type,
                                          reinterpret_cast<BYTE*>(bytes.data()), &size);
    if (read == ERROR_SUCCESS) bytes.resize(size);
    return read;
}

}  // namespace

OsError Win32Registry::ReadValue(const RegistryKey& key, std::string_view valueName,
                                 RegistryValue& value) const {
    UniqueKey handle;
    if (const OsError error = OpenKey(key, KEY_QUERY_VALUE, handle); error != kOk) return error;
    const std::wstring name = WideFromAnsi(valueName);

    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        DWORD type = REG_NONE;
        std::string bytes;
        const LSTATUS status = QueryValue(handle.get(), name, type, bytes);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) return static_cast<OsError>(status);
        value.type = type;
        value.data = IsStringType(type) ? TextFromWideData(bytes, value.utf8) : std::move(bytes);
        return kOk;
    }
    return kErrorMoreData;
}

OsError Win32Registry::CreateKey(const RegistryKey& key) {
    UniqueKey handle;
    return static_cast<OsError>(RegCreateKeyExW(
        RootHandle(key.root), WideFromAnsi(key.path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
        KEY_SET_VALUE | ViewFlag(key.view), nullptr, handle.put(), nullptr));
}

OsError Win32Registry::SetValue(const RegistryKey& key, std::string_view valueName,
                                const RegistryValue& value) {
    const std::string data =
        IsStringType(value.type) ? WideDataFromText(value.data, value.utf8) : value.data;
    if (data.size() > std::numeric_limits<DWORD>::max()) return ERROR_INVALID_PARAMETER;

    UniqueKey handle;
    if (const OsError error = OpenKey(key, KEY_SET_VALUE, handle); error != kOk) return error;
    return static_cast<OsError>(RegSetValueExW(
        handle.get(), WideFromAnsi(valueName).c_str(), 0, value.type,
        reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size())));
}

OsError Win32Registry::DeleteValue(const RegistryKey& key, std::string_view valueName) {
    UniqueKey handle;
    if (const OsError error = OpenKey(key, KEY_SET_VALUE, handle); error != kOk) return error;
    return static_cast<OsError>(RegDeleteValueW(handle.get(), WideFromAnsi(valueName).c_str()));
}

bool Win32Registry::WindowsIs64Bit() const {
    // A 64-bit process only runs on 64-bit Windows; a 32-bit one has to ask.
    if constexpr (sizeof(void*) == 8) return true;
    return RunsUnderWow64();
}

bool Win32Registry::RunsUnderWow64() const {
    // Looked up rather than linked, so a 32-bit build still starts on a Windows whose
    // kernel32 predates the function (it is then not under WOW64 either).
    using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (!kernel) return false;
    const FARPROC found = GetProcAddress(kernel, "IsWow64Process");
    if (!found) return false;
    // Through the generic function pointer type, which converts to any other without a
    // cast-function-type warning.
    const auto isWow64Process =
        reinterpret_cast<IsWow64ProcessFunction>(reinterpret_cast<void (*)()>(found));
    BOOL wow64 = FALSE;
    return isWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

}  // namespace uptrail
