#pragma once
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace uptrail {

// The per-machine list of programs Windows starts at log-on.
inline constexpr std::string_view kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Where Task Manager records that a user has turned a Run entry off: a binary value named
// like the entry, under the same root, whose first byte is odd while the entry is off.
inline constexpr std::string_view kStartupApprovedRunPath =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

// What the program's Run entry holds: its bare file name ("Uptrail.exe"), which the
// App Paths registration resolves wherever the program is installed.
std::string StartWithWindowsCommand();

// Whether Windows will start this program at log-on: its Run entry is there and names it,
// and Task Manager has not turned that entry off.
bool StartsWithWindows(const Registry& registry);

// Turns the start at log-on on or off. Turned on, an entry Task Manager had turned off is
// marked on again, so that the check mark tells the truth at the next log-on. False when
// only an administrator can make the change: the entry is in the machine's list, which a
// standard user cannot change (setup puts it there).
[[nodiscard]] bool StoreStartWithWindows(Registry& registry, bool on);

// The switch with which the program, started with administrator rights, removes the
// machine's entry and does nothing else.
inline constexpr std::string_view kStartWithWindowsOffSwitch = "/StartWithWindowsOff";

// What the program started with that switch does: removes the machine's entry. The exit
// code is 0 when the entry is gone, the system error code otherwise.
int RunStartWithWindowsOffSwitch(Registry& registry);

}  // namespace uptrail
