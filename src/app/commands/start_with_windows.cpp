#include "app/commands/start_with_windows.h"

#include "base/version_info.h"
#include "storage/registry_store.h"

namespace uptrail {
namespace {

// Task Manager's own record of an entry that is on: the state, then a zero time.
constexpr char kApprovedEnabled[12] = {0x02};

std::string_view RunValueName() { return kVersion.description; }

RegistryKey KeyAt(RegistryRoot root, std::string_view path, const Registry& registry) {
    return RegistryKey{root, std::string(path), ProgramRegistryView(registry)};
}

// The entry is under HKEY_CURRENT_USER where the write had no rights for the machine's
// list; Windows honours either, and Task Manager keeps its switch under the same root.
RegistryRoot RunValueRoot(const Registry& registry) {
    RegistryValue value;
    const RegistryKey userRun = KeyAt(RegistryRoot::kCurrentUser, kRunKeyPath, registry);
    return registry.ReadValue(userRun, RunValueName(), value) == kOk ? RegistryRoot::kCurrentUser
                                                                     : RegistryRoot::kLocalMachine;
}

bool TurnedOffInTaskManager(const Registry& registry, RegistryRoot root) {
    RegistryValue value;
    if (registry.ReadValue(KeyAt(root, kStartupApprovedRunPath, registry), RunValueName(), value) !=
        kOk)
        return false;
    return value.type == reg_type::kBinary && !value.data.empty() &&
           (static_cast<unsigned char>(value.data.front()) & 1) != 0;
}

OsError MarkApproved(Registry& registry, RegistryRoot root) {
    const RegistryKey approved = KeyAt(root, kStartupApprovedRunPath, registry);
    if (const OsError error = registry.CreateKey(approved); error != kOk) return error;
    return registry.SetValue(
        approved, RunValueName(),
        {reg_type::kBinary, std::string(kApprovedEnabled, sizeof kApprovedEnabled)});
}

// A standard user cannot undo a switch turned off for the whole machine; an entry of the
// user's own, which nothing has turned off, starts the program for that user instead.
void StartForThisUser(Registry& registry) {
    const RegistryKey userRun = KeyAt(RegistryRoot::kCurrentUser, kRunKeyPath, registry);
    if (registry.CreateKey(userRun) != kOk) return;
    static_cast<void>(
        registry.SetValue(userRun, RunValueName(), {reg_type::kSz, StartWithWindowsCommand()}));
}

}  // namespace

std::string StartWithWindowsCommand() {
    std::string command(kVersion.exeName);
    command += ".exe";
    return command;
}

bool StartsWithWindows(const Registry& registry) {
    return RegRead(registry, RegistryRoot::kLocalMachine, kRunKeyPath, RunValueName()) ==
               StartWithWindowsCommand() &&
           !TurnedOffInTaskManager(registry, RunValueRoot(registry));
}

// Without administrator rights the write lands under HKEY_CURRENT_USER (RegWrite sees to
// that), whose Run key Windows honours as well; the delete removes the user's entry too.
// Should even that be refused, the check mark shows the stored state all the same.
bool StoreStartWithWindows(Registry& registry, bool on) {
    if (!on) {
        static_cast<void>(
            RegRemoveValue(registry, RegistryRoot::kLocalMachine, kRunKeyPath, RunValueName()));
        // A standard user is refused the machine's key whether or not it holds the entry:
        // only an entry that is still there needs an administrator.
        RegistryValue left;
        return registry.ReadValue(KeyAt(RegistryRoot::kLocalMachine, kRunKeyPath, registry),
                                  RunValueName(), left) != kOk;
    }
    static_cast<void>(RegWrite(registry, RegistryRoot::kLocalMachine, kRunKeyPath, RunValueName(),
                               StartWithWindowsCommand()));
    const RegistryRoot root = RunValueRoot(registry);
    if (!TurnedOffInTaskManager(registry, root)) return true;
    if (MarkApproved(registry, root) == kErrorAccessDenied && root == RegistryRoot::kLocalMachine)
        StartForThisUser(registry);
    return true;
}

int RunStartWithWindowsOffSwitch(Registry& registry) {
    // Only the machine's entry: the user's own Run key here is the administrator's, whose
    // entries are not this user's to change.
    const OsError error = registry.DeleteValue(
        KeyAt(RegistryRoot::kLocalMachine, kRunKeyPath, registry), RunValueName());
    return error == kErrorFileNotFound ? 0 : static_cast<int>(error);
}

}  // namespace uptrail
