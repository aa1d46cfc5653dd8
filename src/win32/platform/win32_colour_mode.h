#pragma once
#include <windows.h>

#include "platform/colour_mode.h"

namespace uptrail {

// The theme library's entry points for dark menus, which it exports by ordinal only.
class Win32ColourMode final : public ColourModeApi {
public:
    std::uint32_t WindowsBuild() const override;
    bool FindDarkMenuEntryPoints() override;
    void AllowDarkMenus() override;
    void RefreshMenuThemes() override;

private:
    using SetPreferredAppMode = int(WINAPI*)(int mode);
    using NoArguments = void(WINAPI*)();

    SetPreferredAppMode setPreferredAppMode_ = nullptr;
    NoArguments flushMenuThemes_ = nullptr;
    NoArguments refreshColourPolicy_ = nullptr;
};

}  // namespace uptrail
