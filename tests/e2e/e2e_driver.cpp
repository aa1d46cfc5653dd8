// A small console program that end-to-end tests run under Wine beside Uptrail.exe: it
// finds and commands the running program's window, and reads and sets what a test needs
// to see from inside Windows (the system identity, file attributes, the tray icon).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "e2e_probe.h"
#include "sessionlog/system_identity.h"
#include "win32/platform/wide_text.h"
#include "win32/platform/win32_system_info.h"
#include "win32/shell/alarm_window_controls.h"
#include "win32/shell/main_window.h"

namespace {

using uptrail::AlarmPart;
using uptrail::AnsiFromWide;

HWND ProgramWindow() { return FindWindowW(nullptr, L"Uptrail Tamsk"); }

// Message boxes, the folder chooser and the update offer are all of the dialog class.
HWND Dialog(const wchar_t* caption = nullptr) { return FindWindowW(L"#32770", caption); }

// Sends and waits for the answer, but not for long: the tests poll, and a window that
// hangs fails the command instead of the driver. So does a missing (null) window.
bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT waitMs = 1000) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, waitMs, &ignored);
}

// A file of that name beside the driver.
std::filesystem::path BesideDriver(const wchar_t* name) {
    wchar_t driver[MAX_PATH]{};
    GetModuleFileNameW(nullptr, driver, MAX_PATH);
    return std::filesystem::path(driver).replace_filename(name);
}

// Handles the messages of the driver's own windows for `ms`, and calls `look` after each
// wait of up to `stepMs`.
template <typename Look>
void PumpMessages(ULONGLONG ms, DWORD stepMs, Look look) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (GetTickCount64() < end) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, stepMs, QS_ALLINPUT);
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        look();
    }
}

// A menu command, as the main window's menu gives it.
bool Command(UINT id) {
    HWND window = ProgramWindow();
    return window && PostMessageW(window, WM_COMMAND, id, 0);
}

// What a control tells its parent when the user clicks or chooses in it.
bool Notify(HWND parent, HWND control, WORD code) {
    const WPARAM command = MAKEWPARAM(GetDlgCtrlID(control), code);
    return parent && control &&
           PostMessageW(parent, WM_COMMAND, command, reinterpret_cast<LPARAM>(control));
}

// A child window's text as its window procedure gives it: rich text controls keep theirs
// outside the window caption, and WM_GETTEXT crosses the process boundary.
std::wstring ChildText(HWND child) {
    wchar_t text[1024] = {};
    Send(child, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
    return text;
}

// Every window inside `parent`, however deep.
std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> children;
    const auto add = [](HWND child, LPARAM list) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
    };
    if (parent) EnumChildWindows(parent, add, reinterpret_cast<LPARAM>(&children));
    return children;
}

// Types a folder into the folder chooser that is up and presses its OK button, as a user
// who types the path does. The name box is the chooser's first edit control.
bool ChooseFolder(const wchar_t* folder) {
    HWND dialog = Dialog();
    for (HWND child : Descendants(dialog)) {
        wchar_t className[16]{};
        GetClassNameW(child, className, 16);
        if (std::wstring(className) == L"Edit")
            return SetWindowTextW(child, folder) && PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
    return false;
}

// Prints the texts of the visible controls of the dialog of that caption (or of any), one
// a line, so a test can tell which page of a setup is up; a ticked check box ends its line with a
// tab and "[x]". Fails while no such dialog is open.
bool PrintDialogTexts(const wchar_t* caption) {
    HWND dialog = Dialog(caption);
    if (!dialog) return false;
    for (HWND child : Descendants(dialog)) {
        if (!IsWindowVisible(child)) continue;
        wchar_t className[16]{};
        GetClassNameW(child, className, 16);
        DWORD_PTR state = 0;
        const bool ticked =
            std::wstring(className) == L"Button" &&
            SendMessageTimeoutW(child, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 1000, &state) &&
            state == BST_CHECKED;
        std::printf("%s%s\n", AnsiFromWide(ChildText(child)).c_str(), ticked ? "\t[x]" : "");
    }
    return true;
}

// Prints the texts of the open message box or offer as above, and chooses its button of
// that caption.
bool AnswerDialog(const std::wstring& button) {
    HWND dialog = Dialog();
    HWND chosen = nullptr;
    for (HWND child : Descendants(dialog))
        if (ChildText(child) == button) chosen = child;
    return PrintDialogTexts(nullptr) && Notify(dialog, chosen, BN_CLICKED);
}

// Stands in for a copy of the program that will not close: a window of the main window's
// class and caption that ignores every command, for the given seconds.
bool HoldUnclosableWindow(DWORD seconds) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"UptrailMainWindow";
    if (!RegisterClassW(&windowClass)) return false;
    HWND window =
        CreateWindowExW(WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"Uptrail Tamsk", WS_POPUP, 0,
                        0, 0, 0, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window) return false;
    PumpMessages(seconds * 1000ull, 100, [] {});
    return DestroyWindow(window);
}

