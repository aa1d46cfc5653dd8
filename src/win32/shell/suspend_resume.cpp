#include "win32/shell/suspend_resume.h"

#include "win32/platform/user32_function.h"

namespace uptrail {
namespace {

using RegisterFunction = HANDLE(WINAPI*)(HANDLE, DWORD);
using UnregisterFunction = BOOL(WINAPI*)(HANDLE);

}  // namespace

SuspendResumeNotification::~SuspendResumeNotification() { Unregister(); }

void SuspendResumeNotification::Register(HWND window) {
    static const auto registerFunction =
        User32Function<RegisterFunction>("RegisterSuspendResumeNotification");
    if (registration_ || !registerFunction) return;
    registration_ = registerFunction(window, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void SuspendResumeNotification::Unregister() {
    static const auto unregisterFunction =
        User32Function<UnregisterFunction>("UnregisterSuspendResumeNotification");
    if (registration_ && unregisterFunction) unregisterFunction(registration_);
    registration_ = nullptr;
}

}  // namespace uptrail
