#pragma once
#include <windows.h>

#include <string>

#include "platform/registry.h"

namespace uptrail {

// Gives a top-level window a dark title bar while the user's apps are dark, and the light
// one otherwise. Where Windows has no dark title bars (before 1903, Wine) nothing changes.
void ApplyTitleBarColourMode(HWND window, const Registry& registry);

// The setting a WM_SETTINGCHANGE names in its lParam ("ImmersiveColorSet"), or "".
std::string ChangedSetting(LPARAM lParam);

}  // namespace uptrail
