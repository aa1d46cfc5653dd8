#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/os_error.h"
#include "platform/registry.h"

namespace uptrail {

// RegWrite's answer for a value type it has no way to write (ERROR_INVALID_PARAMETER).
inline constexpr OsError kErrorUnwritableValueType = 87;

// The view every registry access of the program goes through: the 64-bit one whenever
// Windows is 64-bit, whatever the bitness of the process, so the program and anything
// else reading its keys (the installer, the shell's Run key) see the same values.
RegistryView ProgramRegistryView(const Registry& registry);

// Whether the program runs as a 32-bit process on 64-bit Windows.
bool IsWow64(const Registry& registry);

struct BytesToTextOptions {
    std::size_t start = 0;
    // How many bytes to take from `start`; all the rest when not given.
    std::optional<std::size_t> count = std::nullopt;
    // Ends the text before the first zero byte.
    bool stopAtZero = false;
};

// A run of bytes as ANSI text, one character per byte. A start or count reaching past
// the end takes only the bytes that are there.
std::string BytesToText(std::string_view bytes, const BytesToTextOptions& options = {});

struct RegReadOptions {
    // Converts the data as this type instead of the stored one.
    std::optional<std::uint32_t> valueType = std::nullopt;
    // The text read when the key or the value cannot be read.
    std::string_view defaultValue = {};
    // Receives the stored data as it is, before any conversion.
    std::string* rawBytes = nullptr;
};

// A registry value as text: the string types give their text up to the first zero
// (of a REG_MULTI_SZ only the first string), REG_DWORD and REG_DWORD_BIG_ENDIAN their
// unsigned number in decimal, any other type its bytes up to the first zero.
// Under HKEY_LOCAL_MACHINE, a value that RegWrite had to keep under HKEY_CURRENT_USER
// (no administrator rights) is the one read.
[[nodiscard]] std::string RegRead(const Registry& registry, RegistryRoot root,
                                  std::string_view subKey, std::string_view valueName,
                                  const RegReadOptions& options = {});

// Stores a text value. Nothing is written, and no key is created, when RegRead already
// gives `value` for it. An empty text is stored as one zero character; REG_SZ and
// REG_BINARY take the text's bytes, REG_DWORD its leading decimal number rounded to
// 32 bits; other types cannot be written. A change under HKEY_LOCAL_MACHINE that is
// refused is made under the same path of HKEY_CURRENT_USER instead.
[[nodiscard]] OsError RegWrite(Registry& registry, RegistryRoot root, std::string_view subKey,
                               std::string_view valueName, std::string_view value,
                               std::uint32_t valueType = reg_type::kSz);

// A folder or file name kept as a REG_SZ value in UTF-16, so that a name the ANSI code
// page cannot hold survives (RegRead gives such a value as ANSI text, as any reader of the
// ANSI API sees it). The lookup and the fallback under HKEY_CURRENT_USER are RegRead's and
// RegWrite's; an equal path is not written again. An empty path reads as missing.
[[nodiscard]] std::filesystem::path RegReadPath(const Registry& registry, RegistryRoot root,
                                                std::string_view subKey,
                                                std::string_view valueName);
// The same from `root` alone, without the copy under HKEY_CURRENT_USER.
[[nodiscard]] std::filesystem::path RegReadPathAt(const Registry& registry, RegistryRoot root,
                                                  std::string_view subKey,
                                                  std::string_view valueName);
[[nodiscard]] OsError RegWritePath(Registry& registry, RegistryRoot root, std::string_view subKey,
                                   std::string_view valueName, const std::filesystem::path& path);

// Deletes a value; under HKEY_LOCAL_MACHINE also the copy RegWrite may have kept under
// HKEY_CURRENT_USER. A value that is not there counts as deleted.
[[nodiscard]] OsError RegRemoveValue(Registry& registry, RegistryRoot root, std::string_view subKey,
                                     std::string_view valueName);

}  // namespace uptrail
