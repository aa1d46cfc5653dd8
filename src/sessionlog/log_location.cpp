#include "sessionlog/log_location.h"

#include <string>
#include <string_view>

#include "base/settings_key.h"
#include "base/version_info.h"
#include "storage/atomic_file.h"
#include "storage/registry_store.h"
#include "storage/setting_names.h"

namespace uptrail {
namespace {

// Asks the file system itself rather than reading permissions: the same temporary file
// every rewrite of the log creates is written and removed, so the answer is exactly
// whether the log could be kept here.
bool CanCreateFilesIn(FileSystem& files, const std::filesystem::path& folder) {
    const std::filesystem::path probe = TemporaryPathFor(LogFileIn(folder));
    if (files.WriteNewFile(probe, "probe") != kOk) return false;
    // Left behind, it is the temporary file the next rewrite of the log overwrites anyway.
    static_cast<void>(files.RemoveFile(probe));
    return true;
}

// Under Program Files a standard user may not create files, so the log then goes to the
// per-machine data folder, which every user may write.
std::filesystem::path DefaultLogFolder(FileSystem& files, const SystemInfo& system) {
    const std::filesystem::path programFolder = system.ProgramFolder();
    if (CanCreateFilesIn(files, programFolder)) return programFolder;

    const std::filesystem::path dataFolder = DataLogFolder(system);
    // Without a known data folder a relative path would land wherever the process happens
    // to run; the program's folder is at least a place the user can find.
    if (dataFolder.empty()) return programFolder;
    // A folder that cannot be made shows itself at the first write of the log, which then
    // stays readable and unchanged: nothing more to do here.
    static_cast<void>(CreateFolderPath(files, dataFolder));
    return dataFolder;
}

std::filesystem::path MachineLogFolder(const Registry& registry) {
    return WithoutTrailingSeparator(RegReadPathAt(registry, RegistryRoot::kLocalMachine,
                                                  SettingsKeyPath(), setting::kLogFolder.key));
}

RegistryKey MachineKey(const Registry& registry) {
    return RegistryKey{RegistryRoot::kLocalMachine, std::string(SettingsKeyPath()),
                       ProgramRegistryView(registry)};
}

}  // namespace

OsError CreateFolderPath(FileSystem& files, const std::filesystem::path& folder) {
    const OsError error = files.CreateFolder(folder);
    if (!IsNotFound(error)) return error;
    // Existing levels above are never touched: a standard user may not even try to
    // create a drive root or a system folder without an access error.
    const std::filesystem::path parent = folder.parent_path();
    if (parent.empty() || parent == folder) return error;
    if (const OsError parentError = CreateFolderPath(files, parent); parentError != kOk)
        return parentError;
    return files.CreateFolder(folder);
}

std::filesystem::path WithoutTrailingSeparator(const std::filesystem::path& folder) {
    using Char = std::filesystem::path::value_type;
    const auto isSeparator = [](Char c) { return c == Char('\\') || c == Char('/'); };
    std::filesystem::path::string_type text = folder.native();
    while (text.size() > 1 && isSeparator(text.back()) && text[text.size() - 2] != Char(':'))
        text.pop_back();
    return text;
}

std::filesystem::path ResolveLogFolder(Registry& registry, FileSystem& files,
                                       const SystemInfo& system) {
    const std::filesystem::path stored = StoredLogFolder(registry);
    const std::filesystem::path folder = stored.empty() ? DefaultLogFolder(files, system) : stored;
    // Stored even when it was only worked out, so every later start keeps the log in the
    // same place instead of working it out again with the rights it happens to have.
    static_cast<void>(StoreLogFolder(registry, folder));
    return folder;
}

std::filesystem::path StoredLogFolder(const Registry& registry) {
    const std::filesystem::path machines = MachineLogFolder(registry);
    if (!machines.empty()) return machines;
    return WithoutTrailingSeparator(RegReadPathAt(registry, RegistryRoot::kCurrentUser,
                                                  SettingsKeyPath(), setting::kLogFolder.key));
}

bool LogFolderIsMachinesOnly(Registry& registry) {
    if (MachineLogFolder(registry).empty()) return false;
    // Opening the key for a change asks exactly what a standard user is refused.
    return registry.CreateKey(MachineKey(registry)) == kErrorAccessDenied;
}

OsError StoreLogFolder(Registry& registry, const std::filesystem::path& folder) {
    if (MachineLogFolder(registry).empty())
        return RegWritePath(registry, RegistryRoot::kLocalMachine, SettingsKeyPath(),
                            setting::kLogFolder.key, folder);
    // A copy under the account would split the history: this account would write one log
    // and every other account the machine's.
    if (LogFolderIsMachinesOnly(registry)) return kErrorAccessDenied;
    return RegWritePath(registry, RegistryRoot::kLocalMachine, SettingsKeyPath(),
                        setting::kLogFolder.key, folder);
}

std::filesystem::path DataLogFolder(const SystemInfo& system) {
    const std::filesystem::path dataRoot = system.ProgramDataFolder();
    if (dataRoot.empty()) return {};
    return dataRoot / kVersion.company / kVersion.title;
}

std::filesystem::path LogFileIn(const std::filesystem::path& folder) {
    std::string fileName(kVersion.title);
    fileName += ".txt";
    return folder / fileName;
}

}  // namespace uptrail
