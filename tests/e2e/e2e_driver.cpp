// A small console program that end-to-end tests run under Wine beside Uptrail.exe: it
// finds and commands the running program's window, and reads and sets what a test needs
// to see from inside Windows (the system identity, file attributes).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "app/system_identity.h"
#include "win32/fw_main.h"
#include "win32/wide_text.h"
#include "win32/win32_system_info.h"

namespace {

constexpr wchar_t kMainCaption[] = L"Uptrail Tamsk";
constexpr DWORD kPollMs = 100;

HWND FindMainWindow() { return FindWindowW(nullptr, kMainCaption); }

// Whether the program's window exists and its message loop answers, which happens only
// once its start-up has run to the end. Asks once, briefly: the test polls.
int IsReady() {
    constexpr UINT kAnswerMs = 1000;
    HWND window = FindMainWindow();
    DWORD_PTR ignored = 0;
    if (window && SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &ignored))
        return 0;
    std::fprintf(stderr, "Uptrail is not ready\n");
    return 1;
}

int WaitGone(DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += kPollMs) {
        if (!FindMainWindow()) return 0;
        Sleep(kPollMs);
    }
    std::fprintf(stderr, "Uptrail's window is still there\n");
    return 1;
}

int Post(UINT message, WPARAM wParam) {
    HWND window = FindMainWindow();
    if (!window) {
        std::fprintf(stderr, "no Uptrail window\n");
        return 1;
    }
    return PostMessageW(window, message, wParam, 0) ? 0 : 1;
}

// Whether a popup menu is open on the desktop: menus are windows of the class "#32768".
int MenuIsOpen() { return FindWindowW(L"#32768", nullptr) ? 0 : 1; }

// Whether a message box is up: dialog boxes are windows of the class "#32770".
int DialogIsOpen() { return FindWindowW(L"#32770", nullptr) ? 0 : 1; }

// Presses the OK button of the message box that is up.
int ConfirmDialog() {
    HWND dialog = FindWindowW(L"#32770", nullptr);
    return dialog && PostMessageW(dialog, WM_COMMAND, IDOK, 0) ? 0 : 1;
}

int PrintSystemId() {
    uptrail::Win32SystemInfo system;
    std::printf("%s\n", uptrail::SystemIdentity(system).c_str());
    return 0;
}

int GetAttributes(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return 1;
    std::printf("%lu\n", attributes);
    return 0;
}

int SetAttributes(const wchar_t* path, const wchar_t* value) {
    return SetFileAttributesW(path, std::wcstoul(value, nullptr, 10)) ? 0 : 1;
}

// The log commands of the right-hand menu, chosen by name as a user chooses them.
int PostLogCommand(const std::wstring& name) {
    if (name == L"log-folder") return Post(WM_COMMAND, uptrail::kLogFolderCommand);
    if (name == L"erase-oldest") return Post(WM_COMMAND, uptrail::kEraseOldestCommand);
    if (name == L"monitor-from-now") return Post(WM_COMMAND, uptrail::kMonitorFromNowCommand);
    std::fprintf(stderr, "no such log command\n");
    return 2;
}

// Types a folder into the folder chooser that is up and presses its OK button, as a user
// who types the path does. The name box is the chooser's first edit control.
int ChooseFolder(const wchar_t* folder) {
    HWND dialog = FindWindowW(L"#32770", nullptr);
    if (!dialog) return 1;
    HWND nameBox = nullptr;
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM found) -> BOOL {
            wchar_t className[16]{};
            GetClassNameW(child, className, 16);
            if (std::wstring(className) != L"Edit") return TRUE;
            *reinterpret_cast<HWND*>(found) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&nameBox));
    if (!nameBox || !SetWindowTextW(nameBox, folder)) return 1;
    return PostMessageW(dialog, WM_COMMAND, IDOK, 0) ? 0 : 1;
}

// Whether a dialog box with this caption is up: the program's messages carry its title,
// which tells them apart from the folder chooser.
int DialogTitledIsOpen(const wchar_t* caption) { return FindWindowW(L"#32770", caption) ? 0 : 1; }

// --- The update check: its command, and what the box it opens says and offers. ---

// A child window's text as its window procedure gives it: rich text controls keep theirs
// outside the window caption, and WM_GETTEXT crosses the process boundary.
std::wstring ChildText(HWND child) {
    constexpr UINT kAnswerMs = 1000;
    wchar_t text[1024] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(child, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, kAnswerMs, &ignored);
    return text;
}

std::vector<HWND> DialogChildren() {
    std::vector<HWND> children;
    HWND dialog = FindWindowW(L"#32770", nullptr);
    if (!dialog) return children;
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

// Prints the texts of the open message box or offer, one control a line.
int PrintDialogTexts() {
    if (!FindWindowW(L"#32770", nullptr)) return 1;
    for (HWND child : DialogChildren())
        std::printf("%s\n", uptrail::AnsiFromWide(ChildText(child)).c_str());
    return 0;
}

// Chooses a button of the open message box or offer by its caption.
int ClickDialogButton(const std::wstring& caption) {
    HWND dialog = FindWindowW(L"#32770", nullptr);
    for (HWND child : DialogChildren()) {
        if (ChildText(child) != caption) continue;
        const WPARAM command = MAKEWPARAM(GetDlgCtrlID(child), BN_CLICKED);
        return PostMessageW(dialog, WM_COMMAND, command, reinterpret_cast<LPARAM>(child)) ? 0 : 1;
    }
    std::fprintf(stderr, "no such button\n");
    return 1;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: e2e_driver system-id | is-ready | menu-open | dialog-open | confirm-dialog |\n"
                 "                  wait-gone MS | exit | close |\n"
                 "                  hand-over-key | get-attributes PATH | set-attributes PATH N |\n"
                 "                  log-command log-folder|erase-oldest|monitor-from-now | choose-folder PATH |\n"
                 "                  dialog-titled CAPTION |\n"
                 "                  check-for-update | dialog-texts | click-dialog-button CAPTION\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    const std::wstring command = argv[1];
    if (command == L"system-id") return PrintSystemId();
    if (command == L"is-ready") return IsReady();
    if (command == L"menu-open") return MenuIsOpen();
    if (command == L"dialog-open") return DialogIsOpen();
    if (command == L"confirm-dialog") return ConfirmDialog();
    if (command == L"wait-gone" && argc == 3) return WaitGone(std::wcstoul(argv[2], nullptr, 10));
    if (command == L"exit") return Post(WM_COMMAND, uptrail::kExitCommand);
    if (command == L"close") return Post(WM_CLOSE, 0);
    if (command == L"hand-over-key") return Post(WM_KEYDOWN, VK_F5);
    if (command == L"get-attributes" && argc == 3) return GetAttributes(argv[2]);
    if (command == L"set-attributes" && argc == 4) return SetAttributes(argv[2], argv[3]);
    if (command == L"log-command" && argc == 3) return PostLogCommand(argv[2]);
    if (command == L"choose-folder" && argc == 3) return ChooseFolder(argv[2]);
    if (command == L"dialog-titled" && argc == 3) return DialogTitledIsOpen(argv[2]);
    if (command == L"check-for-update") return Post(WM_COMMAND, uptrail::kCheckForUpdateCommand);
    if (command == L"dialog-texts") return PrintDialogTexts();
    if (command == L"click-dialog-button" && argc == 3) return ClickDialogButton(argv[2]);
    return Usage();
}
