#pragma once
#include <windows.h>

namespace uptrail {

// The one window procedure of the program's window classes. A window class derives from
// WindowProcedure<Itself>, registers `Procedure`, befriends the base and passes `this` to
// CreateWindowEx; from WM_NCCREATE on, every message goes to its
//     LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// with the window the message came for, which the handler uses rather than a copy of its
// own: that copy is not set yet while the window is made, and may be cleared before the
// last messages arrive. The user data is cleared at WM_NCDESTROY before the object hears
// of it, so nothing finds the object through the window afterwards and the object may
// delete itself there.
template <typename Window>
class WindowProcedure {
protected:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            // A Window* as CreateWindowEx got it, so the cast back gives the same object.
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        // A few messages, WM_GETMINMAXINFO first, come before WM_NCCREATE.
        if (!self) return DefWindowProcW(window, message, wParam, lParam);
        return self->HandleMessage(window, message, wParam, lParam);
    }
};

}  // namespace uptrail
