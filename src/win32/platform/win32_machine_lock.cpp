#include "win32/platform/win32_machine_lock.h"

#include <utility>

#include "win32/platform/machine_objects.h"

namespace uptrail {

Win32MachineLock::Win32MachineLock(std::wstring name) : name_(std::move(name)) {}

bool Win32MachineLock::Acquire(std::chrono::milliseconds timeout) {
    if (!std::exchange(tried_, true)) mutex_ = OpenSharedMutex(name_);
    // A system that gives no such object leaves this copy to write as it always did.
    if (!mutex_) return true;
    const DWORD result = WaitForSingleObject(mutex_.get(), static_cast<DWORD>(timeout.count()));
    // An abandoned lock is taken all the same: its holder died, but every replace it made
    // was atomic, so the file is whole.
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

void Win32MachineLock::Release() {
    if (mutex_) ReleaseMutex(mutex_.get());
}

}  // namespace uptrail
