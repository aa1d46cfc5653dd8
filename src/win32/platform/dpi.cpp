#include "win32/platform/dpi.h"

#include "win32/platform/user32_function.h"

namespace uptrail {
namespace {

// Something for nothing: a value of the system's resolution carried over to another one.
int Scaled(int value, int dpi) { return MulDiv(value, dpi, SystemDpi()); }

int MonitorDpi(HMONITOR monitor) {
    // shcore.dll, Windows 8.1 and later; kept loaded, as the shell keeps it anyway.
    using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto getDpiForMonitor = [] {
        const HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        return shcore ? reinterpret_cast<GetDpiForMonitorFunction>(reinterpret_cast<void (*)()>(
                            GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    constexpr int kEffectiveDpi = 0;
    UINT x = 0;
    UINT y = 0;
    if (monitor && getDpiForMonitor &&
        SUCCEEDED(getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && y > 0)
        return static_cast<int>(y);
    return SystemDpi();
}

}  // namespace

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kDefaultDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDefaultDpi;
}

int WindowDpi(HWND window) {
    static const auto getDpiForWindow = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow && window ? getDpiForWindow(window) : 0;
    return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

int TaskbarDpi() {
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    return MonitorDpi(taskbar ? MonitorFromWindow(taskbar, MONITOR_DEFAULTTOPRIMARY)
                              : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
}

int SystemMetricForDpi(int index, int dpi) {
    static const auto getMetric = User32Function<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
    if (getMetric) return getMetric(index, static_cast<UINT>(dpi));
    return Scaled(GetSystemMetrics(index), dpi);
}

bool AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) {
    static const auto adjustForDpi =
        User32Function<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    if (adjustForDpi) return adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi));
    return AdjustWindowRectEx(&rect, style, FALSE, exStyle) != FALSE;
}

LOGFONTW MessageFontForDpi(int dpi) {
    static const auto parametersForDpi =
        User32Function<BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT)>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (parametersForDpi && parametersForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                                             static_cast<UINT>(dpi)))
        return metrics.lfMessageFont;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        metrics.lfMessageFont.lfHeight = Scaled(metrics.lfMessageFont.lfHeight, dpi);
        return metrics.lfMessageFont;
    }
    // No metrics at all: the dialog font of every Windows since Vista, 9 points.
    LOGFONTW font{};
    font.lfHeight = -MulDiv(9, dpi, 72);
    font.lfWeight = FW_NORMAL;
    lstrcpynW(font.lfFaceName, L"Segoe UI", LF_FACESIZE);
    return font;
}

}  // namespace uptrail
