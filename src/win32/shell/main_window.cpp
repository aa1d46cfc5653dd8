#include "win32/shell/main_window.h"

#include <windowsx.h>
#include <wtsapi32.h>

#include <cwchar>
#include <optional>
#include <string>
#include <utility>

#include "alarm/alarm_commands.h"
#include "app/colour_mode.h"
#include "app/commands/about_box.h"
#include "app/commands/preference_toggles.h"
#include "app/commands/update_check.h"
#include "app/main_events.h"
#include "app/menu_commands.h"
#include "app/session_menus.h"
#include "app/windows_history.h"
#include "base/version_info.h"
#include "win32/platform/wide_text.h"
#include "win32/platform/win32_http_client.h"
#include "win32/platform/win32_system_log.h"
#include "win32/shell/alarm_window.h"
#include "win32/shell/popup_menu.h"
#include "win32/shell/title_bar_mode.h"
#include "win32/shell/win32_tray_icon.h"

namespace uptrail {
namespace {

constexpr wchar_t kWindowClass[] = L"UptrailMainWindow";
constexpr UINT_PTR kHeartbeatTimer = 1;
constexpr UINT_PTR kClockTimer = 2;
constexpr UINT kHeartbeatIntervalMs = 30000;
constexpr UINT kClockIntervalMs = 1000;
// A left click opens its menu only once a double click can no longer follow, so that the
// double click reaches the About box instead of a menu already open.
constexpr UINT_PTR kLeftClickTimer = 3;
constexpr UINT_PTR kAlertTimer = 4;  // looks for alarms that have fallen due
constexpr UINT kAlertIntervalMs = 1000;

// The menu commands that arrive by number as well.
constexpr std::pair<UINT, MenuCommandKind> kNumberedCommands[] = {
    {kLogFolderCommand, MenuCommandKind::kLogFolder},
    {kEraseOldestCommand, MenuCommandKind::kEraseOldest},
    {kMonitorFromNowCommand, MenuCommandKind::kMonitorFromNow},
    {kCheckForUpdateCommand, MenuCommandKind::kCheckForUpdate},
    {kNewAlarmCommand, MenuCommandKind::kAlarmNew},
};

// Only the kill tests set this variable: with a heartbeat every few milliseconds the
// program rewrites its log almost all the time, and a kill lands inside a write.
UINT HeartbeatIntervalMs() {
    wchar_t text[16]{};
    const DWORD length = GetEnvironmentVariableW(L"UPTRAIL_TEST_HEARTBEAT_MS", text, 16);
    if (length == 0 || length >= 16) return kHeartbeatIntervalMs;
    const unsigned long requested = std::wcstoul(text, nullptr, 10);
    return requested >= USER_TIMER_MINIMUM && requested < kHeartbeatIntervalMs
               ? static_cast<UINT>(requested)
               : kHeartbeatIntervalMs;
}

TrayEvent TrayEventOf(UINT code) {
    switch (code) {
    case WM_MOUSEMOVE: return TrayEvent::kPointerMove;
    case WM_LBUTTONUP: return TrayEvent::kLeftButtonUp;
    case WM_LBUTTONDBLCLK: return TrayEvent::kLeftDoubleClick;
    case WM_RBUTTONUP: return TrayEvent::kRightButtonUp;
    case NIN_SELECT: return TrayEvent::kMouseSelect;
    case NIN_KEYSELECT: return TrayEvent::kKeySelect;
    case WM_CONTEXTMENU: return TrayEvent::kContextMenu;
    default: return TrayEvent::kOther;
    }
}

// The caption by which a second copy finds the running one: title, a blank, company.
std::wstring RunningCopyCaption() {
    return WideFromAnsi(std::string(kVersion.title) + " " + std::string(kVersion.company));
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance) : instance_(instance) {}

MainWindow::~MainWindow() {
    if (window_) DestroyWindow(window_);
}

bool MainWindow::Create() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance_;
    windowClass.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(1));
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&windowClass)) return false;

    // A real top-level window, never shown: only those receive the end-of-session
    // messages and the taskbar's broadcast. The tool-window style keeps it off the
    // task list and out of Alt+Tab.
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, instance_, this);
    taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");
    return window_ != nullptr;
}

