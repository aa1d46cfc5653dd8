#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "base/os_error.h"

namespace uptrail {

// The predefined keys the program reaches.
enum class RegistryRoot { kLocalMachine, kCurrentUser };

// 64-bit Windows keeps two copies of parts of the registry; a key is always named
// together with the copy it is seen through, so no access lands in the redirected one
// by accident.
enum class RegistryView { k64Bit, k32Bit };

// Value types with the numbers Windows gives them: they are stored in the registry.
namespace reg_type {
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kSz = 1;
inline constexpr std::uint32_t kExpandSz = 2;
inline constexpr std::uint32_t kBinary = 3;
inline constexpr std::uint32_t kDword = 4;
inline constexpr std::uint32_t kDwordBigEndian = 5;
inline constexpr std::uint32_t kMultiSz = 7;
inline constexpr std::uint32_t kQword = 11;
}  // namespace reg_type

// A key: its root, its path below the root ("SOFTWARE\Tamsk\Uptrail") and the view.
struct RegistryKey {
    RegistryRoot root = RegistryRoot::kCurrentUser;
    std::string path;
    RegistryView view = RegistryView::k64Bit;
};

// A stored value. For the string types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) the data
// is text in the ANSI code page, with whatever zero bytes it holds, or UTF-8 text when
// `utf8` is set: a writer sets it to store any character, a reader to receive it (the
// registry keeps UTF-16 either way). For every other type it is the bytes as stored.
struct RegistryValue {
    std::uint32_t type = reg_type::kNone;
    std::string data;
    bool utf8 = false;
};

// The registry as the portable code sees it. Key paths and value names are ANSI-code-page
// text; an empty value name is the key's default value. Every operation opens and closes
// the key itself, so no handle outlives a call. Errors are Win32 error codes: a missing
// key or value is kErrorFileNotFound, a refused change kErrorAccessDenied.
class Registry {
public:
    virtual ~Registry() = default;

    [[nodiscard]] virtual OsError ReadValue(const RegistryKey& key, std::string_view valueName,
                                            RegistryValue& value) const = 0;

    // Creates the key and any missing key above it, or opens it when it exists, and checks
    // that its values may be changed.
    [[nodiscard]] virtual OsError CreateKey(const RegistryKey& key) = 0;

    // Sets a value of an existing key.
    [[nodiscard]] virtual OsError SetValue(const RegistryKey& key, std::string_view valueName,
                                           const RegistryValue& value) = 0;

    [[nodiscard]] virtual OsError DeleteValue(const RegistryKey& key,
                                              std::string_view valueName) = 0;

    // Whether the running Windows is a 64-bit one and so has two registry views.
    [[nodiscard]] virtual bool WindowsIs64Bit() const = 0;

    // Whether this process is a 32-bit one running on 64-bit Windows.
    [[nodiscard]] virtual bool RunsUnderWow64() const = 0;
};

}  // namespace uptrail
