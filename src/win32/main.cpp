// Uptrail's entry point: the invisible main window and the message loop. Start-up,
// session tracking and the tray icon hang off this window.
#include <windows.h>

namespace {

constexpr wchar_t kMainClassName[] = L"UptrailMain";
// The caption a second copy looks for: the program title, a blank and the company.
constexpr wchar_t kMainCaption[] = L"Uptrail Tamsk";

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kMainClassName;
    if (!RegisterClassExW(&windowClass)) return 1;

    HWND mainWindow = CreateWindowExW(0, kMainClassName, kMainCaption, WS_OVERLAPPEDWINDOW,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                      nullptr, nullptr, instance, nullptr);
    if (!mainWindow) return 1;

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
