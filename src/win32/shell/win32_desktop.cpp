#include "win32/shell/win32_desktop.h"

#include <shellapi.h>
#include <shobjidl.h>

#include "win32/platform/unique_handle.h"
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

// How long the copy with administrator rights may take once the user agreed; it changes
// one registry value.
constexpr DWORD kElevatedRunMs = 30000;

std::wstring OwnProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

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

bool Win32Desktop::RunElevated(std::string_view programSwitch) {
    const std::wstring program = OwnProgramPath();
    const std::wstring parameters = WideFromAnsi(programSwitch);
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof execute;
    // The call returns once the user has answered the prompt (ERROR_CANCELLED on "No").
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    execute.lpVerb = L"runas";
    execute.lpFile = program.c_str();
    execute.lpParameters = parameters.c_str();
    execute.nShow = SW_HIDE;
    if (program.empty() || !ShellExecuteExW(&execute) || !execute.hProcess) return false;
    const UniqueKernelHandle process(execute.hProcess);
    DWORD exitCode = 1;
    return WaitForSingleObject(process.get(), kElevatedRunMs) == WAIT_OBJECT_0 &&
           GetExitCodeProcess(process.get(), &exitCode) && exitCode == 0;
}

int Win32Desktop::ScreenHeight() const { return GetSystemMetrics(SM_CYSCREEN); }

int Win32Desktop::MenuHeight() const { return GetSystemMetrics(SM_CYMENU); }

}  // namespace uptrail
