#pragma once
#include "platform/registry.h"

namespace uptrail {

// Registry on the wide Win32 API. Names and string data cross into UTF-16 and back
// through the ANSI code page here, at the boundary, and nowhere else.
class Win32Registry final : public Registry {
public:
    OsError ReadValue(const RegistryKey& key, std::string_view valueName,
                      RegistryValue& value) const override;
    OsError CreateKey(const RegistryKey& key) override;
    OsError SetValue(const RegistryKey& key, std::string_view valueName,
                     const RegistryValue& value) override;
    OsError DeleteValue(const RegistryKey& key, std::string_view valueName) override;
    bool WindowsIs64Bit() const override;
    bool RunsUnderWow64() const override;
};

}  // namespace uptrail
