#include "support/memory_registry.h"

#include <algorithm>

namespace uptrail::testing {
namespace {

std::string Folded(std::string_view name) {
    std::string folded(name);
    std::transform(folded.begin(), folded.end(), folded.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return folded;
}

}  // namespace

MemoryRegistry::KeyId MemoryRegistry::IdOf(const RegistryKey& key) {
    return {key.root, key.view, Folded(key.path)};
}

bool MemoryRegistry::ChangeRefused(const RegistryKey& key) const {
    return denyLocalMachine_ && key.root == RegistryRoot::kLocalMachine;
}

MemoryRegistry::Values* MemoryRegistry::FindKey(const RegistryKey& key) {
    const auto found = keys_.find(IdOf(key));
    return found == keys_.end() ? nullptr : &found->second;
}

void MemoryRegistry::Seed(const RegistryKey& key, std::string_view valueName, RegistryValue value) {
    if (MemoryRegistry* shared = Shared(key)) return shared->Seed(key, valueName, std::move(value));
    keys_[IdOf(key)][Folded(valueName)] = std::move(value);
}

std::optional<RegistryValue> MemoryRegistry::Stored(const RegistryKey& key,
                                                    std::string_view valueName) const {
    if (const MemoryRegistry* shared = Shared(key)) return shared->Stored(key, valueName);
    const auto values = keys_.find(IdOf(key));
    if (values == keys_.end()) return std::nullopt;
    const auto found = values->second.find(Folded(valueName));
    if (found == values->second.end()) return std::nullopt;
    return found->second;
}

OsError MemoryRegistry::ReadValue(const RegistryKey& key, std::string_view valueName,
                                  RegistryValue& value) const {
    const auto stored = Stored(key, valueName);
    if (stored) value = *stored;
    return stored ? kOk : kErrorFileNotFound;
}

OsError MemoryRegistry::CreateKey(const RegistryKey& key) {
    ++createKeyCalls_;
    if (ChangeRefused(key)) return kErrorAccessDenied;
    if (MemoryRegistry* shared = Shared(key)) return shared->CreateKey(key);
    keys_[IdOf(key)];
    return kOk;
}

OsError MemoryRegistry::SetValue(const RegistryKey& key, std::string_view valueName,
                                 const RegistryValue& value) {
    ++setValueCalls_;
    if (ChangeRefused(key)) return kErrorAccessDenied;
    if (MemoryRegistry* shared = Shared(key)) return shared->SetValue(key, valueName, value);
    Values* values = FindKey(key);
    if (!values) return kErrorFileNotFound;
    (*values)[Folded(valueName)] = value;
    return kOk;
}

OsError MemoryRegistry::DeleteValue(const RegistryKey& key, std::string_view valueName) {
    if (ChangeRefused(key)) return kErrorAccessDenied;
    if (MemoryRegistry* shared = Shared(key)) return shared->DeleteValue(key, valueName);
    Values* values = FindKey(key);
    if (!values) return kErrorFileNotFound;
    return values->erase(Folded(valueName)) > 0 ? kOk : kErrorFileNotFound;
}

}  // namespace uptrail::testing
