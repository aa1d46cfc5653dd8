#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/colour_mode.h"
#include "platform/registry.h"

namespace uptrail {

// The first build whose menus can follow the app colour mode: Windows 10 1903.
inline constexpr std::uint32_t kFirstDarkMenuBuild = 18362;

// Lets the menus follow the user's app colour mode where this Windows can; true when they
// now do. Must run before the first menu opens. Elsewhere the menus stay light.
bool FollowAppColourMode(ColourModeApi& api);

// The user switched between light and dark (a setting change named "ImmersiveColorSet").
bool IsColourModeChange(std::string_view changedSetting);
void OnColourModeChange(ColourModeApi& api, bool following);

// Whether the user's apps are dark: "AppsUseLightTheme" is 0 in the user's theme settings.
bool AppsUseDarkMode(const Registry& registry);

// The window attribute that turns a title bar dark on this build, if it has one: it
// got a new number in Windows 10 2004.
std::optional<std::uint32_t> DarkTitleBarAttribute(std::uint32_t build);

}  // namespace uptrail
