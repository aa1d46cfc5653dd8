#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/main_context.h"
#include "app/main_events.h"
#include "app/menu_tree.h"
#include "app/tray_clicks.h"
#include "platform/http_client.h"
#include "platform/program_window.h"
#include "platform/shutdown_records.h"
#include "sessionlog/session_log.h"
#include "win32/platform/win32_colour_mode.h"
#include "win32/shell/suspend_resume.h"
#include "win32/shell/window_procedure.h"

namespace uptrail {

// Command numbers of the main window's menu items that other programs may send too.
inline constexpr UINT kExitCommand = 40001;
inline constexpr UINT kLogFolderCommand = 40011;       // "&Log Folder..."
inline constexpr UINT kEraseOldestCommand = 40012;     // "Erase Oldest &Data..."
inline constexpr UINT kMonitorFromNowCommand = 40013;  // "Monitor from &Now..."
inline constexpr UINT kCheckForUpdateCommand = 40021;  // "Check for &Update..."
inline constexpr UINT kNewAlarmCommand = 40031;        // "&New..." of the alarm add-on

// The invisible main window: the owner of the tray icon, the timers and the messages
// Windows sends when the session ends. Every message is handed to the portable logic.
class MainWindow final : public ProgramWindow,
                         public AlarmWindows,
                         private WindowProcedure<MainWindow> {
public:
    explicit MainWindow(HINSTANCE instance);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window, still without the caption that a second copy looks for.
    [[nodiscard]] bool Create();
    HWND Handle() const { return window_; }

    // From now on the window's events reach `context`, and its timers run.
    void Start(MainContext& context);
    [[nodiscard]] int RunMessageLoop();

    bool HandOverToRunningCopy() override;
    void MarkAsRunningCopy() override;
    void Close() override;
    void SetAlarmCheck(bool on) override;
    void OpenAlarmWindow(std::string_view key) override;
    void ActivateAlarmWindow(std::uintptr_t window) override;

private:
    friend WindowProcedure<MainWindow>;
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleStartedMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleTimer(HWND window, WPARAM timerId);
    LRESULT HandleTrayEvent(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT HandleCommand(UINT commandId);
    void OpenLeftMenu(HWND window);
    // Runs what a click on the icon asks for, unless a menu or box of the icon is up.
    void RunTrayCommand(const std::function<void()>& command);
    // Shows the outcome of a finished update check and adds the System log's sessions
    // once read, when no menu or box of the icon is up.
    void FinishBackgroundWork();
    // Opens a menu at `anchor`, or at the pointer when there is none.
    void ShowMenu(HWND window, const std::vector<MenuNode>& items, std::optional<POINT> anchor);
    // Records the close once: Windows may end the session after the window has been
    // asked to close, and the first reason is the true one.
    void RecordCloseOnce(ProgramEnd end);
    LRESULT HandleEndSession(HWND window, WPARAM ending, LPARAM flags);

    HINSTANCE instance_;
    HWND window_ = nullptr;
    UINT taskbarCreatedMessage_ = 0;
    MainContext* context_ = nullptr;
    bool closeRecorded_ = false;
    // A menu or a message box of the icon is up: further clicks wait until it is gone.
    bool trayCommandActive_ = false;
    TrayClicks trayClicks_;
    Win32ColourMode colourMode_;
    bool followsColourMode_ = false;  // the menus follow the user's app colour mode
    SuspendResumeNotification suspendResume_;
    bool sessionNotifications_ = false;  // WM_WTSSESSION_CHANGE reaches the window
    // Where the icon is, for a session menu asked for from the keyboard.
    std::optional<POINT> sessionMenuAnchor_;
    // The response of an update check whose outcome waits for a menu or box to close.
    std::unique_ptr<HttpResponse> finishedUpdateCheck_;
    // The System log's records, read on a worker, while they wait likewise.
    std::unique_ptr<std::vector<ShutdownRecord>> systemLogRecords_;
};

}  // namespace uptrail
