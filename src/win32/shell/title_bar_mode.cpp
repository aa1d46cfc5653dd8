#include "win32/shell/title_bar_mode.h"

#include <dwmapi.h>

#include "app/colour_mode.h"
#include "win32/platform/wide_text.h"
#include "win32/platform/win32_colour_mode.h"

namespace uptrail {

void ApplyTitleBarColourMode(HWND window, const Registry& registry) {
    const auto attribute = DarkTitleBarAttribute(Win32ColourMode().WindowsBuild());
    if (!attribute) return;
    const BOOL dark = AppsUseDarkMode(registry) ? TRUE : FALSE;
    // A refusal leaves the frame as the system draws it, which is all that is lost.
    static_cast<void>(DwmSetWindowAttribute(window, *attribute, &dark, sizeof dark));
}

std::string ChangedSetting(LPARAM lParam) {
    const auto* name = reinterpret_cast<const wchar_t*>(lParam);
    return name ? AnsiFromWide(name) : std::string();
}

}  // namespace uptrail
