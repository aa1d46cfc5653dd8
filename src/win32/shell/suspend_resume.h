#pragma once
#include <windows.h>

namespace uptrail {

// Asks Windows to tell `window` of every suspend and resume by WM_POWERBROADCAST, modern
// standby included, which a hidden window is not told of by itself. Windows 8 and later;
// on older systems the broadcast to top-level windows covers classic sleep alone.
class SuspendResumeNotification {
public:
    SuspendResumeNotification() = default;
    ~SuspendResumeNotification();
    SuspendResumeNotification(const SuspendResumeNotification&) = delete;
    SuspendResumeNotification& operator=(const SuspendResumeNotification&) = delete;

    void Register(HWND window);
    void Unregister();

private:
    HANDLE registration_ = nullptr;
};

}  // namespace uptrail
