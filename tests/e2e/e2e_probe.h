#pragma once
#include <windows.h>

#include <filesystem>

// e2e_probe.dll, hooked by e2e_driver into the program's user-interface thread, answers
// these messages sent to an alarm window: the first with a report of how the texts fit the
// window's controls; the second, with a resolution in wParam, by handing the window the
// WM_DPICHANGED that Windows sends when it moves to a monitor of that resolution.
inline constexpr wchar_t kTextFitMessage[] = L"UptrailE2EProbeTextFit";
inline constexpr wchar_t kDpiChangeMessage[] = L"UptrailE2EProbeDpiChange";
inline constexpr char kProbeHookName[] = "ProbeHook";

// The probe writes beside itself, under its own name, where the driver reads it.
inline std::filesystem::path ProbeReport(HMODULE probe) {
    wchar_t path[MAX_PATH]{};
    GetModuleFileNameW(probe, path, MAX_PATH);
    return std::filesystem::path(path).replace_extension(L".txt");
}
