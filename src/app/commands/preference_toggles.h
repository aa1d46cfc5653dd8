#pragma once
#include <string>
#include <string_view>

#include "app/main_context.h"
#include "platform/registry.h"

namespace uptrail {

// Click handlers of the option items of the right-hand menu. Start-up runs the first
// three too, to set and store the options on a first start.
void OnRightAutoClick(MainContext& context);      // "Start with &Windows"
void OnRightWithoutClick(MainContext& context);   // "Don't create Tray &Icon"
void OnRightAnimatedClick(MainContext& context);  // "Animated &Tray Icon"
void OnRightHideClick(MainContext& context);      // "&Hide Tray Icon"
void OnRightExitClick(MainContext& context);      // "E&xit"

// The per-machine list of programs Windows starts at log-on.
inline constexpr std::string_view kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// What the program's Run entry holds: its bare file name ("Uptrail.exe"), which the
// App Paths registration resolves wherever the program is installed.
std::string StartWithWindowsCommand();

// Whether the Run entry named by the program's description starts this program.
bool StartsWithWindows(Registry& registry);

}  // namespace uptrail
