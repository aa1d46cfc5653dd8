#include "win32/win32_desktop.h"

#include <shellapi.h>

#include "win32/wide_text.h"

namespace uptrail {
namespace {

UINT IconStyle(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::kStop: return MB_ICONHAND;
    case MessageIcon::kExclamation: return MB_ICONEXCLAMATION;
    case MessageIcon::kQuestion: return MB_ICONQUESTION;
    case MessageIcon::kInformation: return MB_ICONASTERISK;
    case MessageIcon::kNone: break;
    }
    return 0;
}

// A message box of a tray program has no owner window to come up in front of.
constexpr UINT kForeground = MB_SETFOREGROUND | MB_TOPMOST;

}  // namespace

void Win32Desktop::ShowMessage(std::string_view text, std::string_view title, MessageIcon icon) {
    MessageBoxW(nullptr, WideFromAnsi(text).c_str(), WideFromAnsi(title).c_str(),
                MB_OK | IconStyle(icon) | kForeground);
}

void Win32Desktop::ShowAbout(std::string_view text, std::string_view caption) {
    const std::wstring wideText = WideFromAnsi(text);
    const std::wstring wideCaption = WideFromAnsi(caption);
    MSGBOXPARAMSW params{};
    params.cbSize = sizeof params;
    params.hInstance = instance_;
    params.lpszText = wideText.c_str();
    params.lpszCaption = wideCaption.c_str();
    params.dwStyle = MB_OK | MB_USERICON | kForeground;
    params.lpszIcon = MAKEINTRESOURCEW(1);
    MessageBoxIndirectW(&params);
}

bool Win32Desktop::OpenFile(const std::filesystem::path& file) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;  // smaller values are error codes
}

int Win32Desktop::ScreenHeight() const { return GetSystemMetrics(SM_CYSCREEN); }

int Win32Desktop::MenuHeight() const { return GetSystemMetrics(SM_CYMENU); }

}  // namespace uptrail
