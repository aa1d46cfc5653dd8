#include "app/colour_mode.h"

#include "storage/registry_store.h"

namespace uptrail {
namespace {

constexpr std::uint32_t kTitleBarAttributeRenumbered = 19041;  // Windows 10 2004
constexpr std::uint32_t kDarkTitleBarBefore2004 = 19;
constexpr std::uint32_t kDarkTitleBar = 20;
constexpr std::string_view kPersonalizeKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

}  // namespace

bool FollowAppColourMode(ColourModeApi& api) {
    // Before 1903 the same entry points took other arguments: they are not called there.
    if (api.WindowsBuild() < kFirstDarkMenuBuild || !api.FindDarkMenuEntryPoints()) return false;
    api.AllowDarkMenus();
    return true;
}

bool IsColourModeChange(std::string_view changedSetting) {
    return changedSetting == "ImmersiveColorSet";
}

void OnColourModeChange(ColourModeApi& api, bool following) {
    if (following) api.RefreshMenuThemes();
}

bool AppsUseDarkMode(const Registry& registry) {
    const RegistryKey personalize{RegistryRoot::kCurrentUser, std::string(kPersonalizeKey),
                                  ProgramRegistryView(registry)};
    RegistryValue value;
    // Anything but a well-formed zero (no value, another type) leaves the light default.
    return registry.ReadValue(personalize, "AppsUseLightTheme", value) == kOk &&
           value.type == reg_type::kDword && value.data == std::string(4, '\0');
}

std::optional<std::uint32_t> DarkTitleBarAttribute(std::uint32_t build) {
    if (build >= kTitleBarAttributeRenumbered) return kDarkTitleBar;
    if (build >= kFirstDarkMenuBuild) return kDarkTitleBarBefore2004;
    return std::nullopt;
}

}  // namespace uptrail