void MainWindow::Start(MainContext& context) {
    context_ = &context;
    followsColourMode_ = FollowAppColourMode(colourMode_);
    SetTimer(window_, kHeartbeatTimer, HeartbeatIntervalMs(), nullptr);
    SetTimer(window_, kClockTimer, kClockIntervalMs, nullptr);
    suspendResume_.Register(window_);
    sessionNotifications_ = WTSRegisterSessionNotification(window_, NOTIFY_FOR_THIS_SESSION);
    // No command line: the copy Windows starts again is started as at sign-in.
    RegisterApplicationRestart(nullptr, 0);
}

int MainWindow::RunMessageLoop() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (AlarmWindow::TranslateDialogMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

bool MainWindow::HandOverToRunningCopy() {
    HWND running = FindWindowW(nullptr, RunningCopyCaption().c_str());
    if (!running || running == window_) return false;
    PostMessageW(running, WM_KEYDOWN, VK_F5, 0);
    return true;
}

void MainWindow::MarkAsRunningCopy() { SetWindowTextW(window_, RunningCopyCaption().c_str()); }

void MainWindow::Close() { PostMessageW(window_, WM_CLOSE, 0, 0); }

void MainWindow::SetAlarmCheck(bool on) {
    if (!window_) return;
    if (on)
        SetTimer(window_, kAlertTimer, kAlertIntervalMs, nullptr);
    else
        KillTimer(window_, kAlertTimer);
}

void MainWindow::OpenAlarmWindow(std::string_view key) {
    if (window_ && context_) AlarmWindow::Open(instance_, window_, *context_, std::string(key));
}

void MainWindow::ActivateAlarmWindow(std::uintptr_t alarmWindow) {
    HWND window = reinterpret_cast<HWND>(alarmWindow);
    if (!IsWindow(window)) return;
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
}

void MainWindow::RecordCloseOnce(ProgramEnd end) {
    if (closeRecorded_ || !context_) return;
    closeRecorded_ = true;
    OnMainWindowClose(*context_, end);
}

LRESULT MainWindow::HandleEndSession(HWND window, WPARAM ending, LPARAM flags) {
    if (!ending) return 0;
    // An installer asks through the Restart Manager that the program close: it closes
    // as at Exit, and Windows starts it again once the installer is done.
    if (flags & ENDSESSION_CLOSEAPP) {
        RecordCloseOnce(ProgramEnd::kClosed);
        DestroyWindow(window);
        return 0;
    }
    // Windows may end the process as soon as this returns: the close must be on disk.
    RecordCloseOnce((flags & ENDSESSION_LOGOFF) ? ProgramEnd::kSignOut : ProgramEnd::kSessionEnds);
    return 0;
}

LRESULT MainWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCDESTROY) window_ = nullptr;
    // Until Start the window only exists: the program behind it is not set up yet.
    if (!context_) return DefWindowProcW(window, message, wParam, lParam);
    return HandleStartedMessage(window, message, wParam, lParam);
}

LRESULT MainWindow::HandleTimer(HWND window, WPARAM timerId) {
    if (timerId == kHeartbeatTimer) OnHeartbeatTimer(*context_);
    if (timerId == kClockTimer) OnClockTimer(*context_);
    if (timerId == kLeftClickTimer) OpenLeftMenu(window);
    if (timerId == kAlertTimer) OnMainAlertTick(context_->Alarms());
    return 0;
}

void MainWindow::ShowMenu(HWND window, const std::vector<MenuNode>& items,
                          std::optional<POINT> anchor) {
    const PopupMenu menu(items);
    if (const auto command = menu.Track(window, anchor)) RunMenuCommand(*context_, *command);
}

LRESULT MainWindow::HandleTrayEvent(HWND window, WPARAM wParam, LPARAM lParam) {
    // Version 4 of the protocol puts the icon's number beside the event and the place of
    // the icon (or of the click) in wParam; the older one sends the mouse message alone.
    const bool version4 = HIWORD(lParam) != 0;
    const TrayAction action = trayClicks_.On(
        TrayEventOf(LOWORD(lParam)), version4 ? TrayProtocol::kVersion4 : TrayProtocol::kLegacy);
    std::optional<POINT> anchor;
    if (version4) anchor = POINT{GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam)};
    switch (action) {
    case TrayAction::kNone: return 0;
    case TrayAction::kUpdateTip: OnTrayMouseMove(*context_); return 0;
    case TrayAction::kSessionMenuAfterDoubleClickTime:
        sessionMenuAnchor_.reset();
        SetTimer(window, kLeftClickTimer, GetDoubleClickTime(), nullptr);
        return 0;
    case TrayAction::kSessionMenuNow:
        // Through the timer all the same: a shell that reports one Enter twice then
        // still opens one menu.
        sessionMenuAnchor_ = anchor;
        SetTimer(window, kLeftClickTimer, USER_TIMER_MINIMUM, nullptr);
        return 0;
    case TrayAction::kAboutBox:
        KillTimer(window, kLeftClickTimer);
        RunTrayCommand([this] { OnRightAboutClick(*context_); });
        return 0;
    case TrayAction::kMainMenu:
        RunTrayCommand([this, window, anchor] {
            OnRightMenuOpening(*context_);
            ShowMenu(window, BuildRightMenu(context_->state), anchor);
        });
        return 0;
    }
    return 0;
}

