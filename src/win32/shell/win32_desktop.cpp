#include "win32/shell/win32_desktop.h"

#include <shellapi.h>
#include <shobjidl.h>

#include "win32/platform/wide_text.h"
#include "win32/shell/update_offer_window.h"

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

bool Win32Desktop::AskOkCancel(std::string_view text, std::string_view title) {
    const int answer = MessageBoxW(nullptr, WideFromAnsi(text).c_str(), WideFromAnsi(title).c_str(),
                                   MB_OKCANCEL | MB_DEFBUTTON2 | MB_ICONQUESTION | kForeground);
    return answer == IDOK;
}

std::optional<std::filesystem::path> Win32Desktop::ChooseFolder(
    const std::filesystem::path& start) {
    // The shell's own folder dialog handles long and non-ASCII paths; it needs COM on
    // this thread for as long as it is open.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    std::optional<std::filesystem::path> chosen;
    IFileOpenDialog* dialog = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_PPV_ARGS(&dialog)))) {
        DWORD options = 0;
        dialog->GetOptions(&options);
        dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
        IShellItem* folder = nullptr;
        if (SUCCEEDED(SHCreateItemFromParsingName(start.c_str(), nullptr, IID_PPV_ARGS(&folder)))) {
            dialog->SetFolder(folder);
            folder->Release();
        }
        IShellItem* result = nullptr;
        if (SUCCEEDED(dialog->Show(nullptr)) && SUCCEEDED(dialog->GetResult(&result))) {
            PWSTR path = nullptr;
            if (SUCCEEDED(result->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
                chosen = std::filesystem::path(path);
                CoTaskMemFree(path);
            }
            result->Release();
        }
        dialog->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return chosen;
}

bool Win32Desktop::OpenAddress(std::string_view address) {
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(
        nullptr, L"open", WideFromAnsi(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

bool Win32Desktop::ShowUpdateOffer(std::string_view richText) {
    return ShowUpdateOfferWindow(instance_, richText);
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