// The place of the tray icon as the screen shows it; nothing while no icon is shown.
// Without a tray manager Wine shows the notification area in a window of its own, whose
// first child is the icon. An icon handle means nothing in another process under Wine, so
// the screen is the one place where another process can see the picture.
std::optional<RECT> TrayIconRect() {
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    HWND icon = tray ? GetWindow(tray, GW_CHILD) : nullptr;
    RECT rect{};
    if (!icon || !GetWindowRect(icon, &rect)) return std::nullopt;
    return rect;
}

// The pixels of that place, row by row.
std::vector<COLORREF> TrayIconPixels(const RECT& rect) {
    std::vector<COLORREF> pixels;
    HDC screen = GetDC(nullptr);
    for (long y = rect.top; y < rect.bottom; ++y)
        for (long x = rect.left; x < rect.right; ++x) pixels.push_back(GetPixel(screen, x, y));
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The tray icon's place: its size, then one letter per pixel, "K" for the dial's black and
// "." for anything else.
bool PrintTrayIconPixels() {
    const std::optional<RECT> shown = TrayIconRect();
    if (!shown) return false;
    const long width = shown->right - shown->left;
    std::printf("%ld %ld\n", width, shown->bottom - shown->top);
    long column = 0;
    for (const COLORREF pixel : TrayIconPixels(*shown)) {
        std::putchar(pixel == RGB(0, 0, 0) ? 'K' : '.');
        if (++column % width == 0) std::putchar('\n');
    }
    return true;
}

// Waits, up to a deadline, for the tray icon's picture to change. Watching from inside one
// process sees a change within a tenth of a second, where starting a driver for each look
// would take a good part of a second each time.
bool TrayIconChanges() {
    constexpr ULONGLONG kDeadlineMs = 20000;
    constexpr DWORD kLookIntervalMs = 100;
    const std::optional<RECT> shown = TrayIconRect();
    const std::vector<COLORREF> first = shown ? TrayIconPixels(*shown) : std::vector<COLORREF>{};
    const ULONGLONG end = GetTickCount64() + kDeadlineMs;
    while (shown && GetTickCount64() < end) {
        Sleep(kLookIntervalMs);
        const std::optional<RECT> now = TrayIconRect();
        if (now && TrayIconPixels(*now) != first) return true;
    }
    return false;
}

// Announces a new taskbar to the program as Explorer does after a change of scale, while
// the icon is still there, with a window of the driver's own in the foreground; then
// watches for some clock ticks. Prints "kept" while the driver's window keeps the
// foreground throughout, "taken" otherwise, and succeeds when it was kept and the icon is
// still shown.
bool AnnounceTaskbar() {
    HWND own = CreateWindowExW(0, L"STATIC", L"e2e foreground", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               100, 100, 300, 200, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(own);
    if (!own || GetForegroundWindow() != own) return false;
    if (!Send(ProgramWindow(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, 5000)) return false;
    constexpr ULONGLONG kWatchMs = 4000;  // four ticks of the program's clock
    bool kept = true;
    PumpMessages(kWatchMs, 50, [&] { kept = kept && GetForegroundWindow() == own; });
    std::printf("%s\n", kept ? "kept" : "taken");
    DestroyWindow(own);
    return kept && TrayIconRect();
}

// --- Alarm windows: found by their class, their controls by their identifiers. ---

HWND AlarmControl(HWND window, AlarmPart part) {
    return window ? GetDlgItem(window, uptrail::AlarmControlId(part)) : nullptr;
}

// One line per alarm window: handle, on top, visible and elapsed time, separated by "|".
int PrintAlarmWindows() {
    for (HWND window = FindWindowExW(nullptr, nullptr, L"UptrailAlarmWindow", nullptr); window;
         window = FindWindowExW(nullptr, window, L"UptrailAlarmWindow", nullptr)) {
        const bool topmost = (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        std::printf("%lld|%d|%d|%s\n", static_cast<long long>(reinterpret_cast<INT_PTR>(window)),
                    topmost ? 1 : 0, IsWindowVisible(window) ? 1 : 0,
                    AnsiFromWide(ChildText(AlarmControl(window, AlarmPart::tlNow))).c_str());
    }
    return 0;
}

// Types into a box as the user does: the box's text changes and its window hears of it.
bool SetAlarmText(HWND window, const std::wstring& box, const wchar_t* text) {
    const AlarmPart part = box == L"shift" ? AlarmPart::tbShift : AlarmPart::tbTitle;
    return Send(AlarmControl(window, part), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), 5000);
}

// The client size, then one line per visible control: its identifier and its rectangle
// in client coordinates.
bool PrintAlarmLayout(HWND window) {
    RECT client{};
    if (!GetClientRect(window, &client)) return false;
    std::printf("client %ld %ld\n", client.right, client.bottom);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        std::printf("%d %ld %ld %ld %ld\n", GetDlgCtrlID(child), rect.left, rect.top, rect.right,
                    rect.bottom);
    }
    return true;
}

// What Windows tells the program when the PC goes to sleep or wakes, sent so that the
// driver returns only once the program has handled it.
bool PowerEvent(const std::wstring& name) {
    const WPARAM event = name == L"suspend"          ? PBT_APMSUSPEND
                         : name == L"resume"         ? PBT_APMRESUMEAUTOMATIC
                         : name == L"resume-by-user" ? PBT_APMRESUMESUSPEND
                                                     : 0;
    return event && Send(ProgramWindow(), WM_POWERBROADCAST, event, 0, 5000);
}

// Stands in for the user's browser: the test makes it the shell's program for .html files,
// and it notes the file it was asked to open in "opened.txt" beside itself.
bool RecordOpen(const wchar_t* file) {
    std::ofstream note(BesideDriver(L"opened.txt"));
    note << AnsiFromWide(file) << '\n';
    return static_cast<bool>(note);
}

// Hooks e2e_probe.dll, from the driver's own folder, into the thread of an alarm window
// while the window answers the probe's `message`, and prints the probe's report, if any:
// how the texts of the window's controls fit them, in the controls' own fonts. The hook
// runs before the window procedure, so once the message is answered, the report is written.
bool RunProbe(HWND window, const wchar_t* message, WPARAM wParam = 0) {
    HMODULE probe = LoadLibraryW(BesideDriver(L"e2e_probe.dll").c_str());
    if (!probe || !window) return false;
    const std::filesystem::path report = ProbeReport(probe);
    DeleteFileW(report.c_str());
    const auto hook =
        reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(probe, kProbeHookName)));
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    HHOOK hooked =
        hook && thread ? SetWindowsHookExW(WH_CALLWNDPROC, hook, probe, thread) : nullptr;
    const bool answered = hooked && Send(window, RegisterWindowMessageW(message), wParam, 0, 5000);
    if (hooked) UnhookWindowsHookEx(hooked);
    FreeLibrary(probe);
    std::ifstream lines(report);
    for (std::string line; std::getline(lines, line);) std::printf("%s\n", line.c_str());
    return answered;
}

}  // namespace

