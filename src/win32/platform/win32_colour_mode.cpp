#include "win32/platform/win32_colour_mode.h"

namespace uptrail {
namespace {

// The theme library's ordinals, stable from Windows 10 1903 on.
constexpr WORD kRefreshImmersiveColorPolicyState = 104;
constexpr WORD kSetPreferredAppMode = 135;
constexpr WORD kFlushMenuThemes = 136;
constexpr int kAllowDark = 1;  // dark while the user's app mode is dark

// Through the generic function pointer type, which converts to any other without a
// warning; an ordinal's signature is known from the build that was checked.
template <typename Function>
Function Exported(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

template <typename Function>
Function Ordinal(HMODULE module, WORD ordinal) {
    return Exported<Function>(module, MAKEINTRESOURCEA(ordinal));
}

}  // namespace

std::uint32_t Win32ColourMode::WindowsBuild() const {
    // GetVersionEx answers what the manifest claims to support; ntdll tells the truth.
    using RtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto function = ntdll ? Exported<RtlGetVersion>(ntdll, "RtlGetVersion") : nullptr;
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!function || function(&version) != 0) return 0;
    return version.dwBuildNumber;
}

bool Win32ColourMode::FindDarkMenuEntryPoints() {
    // Loaded for good: the menus use the library for as long as the program runs.
    const HMODULE uxtheme = LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!uxtheme) return false;
    setPreferredAppMode_ = Ordinal<SetPreferredAppMode>(uxtheme, kSetPreferredAppMode);
    flushMenuThemes_ = Ordinal<NoArguments>(uxtheme, kFlushMenuThemes);
    refreshColourPolicy_ = Ordinal<NoArguments>(uxtheme, kRefreshImmersiveColorPolicyState);
    return setPreferredAppMode_ && flushMenuThemes_ && refreshColourPolicy_;
}

void Win32ColourMode::AllowDarkMenus() {
    if (!setPreferredAppMode_ || !flushMenuThemes_) return;
    setPreferredAppMode_(kAllowDark);
    flushMenuThemes_();
}

void Win32ColourMode::RefreshMenuThemes() {
    if (!refreshColourPolicy_ || !flushMenuThemes_) return;
    refreshColourPolicy_();
    flushMenuThemes_();
}

}  // namespace uptrail
