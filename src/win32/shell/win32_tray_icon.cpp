#include "win32/shell/win32_tray_icon.h"

#include <algorithm>
#include <utility>

#include "win32/platform/dpi.h"
#include "win32/platform/wide_text.h"

namespace uptrail {

Win32TrayIcon::Win32TrayIcon(HWND window, UniqueIcon programIcon)
    : programIcon_(std::move(programIcon)) {
    data_.cbSize = sizeof data_;
    data_.hWnd = window;
    data_.uID = 1;
    // Version 4 brings the keyboard events; with it the shell shows the tooltip only when
    // asked to.
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    data_.uVersion = NOTIFYICON_VERSION_4;
    data_.uCallbackMessage = kTrayCallbackMessage;
    data_.hIcon = programIcon_.get();
}

// The foreground is taken only right before a menu opens: taken here, at start-up or when
// the taskbar comes back, it would swallow what the user is typing in another window.
bool Win32TrayIcon::Add() {
    if (!Shell_NotifyIconW(NIM_ADD, &data_)) return false;
    // A shell that refuses version 4 keeps sending the button events alone, which the
    // main window tells apart by their form; nothing else depends on the answer.
    static_cast<void>(Shell_NotifyIconW(NIM_SETVERSION, &data_));
    return true;
}

bool Win32TrayIcon::Delete() { return Shell_NotifyIconW(NIM_DELETE, &data_) != FALSE; }

bool Win32TrayIcon::Modify() { return Shell_NotifyIconW(NIM_MODIFY, &data_) != FALSE; }

void Win32TrayIcon::SetTip(std::string_view tip) {
    const std::wstring wide = WideFromAnsi(tip);
    const std::size_t length = std::min(wide.size(), std::size(data_.szTip) - 1);
    std::copy_n(wide.begin(), length, data_.szTip);
    data_.szTip[length] = L'\0';
}

void Win32TrayIcon::ShowClock(const Image& picture) {
    // The shell keeps its own copy of the icon, so the one of the previous tick may go as
    // soon as the new one exists; when no new one can be made the old picture stays.
    HICON icon = clockIcon_.Update(picture, picture.Width());
    if (!icon) return;
    data_.hIcon = icon;
    Shell_NotifyIconW(NIM_MODIFY, &data_);
}

int Win32TrayIcon::IconSize() const { return SystemMetricForDpi(SM_CXSMICON, TaskbarDpi()); }

}  // namespace uptrail