// Each command exits with 0 when it could do, or found, what it was asked.
int wmain(int argc, wchar_t** argv) {
    const auto arg = [&](int i) -> const wchar_t* { return i < argc ? argv[i] : L""; };
    const std::wstring command = arg(1);
    if (command == L"system-id")
        return std::printf("%s\n", uptrail::SystemIdentity(uptrail::Win32SystemInfo()).c_str()) < 0;
    // The window answers only once the program's start-up has run to the end.
    if (command == L"is-ready") return !Send(ProgramWindow(), WM_NULL, 0, 0);
    // Popup menus are windows of their own class.
    if (command == L"menu-open") return !FindWindowW(L"#32768", nullptr);
    if (command == L"record-open") return !RecordOpen(arg(2));
    if (command == L"power") return !PowerEvent(arg(2));
    if (command == L"dialog-open") return !Dialog(argc > 2 ? argv[2] : nullptr);
    const std::pair<const wchar_t*, UINT> menuCommands[] = {
        {L"exit", uptrail::kExitCommand},
        {L"log-folder", uptrail::kLogFolderCommand},
        {L"erase-oldest", uptrail::kEraseOldestCommand},
        {L"monitor-from-now", uptrail::kMonitorFromNowCommand},
        {L"check-for-update", uptrail::kCheckForUpdateCommand},
        {L"new-alarm", uptrail::kNewAlarmCommand}};
    for (const auto& [name, id] : menuCommands)
        if (command == name) return !Command(id);
    if (command == L"get-attributes") {
        const DWORD attributes = GetFileAttributesW(arg(2));
        std::printf("%lu\n", attributes);
        return attributes == INVALID_FILE_ATTRIBUTES;
    }
    if (command == L"set-attributes")
        return !SetFileAttributesW(arg(2), std::wcstoul(arg(3), nullptr, 10));
    if (command == L"choose-folder") return !ChooseFolder(arg(2));
    if (command == L"answer-dialog") return !AnswerDialog(arg(2));
    if (command == L"hold-window") return !HoldUnclosableWindow(std::wcstoul(arg(2), nullptr, 10));
    if (command == L"dialog-texts") return !PrintDialogTexts(argc > 2 ? argv[2] : nullptr);
    if (command == L"tray-icon-changes") return !TrayIconChanges();
    if (command == L"tray-icon-pixels") return !PrintTrayIconPixels();
    if (command == L"taskbar-created") return !AnnounceTaskbar();
    if (command == L"alarm-windows") return PrintAlarmWindows();
    HWND alarm = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::wcstoll(arg(2), nullptr, 10)));
    if (!IsWindow(alarm)) alarm = nullptr;
    if (command == L"alarm-set") return !SetAlarmText(alarm, arg(3), arg(4));
    if (command == L"alarm-click")
        return !Notify(alarm, AlarmControl(alarm, AlarmPart::bbAlarm), BN_CLICKED);
    if (command == L"alarm-period") {  // the choice at that index of the period box
        HWND combo = AlarmControl(alarm, AlarmPart::cbRepeat);
        SendMessageW(combo, CB_SETCURSEL, std::wcstoul(arg(3), nullptr, 10), 0);
        return !Notify(alarm, combo, CBN_SELCHANGE);
    }
    if (command == L"alarm-close") return !PostMessageW(alarm, WM_CLOSE, 0, 0);
    if (command == L"alarm-layout") return !PrintAlarmLayout(alarm);
    if (command == L"alarm-text-fit") return !RunProbe(alarm, kTextFitMessage);
    if (command == L"alarm-dpi-change")
        return !RunProbe(alarm, kDpiChangeMessage, std::wcstoul(arg(3), nullptr, 10));
    std::fprintf(stderr, "no such command; the commands are in e2e_driver.cpp\n");
    return 2;
}
