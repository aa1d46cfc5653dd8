#include "win32/platform/win32_machine_sessions.h"

#include <wtsapi32.h>

#include <string>

#include "win32/platform/machine_objects.h"

namespace uptrail {
namespace {

std::wstring RunningCopyName(DWORD session) {
    return std::wstring(kRunningCopyPrefix) + std::to_wstring(session);
}

// An object another account made may refuse this one access: it is there all the same.
bool NamedObjectExists(const std::wstring& name) {
    const UniqueKernelHandle object(OpenMutexW(SYNCHRONIZE, FALSE, name.c_str()));
    return object || GetLastError() == ERROR_ACCESS_DENIED;
}

}  // namespace

Win32MachineSessions::Win32MachineSessions() {
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &ownSession_)) ownSession_ = 0;
}

std::uint32_t Win32MachineSessions::ProcessId() const { return GetCurrentProcessId(); }

void Win32MachineSessions::AnnounceRunningCopy() {
    if (!announcement_) announcement_ = OpenSharedMutex(RunningCopyName(ownSession_));
}

bool Win32MachineSessions::OtherCopyRunning() const {
    WTS_SESSION_INFOW* sessions = nullptr;
    DWORD count = 0;
    if (!WTSEnumerateSessionsW(WTS_CURRENT_SERVER_HANDLE, 0, 1, &sessions, &count)) return false;
    bool found = false;
    for (DWORD i = 0; i < count && !found; ++i) {
        const DWORD session = sessions[i].SessionId;
        found = session != ownSession_ && NamedObjectExists(RunningCopyName(session));
    }
    WTSFreeMemory(sessions);
    return found;
}

bool Win32MachineSessions::AtTheScreen() const {
    // While sessions are being switched no session is attached to the console (the id is
    // then 0xFFFFFFFF): nobody is at the screen, and due alarms wait the moment it takes.
    return WTSGetActiveConsoleSessionId() == ownSession_;
}

}  // namespace uptrail
