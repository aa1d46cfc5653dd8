#pragma once
#include <windows.h>

#include <string>

#include "alarm/alarm_window_logic.h"
#include "app/main_context.h"
#include "win32/shell/alarm_window_controls.h"
#include "win32/shell/window_procedure.h"

namespace uptrail {

// An alarm window: the Win32 shell of AlarmWindowLogic. Always on top, owned by the main
// window, one per open alarm; the object lives exactly as long as its window.
class AlarmWindow final : public AlarmWindowHost, private WindowProcedure<AlarmWindow> {
public:
    // Creates and shows the window for the alarm with `key` ("" for a new alarm). `dpi` 0
    // lays it out for the screen. Gives nothing when the window cannot be made.
    static AlarmWindow* Open(HINSTANCE instance, HWND owner, MainContext& context, std::string key,
                             int dpi = 0);

    // Lets an alarm window handle Tab, access keys, Enter and Esc as a dialog does; true
    // when `message` was one of those and needs no further dispatch.
    [[nodiscard]] static bool TranslateDialogMessage(MSG& message);

    std::uintptr_t Handle() const override;
    void PlayAlarmSound() override;
    void CloseWindow() override;
    void Restore() override;

private:
    friend WindowProcedure<AlarmWindow>;
    [[nodiscard]] static bool RegisterWindowClass(HINSTANCE instance);
    AlarmWindow(HINSTANCE instance, MainContext& context, std::string key);
    AlarmWindow(const AlarmWindow&) = delete;
    AlarmWindow& operator=(const AlarmWindow&) = delete;

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleReadyMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void HandleCommand(int id, int code, HWND control);
    void HandleSpin(HWND bar, int code);
    void HandleNotify(const NMHDR& header);
    void HandleSize(HWND window, WPARAM kind);
    void HandleTimer(WPARAM timerId);
    void Paint(HWND window) const;
    void ChangeDpi(HWND window, int dpi, const RECT& suggested);
    // Runs one handler of the logic, then shows its result.
    template <typename Handler>
    void Run(Handler&& handler);
    void Render();
    void SetTimerRunning(UINT_PTR timerId, UINT intervalMs, bool on, bool& running);

    HINSTANCE instance_;
    const Registry& registry_;
    HWND window_ = nullptr;
    AlarmWindowLogic logic_;
    AlarmWindowControls controls_;
    // Raised while the window sets its own controls, so that their change
    // notifications are not taken for the user's edits.
    int changeGuard_ = 0;
    bool ready_ = false;
    bool closedByProgram_ = false;
    bool alertRunning_ = false;
    bool windowStateRunning_ = false;
};

}  // namespace uptrail
