#pragma once
#include <string>

#include "platform/machine_lock.h"
#include "win32/platform/unique_handle.h"

namespace uptrail {

// The machine-wide lock as a named mutex (see OpenSharedMutex), made at the first wait.
class Win32MachineLock final : public MachineLock {
public:
    explicit Win32MachineLock(std::wstring name);

    bool Acquire(std::chrono::milliseconds timeout) override;
    void Release() override;

private:
    std::wstring name_;
    UniqueKernelHandle mutex_;
    bool tried_ = false;
};

}  // namespace uptrail
