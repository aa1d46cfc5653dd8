#pragma once
#include <cstdint>

namespace uptrail {

// What the program needs of Windows to let its menus and windows follow the user's app
// colour mode. Dark menus rest on undocumented entry points of the theme library, so
// they are looked up before use and may be missing (older Windows, Wine).
class ColourModeApi {
public:
    virtual ~ColourModeApi() = default;

    // The build number of the running Windows (18362 for Windows 10 1903).
    [[nodiscard]] virtual std::uint32_t WindowsBuild() const = 0;

    // Looks the entry points for dark menus up; true when every one is there.
    [[nodiscard]] virtual bool FindDarkMenuEntryPoints() = 0;

    // Lets the process's menus take the dark theme while the user's app mode is dark.
    virtual void AllowDarkMenus() = 0;

    // Makes the menus pick up a mode the user has just switched to.
    virtual void RefreshMenuThemes() = 0;
};

}  // namespace uptrail
