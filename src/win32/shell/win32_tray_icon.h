#pragma once
#include <windows.h>
#include <shellapi.h>

#include "platform/tray_icon.h"
#include "win32/platform/unique_handle.h"
#include "win32/shell/clock_icon.h"

namespace uptrail {

// Private message through which the shell reports mouse events on the icon.
inline constexpr UINT kTrayCallbackMessage = WM_APP + 1;

// The program's notification-area icon, owned by the main window.
class Win32TrayIcon final : public TrayIcon {
public:
    // `programIcon` is the picture shown until the clock draws one.
    Win32TrayIcon(HWND window, UniqueIcon programIcon);
    Win32TrayIcon(const Win32TrayIcon&) = delete;
    Win32TrayIcon& operator=(const Win32TrayIcon&) = delete;

    bool Add() override;
    bool Delete() override;
    bool Modify() override;
    void SetTip(std::string_view tip) override;
    void ShowClock(const Image& picture) override;
    int IconSize() const override;

    // The picture the shell was last handed.
    HICON Icon() const { return data_.hIcon; }

private:
    NOTIFYICONDATAW data_{};
    UniqueIcon programIcon_;
    ClockIcon clockIcon_;  // owns the icon of the latest tick
};

}  // namespace uptrail
