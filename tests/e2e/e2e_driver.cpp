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
#include "win32/alarm_window_controls.h"
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

// --- Alarm windows: found by their class, their controls by their identifiers. ---

std::vector<HWND> AlarmWindows() {
    std::vector<HWND> windows;
    for (HWND window = FindWindowExW(nullptr, nullptr, L"UptrailAlarmWindow", nullptr); window;
         window = FindWindowExW(nullptr, window, L"UptrailAlarmWindow", nullptr))
        windows.push_back(window);
    return windows;
}

HWND AlarmWindowOf(const wchar_t* handle) {
    HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::wcstoll(handle, nullptr, 10)));
    return IsWindow(window) ? window : nullptr;
}

HWND AlarmControl(HWND window, uptrail::AlarmPart part) {
    return GetDlgItem(window, uptrail::AlarmControlId(part));
}

std::string AlarmText(HWND window, uptrail::AlarmPart part) {
    return uptrail::AnsiFromWide(ChildText(AlarmControl(window, part)));
}

// One line per alarm window: handle, on top, visible, then caption, shift box, time box,
// repeat box, combo choice, button (with "+" when enabled), elapsed time and title,
// separated by "|".
int PrintAlarmWindows() {
    using uptrail::AlarmPart;
    for (HWND window : AlarmWindows()) {
        const bool topmost = (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        HWND button = AlarmControl(window, AlarmPart::bbAlarm);
        const LRESULT period = SendMessageW(AlarmControl(window, AlarmPart::cbRepeat), CB_GETCURSEL, 0, 0);
        std::printf("%lld %d %d|%s|%s|%s|%s|%lld|%s%s|%s|%s\n",
                    static_cast<long long>(reinterpret_cast<INT_PTR>(window)), topmost ? 1 : 0,
                    IsWindowVisible(window) ? 1 : 0, uptrail::AnsiFromWide(ChildText(window)).c_str(),
                    AlarmText(window, AlarmPart::tbShift).c_str(), AlarmText(window, AlarmPart::tbTime).c_str(),
                    AlarmText(window, AlarmPart::tbRepeat).c_str(), static_cast<long long>(period),
                    AlarmText(window, AlarmPart::bbAlarm).c_str(), IsWindowEnabled(button) ? "+" : "",
                    AlarmText(window, AlarmPart::tlNow).c_str(), AlarmText(window, AlarmPart::tbTitle).c_str());
    }
    return 0;
}

// Types into a box as the user does: the box's text changes and its window hears of it.
int SetAlarmText(HWND window, const std::wstring& box, const wchar_t* text) {
    using uptrail::AlarmPart;
    const AlarmPart part = box == L"shift" ? AlarmPart::tbShift
                           : box == L"time" ? AlarmPart::tbTime
                           : box == L"repeat" ? AlarmPart::tbRepeat
                                              : AlarmPart::tbTitle;
    DWORD_PTR ignored = 0;
    return window && SendMessageTimeoutW(AlarmControl(window, part), WM_SETTEXT, 0,
                                         reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &ignored)
               ? 0
               : 1;
}

int ClickAlarmButton(HWND window) {
    HWND button = window ? AlarmControl(window, uptrail::AlarmPart::bbAlarm) : nullptr;
    if (!button) return 1;
    const WPARAM command = MAKEWPARAM(uptrail::AlarmControlId(uptrail::AlarmPart::bbAlarm), BN_CLICKED);
    return PostMessageW(window, WM_COMMAND, command, reinterpret_cast<LPARAM>(button)) ? 0 : 1;
}

int ChooseAlarmPeriod(HWND window, int index) {
    HWND combo = window ? AlarmControl(window, uptrail::AlarmPart::cbRepeat) : nullptr;
    if (!combo) return 1;
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    const WPARAM command = MAKEWPARAM(uptrail::AlarmControlId(uptrail::AlarmPart::cbRepeat), CBN_SELCHANGE);
    return PostMessageW(window, WM_COMMAND, command, reinterpret_cast<LPARAM>(combo)) ? 0 : 1;
}

// The client size, then one line per visible control: its identifier and its rectangle
// in client coordinates.
int PrintAlarmLayout(HWND window) {
    if (!window) return 1;
    RECT client{};
    GetClientRect(window, &client);
    std::printf("client %ld %ld\n", client.right, client.bottom);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        std::printf("%d %ld %ld %ld %ld\n", GetDlgCtrlID(child), rect.left, rect.top, rect.right, rect.bottom);
    }
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: e2e_driver system-id | is-ready | menu-open | dialog-open | confirm-dialog |\n"
                 "                  wait-gone MS | exit | close |\n"
                 "                  hand-over-key | get-attributes PATH | set-attributes PATH N |\n"
                 "                  log-command log-folder|erase-oldest|monitor-from-now | choose-folder PATH |\n"
                 "                  dialog-titled CAPTION |\n"
                 "                  check-for-update | dialog-texts | click-dialog-button CAPTION |\n"
                 "                  new-alarm | alarm-windows | alarm-set HWND shift|time|repeat|title TEXT |\n"
                 "                  alarm-click HWND | alarm-period HWND INDEX | alarm-close HWND | alarm-layout HWND\n");
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
    if (command == L"new-alarm") return Post(WM_COMMAND, uptrail::kNewAlarmCommand);
    if (command == L"alarm-windows") return PrintAlarmWindows();
    if (command == L"alarm-set" && argc == 5) return SetAlarmText(AlarmWindowOf(argv[2]), argv[3], argv[4]);
    if (command == L"alarm-click" && argc == 3) return ClickAlarmButton(AlarmWindowOf(argv[2]));
    if (command == L"alarm-period" && argc == 4)
        return ChooseAlarmPeriod(AlarmWindowOf(argv[2]), std::wcstol(argv[3], nullptr, 10));
    if (command == L"alarm-close" && argc == 3)
        return PostMessageW(AlarmWindowOf(argv[2]), WM_CLOSE, 0, 0) ? 0 : 1;
    if (command == L"alarm-layout" && argc == 3) return PrintAlarmLayout(AlarmWindowOf(argv[2]));
    return Usage();
}
