#include "app/log_location.h"

#include <string>
#include <string_view>

#include "app/version_info.h"
#include "platform/text_encoding.h"
#include "storage/atomic_file.h"
#include "storage/registry_store.h"
#include "storage/settings_key.h"

namespace uptrail {
namespace {

constexpr std::string_view kLogFolderValue = "LogFolder";

// A folder typed into the registry by hand often ends in a backslash. It is dropped so
// the file path and the stored text come out the same either way; a drive root ("C:\")
// keeps it, because "C:" alone means the current folder of that drive.
std::string WithoutTrailingSeparator(std::string folder) {
    const auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
    while (folder.size() > 1 && isSeparator(folder.back()) && folder[folder.size() - 2] != ':')
        folder.pop_back();
    return folder;
}

// Asks the file system itself rather than reading permissions: the same temporary file
// every rewrite of the log creates is written and removed, so the answer is exactly
// whether the log could be kept here.
bool CanCreateFilesIn(FileSystem& files, const std::filesystem::path& folder) {
    const std::filesystem::path probe = TemporaryPathFor(LogFileIn(folder));
    if (files.WriteNewFile(probe, "probe") != kOk) return false;
    files.RemoveFile(probe);
    return true;
}

// Under Program Files a standard user may not create files, so the log then goes to the
// per-machine data folder, which every user may write.
std::filesystem::path DefaultLogFolder(FileSystem& files, const SystemInfo& system) {
    const std::filesystem::path programFolder = system.ProgramFolder();
    if (CanCreateFilesIn(files, programFolder)) return programFolder;

    const std::filesystem::path dataRoot = system.ProgramDataFolder();
    // Without a known data folder a relative path would land wherever the process happens
    // to run; the program's folder is at least a place the user can find.
    if (dataRoot.empty()) return programFolder;
    const std::filesystem::path dataFolder = dataRoot / kVersion.company / kVersion.title;
    CreateFolderPath(files, dataFolder);
    return dataFolder;
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

std::filesystem::path ResolveLogFolder(Registry& registry, FileSystem& files,
                                       const SystemInfo& system) {
    const std::string keyPath = SettingsKeyPath();
    const std::string stored =
        WithoutTrailingSeparator(RegRead(registry, RegistryRoot::kLocalMachine, keyPath,
                                         kLogFolderValue));
    const std::filesystem::path folder =
        stored.empty() ? DefaultLogFolder(files, system) : PathFromAnsi(stored);
    // Stored even when it was only worked out, so every later start keeps the log in the
    // same place instead of working it out again with the rights it happens to have.
    RegWrite(registry, RegistryRoot::kLocalMachine, keyPath, kLogFolderValue,
             AnsiFromPath(folder));
    return folder;
}

std::filesystem::path LogFileIn(const std::filesystem::path& folder) {
    std::string fileName(kVersion.title);
    fileName += ".txt";
    return folder / fileName;
}

}  // namespace uptrail
