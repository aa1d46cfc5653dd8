#pragma once
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

#include "platform/registry.h"

namespace uptrail::testing {

// An in-memory registry for unit tests. Each root and view is a tree of its own, so a
// test sees which view a value went to. Key paths and value names compare without regard
// to ASCII case, as the registry's do.
class MemoryRegistry final : public Registry {
public:
    struct Bitness {
        bool windows64Bit = true;
        bool wow64 = false;
    };

    MemoryRegistry() = default;
    explicit MemoryRegistry(Bitness bitness) : bitness_(bitness) {}
    // One account's view of a PC: HKEY_LOCAL_MACHINE is `*machine`'s, HKEY_CURRENT_USER its own.
    explicit MemoryRegistry(MemoryRegistry* machine) : machine_(machine) {}

    // Refuses every change under HKEY_LOCAL_MACHINE, as Windows does for a standard user.
    void DenyLocalMachineChanges(bool deny = true) { denyLocalMachine_ = deny; }

    // Puts a value in place directly, creating its key, without counting as a call.
    void Seed(const RegistryKey& key, std::string_view valueName, RegistryValue value);
    std::optional<RegistryValue> Stored(const RegistryKey& key, std::string_view valueName) const;
    int CreateKeyCalls() const { return createKeyCalls_; }
    int SetValueCalls() const { return setValueCalls_; }

    OsError ReadValue(const RegistryKey& key, std::string_view valueName,
                      RegistryValue& value) const override;
    OsError CreateKey(const RegistryKey& key) override;
    OsError SetValue(const RegistryKey& key, std::string_view valueName,
                     const RegistryValue& value) override;
    OsError DeleteValue(const RegistryKey& key, std::string_view valueName) override;
    bool WindowsIs64Bit() const override { return bitness_.windows64Bit; }
    bool RunsUnderWow64() const override { return bitness_.wow64; }

private:
    using KeyId = std::tuple<RegistryRoot, RegistryView, std::string>;
    using Values = std::map<std::string, RegistryValue>;

    static KeyId IdOf(const RegistryKey& key);
    bool ChangeRefused(const RegistryKey& key) const;
    // The machine's registry where the key lies in the HKEY_LOCAL_MACHINE it shares.
    MemoryRegistry* Shared(const RegistryKey& key) const {
        return key.root == RegistryRoot::kLocalMachine ? machine_ : nullptr;
    }
    Values* FindKey(const RegistryKey& key);

    Bitness bitness_;
    bool denyLocalMachine_ = false;
    MemoryRegistry* machine_ = nullptr;
    std::map<KeyId, Values> keys_;
    int createKeyCalls_ = 0;
    int setValueCalls_ = 0;
};

}  // namespace uptrail::testing