LRESULT MainWindow::HandleCommand(UINT commandId) {
    if (commandId == kExitCommand) {
        OnRightExitClick(*context_);
        return 0;
    }
    for (const auto& [number, kind] : kNumberedCommands) {
        // Like a menu choice, a command runs only while no menu or box of the icon is up.
        if (number == commandId)
            RunTrayCommand([this, kind] { RunMenuCommand(*context_, {kind, 0}); });
    }
    return 0;
}

void MainWindow::OpenLeftMenu(HWND window) {
    KillTimer(window, kLeftClickTimer);
    RunTrayCommand([this, window] {
        OnLeftMenuOpening(*context_);
        ShowMenu(window, BuildLeftMenu(context_->state), std::exchange(sessionMenuAnchor_, {}));
    });
}

void MainWindow::RunTrayCommand(const std::function<void()>& command) {
    if (trayCommandActive_) return;
    trayCommandActive_ = true;
    command();
    trayCommandActive_ = false;
    FinishBackgroundWork();
}

// An outcome that arrives while a menu or box of the icon is up waits for it to close,
// like a click would; it is never dropped, or the check would stay running for good.
void MainWindow::FinishBackgroundWork() {
    if (trayCommandActive_) return;
    if (systemLogRecords_) {
        const auto records = std::move(systemLogRecords_);
        OnSystemLogRead(*context_, *records);
    }
    if (!finishedUpdateCheck_) return;
    const std::unique_ptr<HttpResponse> response = std::move(finishedUpdateCheck_);
    RunTrayCommand([this, &response] { OnUpdateCheckFinished(*context_, *response); });
}

LRESULT MainWindow::HandleStartedMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == taskbarCreatedMessage_ && message != 0) {
        OnTaskbarCreated(*context_);
        return 0;
    }
    switch (message) {
    case WM_TIMER: return HandleTimer(window, wParam);
    case kTrayCallbackMessage: return HandleTrayEvent(window, wParam, lParam);

    case WM_KEYDOWN:
        if (wParam == VK_F5) OnHandOverKey(*context_);
        return 0;
    case WM_COMMAND: return HandleCommand(LOWORD(wParam));
    case kHttpResponseMessage:
        finishedUpdateCheck_.reset(reinterpret_cast<HttpResponse*>(lParam));
        FinishBackgroundWork();
        return 0;
    case kSystemLogReadMessage:
        systemLogRecords_.reset(reinterpret_cast<std::vector<ShutdownRecord>*>(lParam));
        FinishBackgroundWork();
        return 0;
    case WM_SETTINGCHANGE:
        if (IsColourModeChange(ChangedSetting(lParam)))
            OnColourModeChange(colourMode_, followsColourMode_);
        return 0;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMSUSPEND) OnSuspend(*context_);
        // The wake-up that needs no user comes first; the one that does may follow.
        if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) OnResume(*context_);
        return TRUE;
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION: return HandleEndSession(window, wParam, lParam);
    case WM_WTSSESSION_CHANGE:
        // The session came to the screen: alarms that fell due meanwhile open now.
        OnMainAlertTick(context_->Alarms());
        return 0;
    case WM_CLOSE:
        RecordCloseOnce(ProgramEnd::kClosed);
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        if (sessionNotifications_) WTSUnRegisterSessionNotification(window);
        suspendResume_.Unregister();
        KillTimer(window, kHeartbeatTimer);
        KillTimer(window, kClockTimer);
        KillTimer(window, kAlertTimer);
        PostQuitMessage(0);
        return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace uptrail
