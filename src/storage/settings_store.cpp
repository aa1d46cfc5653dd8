#include "storage/settings_store.h"

#include "storage/profile_file.h"
#include "storage/registry_store.h"

namespace uptrail {
namespace {

std::string_view SectionOf(const SettingsStore& store, SettingPlace place) {
    return place == SettingPlace::kCommonSection ? kCommonSection
                                                 : std::string_view(store.systemId);
}

std::string Read(const SettingsStore& store, const SettingName& name, std::string_view section) {
    if (name.place == SettingPlace::kProgramKey)
        return RegRead(store.registry, RegistryRoot::kLocalMachine, store.programKey, name.key);
    return ReadProfile(store.files, store.logFile, section, name.key);
}

}  // namespace

std::string Get(const SettingsStore& store, const SettingName& name) {
    return Read(store, name, SectionOf(store, name.place));
}

std::string GetOf(const SettingsStore& store, const SettingName& name, std::string_view system) {
    return Read(store, name, system);
}

void Put(const SettingsStore& store, const SettingName& name, std::string_view value) {
    if (name.place == SettingPlace::kProgramKey) {
        static_cast<void>(RegWrite(store.registry, RegistryRoot::kLocalMachine, store.programKey,
                                   name.key, value));
        return;
    }
    const std::string section(SectionOf(store, name.place));
    if (!store.writer) {
        static_cast<void>(WriteProfile(store.files, store.logFile, section, name.key, value));
        return;
    }
    // A later value of the same setting replaces one still waiting to be written.
    const std::filesystem::path logFile = store.logFile;
    static_cast<void>(store.writer->Run(logFile, {section + "\n" + std::string(name.key),
                                                  [logFile, section, key = std::string(name.key),
                                                   text = std::string(value)](FileSystem& staged) {
                                                      static_cast<void>(WriteProfile(
                                                          staged, logFile, section, key, text));
                                                  },
                                                  {}}));
}

}  // namespace uptrail
