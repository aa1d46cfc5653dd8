#include "storage/settings_store.h"

#include "storage/profile_file.h"
#include "storage/registry_store.h"
#include "base/settings_key.h"

namespace uptrail {
namespace {

constexpr std::string_view kGet = "get";
constexpr std::string_view kPut = "put";

std::string GetSetting(const SettingsStore& store, std::string_view key,
                       std::string_view section) {
    if (section == kRegistrySection)
        return RegRead(store.registry, RegistryRoot::kLocalMachine, SettingsKeyPath(), key);
    return ReadProfile(store.files, store.logFile, section, key);
}

OsError PutSetting(const SettingsStore& store, std::string_view key, std::string_view value,
                   std::string_view section) {
    if (section == kRegistrySection)
        return RegWrite(store.registry, RegistryRoot::kLocalMachine, SettingsKeyPath(), key,
                        value);
    return WriteProfile(store.files, store.logFile, section, key, value);
}

}  // namespace

std::string Setting(const SettingsStore& store, std::string_view action, std::string_view key,
                    std::string_view value, std::string_view section) {
    const std::string_view where = section.empty() ? std::string_view(store.systemId) : section;
    if (action == kGet) return GetSetting(store, key, where);
    // Settings are best effort: a value that cannot be stored is simply not kept, and the
    // program goes on with the one it meant to store.
    if (action == kPut) PutSetting(store, key, value, where);
    return {};
}

}  // namespace uptrail
