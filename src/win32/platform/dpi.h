#pragma once
#include <windows.h>

namespace uptrail {

// Per-monitor DPI, asked of the functions Windows 10 added where they exist (looked up at
// run time, so the program still starts on older Windows) and of the screen otherwise.

inline constexpr int kDefaultDpi = 96;

// The system's resolution: that of the primary monitor at log-on.
int SystemDpi();

// The resolution a window is shown at, that of its monitor.
int WindowDpi(HWND window);

// The resolution of the taskbar's monitor, where the notification area is.
int TaskbarDpi();

// A system metric (SM_CXVSCROLL, SM_CXSMICON) as it is at `dpi`.
int SystemMetricForDpi(int index, int dpi);

// The window rectangle around the client rectangle `rect` of a window of these styles at
// `dpi`: its frame and caption as Windows draws them at that resolution where it can say,
// as they are at the system's resolution otherwise.
bool AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);

// The font of message boxes and dialogs at `dpi`, from the non-client metrics.
LOGFONTW MessageFontForDpi(int dpi);

}  // namespace uptrail
