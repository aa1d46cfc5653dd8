#include "win32/shell/alarm_window.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "app/colour_mode.h"
#include "win32/platform/wide_text.h"
#include "win32/shell/alarm_sound.h"
#include "win32/shell/title_bar_mode.h"

namespace uptrail {
namespace {

constexpr wchar_t kWindowClass[] = L"UptrailAlarmWindow";
constexpr UINT_PTR kAlertTimer = 1;
constexpr UINT_PTR kWindowStateTimer = 2;
constexpr UINT kAlertIntervalMs = 1000;
constexpr UINT kWindowStateIntervalMs = 60000;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// Owned by the hidden main window, it would have no taskbar button to come back from
// when minimized; WS_EX_CONTROLPARENT lets Tab move through the controls.
constexpr DWORD kExStyle = WS_EX_TOPMOST | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;

// A new alarm window comes up in the middle of the work area, each further one a little
// lower and to the right, so that none hides another.
void PlaceOnScreen(HWND window, int openWindows) {
    RECT workArea{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    RECT frame{};
    GetWindowRect(window, &frame);
    const int step = GetSystemMetrics(SM_CYCAPTION) * (openWindows % 8);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = workArea.left + (workArea.right - workArea.left - width) / 2 + step;
    const int top = workArea.top + (workArea.bottom - workArea.top - height) / 2 + step;
    SetWindowPos(window, nullptr, std::max<int>(workArea.left, left),
                 std::max<int>(workArea.top, top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The alarm windows of this program that exist; the thread's message loop looks at its
// messages only while there is one.
int openAlarmWindows = 0;

[[nodiscard]] bool IsAlarmWindow(HWND window) {
    wchar_t name[32]{};
    return window && GetClassNameW(window, name, 32) && std::wstring_view(name) == kWindowClass;
}

}  // namespace

bool AlarmWindow::RegisterWindowClass(HINSTANCE instance) {
    static const bool registered = [instance] {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassExW(&windowClass) != 0;
    }();
    return registered;
}

AlarmWindow::AlarmWindow(HINSTANCE instance, MainContext& context, std::string key)
    : instance_(instance),
      registry_(context.platform.registry),
      logic_(context.Alarms(), *this, std::move(key)) {}

AlarmWindow* AlarmWindow::Open(HINSTANCE instance, HWND owner, MainContext& context,
                               std::string key, int dpi) {
    if (!RegisterWindowClass(instance)) return nullptr;
    std::unique_ptr<AlarmWindow> made(new AlarmWindow(instance, context, std::move(key)));
    HWND window = CreateWindowExW(kExStyle, kWindowClass, L"Alarm", kStyle, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 0, 0, owner, nullptr, instance, made.get());
    if (!window) return nullptr;
    // The window owns the object from now on: its last message deletes it.
    AlarmWindow* const alarm = made.release();
    alarm->controls_.Create(window, dpi);
    ApplyTitleBarColourMode(window, alarm->registry_);
    PlaceOnScreen(window, openAlarmWindows);
    alarm->logic_.OnLoad();
    alarm->ready_ = true;
    ++openAlarmWindows;
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    alarm->Render();
    return alarm;
}

bool AlarmWindow::TranslateDialogMessage(MSG& message) {
    if (openAlarmWindows == 0) return false;
    HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    return IsAlarmWindow(root) && IsDialogMessageW(root, &message);
}

std::uintptr_t AlarmWindow::Handle() const { return reinterpret_cast<std::uintptr_t>(window_); }

void AlarmWindow::PlayAlarmSound() { uptrail::PlayAlarmSound(instance_); }

void AlarmWindow::CloseWindow() {
    closedByProgram_ = true;
    PostMessageW(window_, WM_CLOSE, 0, 0);
}

void AlarmWindow::Restore() { ShowWindow(window_, SW_RESTORE); }

LRESULT AlarmWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) window_ = window;
    if (message == WM_NCDESTROY) {
        // A window that failed while being made is deleted by Open.
        if (ready_) {
            --openAlarmWindows;
            delete this;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    // Placing a new window may already move it to a monitor of another resolution.
    if (message == WM_DPICHANGED && controls_[AlarmPart::tbShift]) {
        ChangeDpi(window, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    }
    // Until its controls exist and its entry is taken, the window is just a window.
    if (!ready_) return DefWindowProcW(window, message, wParam, lParam);
    return HandleReadyMessage(window, message, wParam, lParam);
}

void AlarmWindow::ChangeDpi(HWND window, int dpi, const RECT& suggested) {
    // Windows' rectangle keeps the window where it was on the new monitor; the layout
    // then sizes it for its texts in the new fonts.
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    controls_.ChangeDpi(window, dpi);
    InvalidateRect(window, nullptr, TRUE);
}

template <typename Handler>
void AlarmWindow::Run(Handler&& handler) {
    handler(logic_);
    Render();
}

void AlarmWindow::SetTimerRunning(UINT_PTR timerId, UINT intervalMs, bool on, bool& running) {
    if (on == running) return;
    running = on;
    if (on)
        SetTimer(window_, timerId, intervalMs, nullptr);
    else
        KillTimer(window_, timerId);
}

void AlarmWindow::Render() {
    const AlarmControls& model = logic_.Controls();
    ++changeGuard_;
    controls_.Render(model);
    const std::wstring caption = WideFromAnsi(model.caption);
    wchar_t shown[256]{};
    GetWindowTextW(window_, shown, 256);
    if (caption != shown) SetWindowTextW(window_, caption.c_str());
    --changeGuard_;
    SetTimerRunning(kAlertTimer, kAlertIntervalMs, model.toAlert, alertRunning_);
    SetTimerRunning(kWindowStateTimer, kWindowStateIntervalMs, model.toWindowState,
                    windowStateRunning_);
}

void AlarmWindow::HandleCommand(int id, int code, HWND control) {
    if (id == IDCANCEL) return CloseWindow();  // Esc
    if (id == IDOK) {                          // Enter
        if (GetFocus() == controls_[AlarmPart::tbShift])
            Run([](AlarmWindowLogic& w) { w.OnShiftEnter(); });
        return;
    }
    const std::optional<AlarmPart> part = controls_.PartOf(control);
    if (!part || changeGuard_ > 0) return;
    if (code == EN_CHANGE) {
        const std::string text = controls_.Text(*part);
        if (*part == AlarmPart::tbShift) Run([&](AlarmWindowLogic& w) { w.OnShiftChange(text); });
        if (*part == AlarmPart::tbTime) Run([&](AlarmWindowLogic& w) { w.OnTimeChange(text); });
        if (*part == AlarmPart::tbRepeat) Run([&](AlarmWindowLogic& w) { w.OnRepeatChange(text); });
        if (*part == AlarmPart::tbTitle) Run([&](AlarmWindowLogic& w) { w.OnTitleChange(text); });
    } else if (code == CBN_SELCHANGE && *part == AlarmPart::cbRepeat) {
        const int index = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
        Run([&](AlarmWindowLogic& w) { w.OnRepeatComboClick(index); });
    } else if (code == BN_CLICKED && *part == AlarmPart::bbAlarm) {
        Run([](AlarmWindowLogic& w) { w.OnButtonClick(); });
    }
}

void AlarmWindow::HandleSpin(HWND bar, int code) {
    const std::optional<AlarmPart> part = controls_.PartOf(bar);
    if (!part || (code != SB_LINEUP && code != SB_LINEDOWN)) return;
    const int delta = code == SB_LINEUP ? 1 : -1;
    const auto spin = [&](SpinGroup group, int which) {
        Run([&](AlarmWindowLogic& w) { w.OnSpin(group, which, delta); });
    };
    switch (*part) {
    case AlarmPart::vsShift0: return spin(SpinGroup::kShift, 0);
    case AlarmPart::vsShift1: return spin(SpinGroup::kShift, 1);
    case AlarmPart::vsTime0: return spin(SpinGroup::kTime, 0);
    case AlarmPart::vsTime1: return spin(SpinGroup::kTime, 1);
    case AlarmPart::vsRepeat0: return spin(SpinGroup::kRepeat, 0);
    case AlarmPart::vsRepeat1: return spin(SpinGroup::kRepeat, 1);
    default: return;
    }
}

void AlarmWindow::HandleNotify(const NMHDR& header) {
    if (header.hwndFrom != controls_[AlarmPart::ucDate] || header.code != MCN_SELECT) return;
    const auto& selection = reinterpret_cast<const NMSELCHANGE&>(header);
    const Date date = MakeDate(selection.stSelStart.wYear, selection.stSelStart.wMonth,
                               selection.stSelStart.wDay);
    Run([&](AlarmWindowLogic& w) { w.OnDatePicked(date); });
}

void AlarmWindow::HandleSize(HWND window, WPARAM kind) {
    if (kind != SIZE_MINIMIZED && kind != SIZE_RESTORED) return;
    const bool minimized = kind == SIZE_MINIMIZED;
    Run([&](AlarmWindowLogic& w) { w.OnResize(minimized); });
    // Restored from the taskbar, the caption would otherwise stay drawn inactive.
    if (!minimized) SendMessageW(window, WM_NCACTIVATE, TRUE, 0);
}

void AlarmWindow::HandleTimer(WPARAM timerId) {
    if (timerId == kAlertTimer) Run([](AlarmWindowLogic& w) { w.OnAlertTick(); });
    if (timerId == kWindowStateTimer) Run([](AlarmWindowLogic& w) { w.OnWindowStateTick(); });
}

void AlarmWindow::Paint(HWND window) const {
    PAINTSTRUCT paint{};
    HDC canvas = BeginPaint(window, &paint);
    controls_.PaintFrames(canvas);
    EndPaint(window, &paint);
}

LRESULT AlarmWindow::HandleReadyMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        DefWindowProcW(window, message, wParam, lParam);
        if (LOWORD(wParam) == WA_INACTIVE) return 0;
        Run([](AlarmWindowLogic& w) { w.OnActivate(); });
        if (GetFocus() == window) SetFocus(GetNextDlgTabItem(window, nullptr, FALSE));
        return 0;
    case WM_COMMAND:
        HandleCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_VSCROLL: HandleSpin(reinterpret_cast<HWND>(lParam), LOWORD(wParam)); return 0;
    case WM_NOTIFY: HandleNotify(*reinterpret_cast<const NMHDR*>(lParam)); return 0;
    case WM_SIZE: HandleSize(window, wParam); return 0;
    case WM_TIMER: HandleTimer(wParam); return 0;
    case WM_PAINT: Paint(window); return 0;
    case WM_SETTINGCHANGE:
        if (IsColourModeChange(ChangedSetting(lParam))) ApplyTitleBarColourMode(window, registry_);
        break;
    case WM_CLOSE:
        if (!closedByProgram_) Run([](AlarmWindowLogic& w) { w.OnCloseRequest(); });
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        KillTimer(window, kAlertTimer);
        KillTimer(window, kWindowStateTimer);
        logic_.OnUnload();
        return 0;
    default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace uptrail
