#pragma once
#include "platform/machine_sessions.h"
#include "win32/platform/unique_handle.h"

namespace uptrail {

// Each running copy holds a named object with its session's number in the name; the
// other sessions' objects tell which of them run a copy.
class Win32MachineSessions final : public MachineSessions {
public:
    Win32MachineSessions();

    std::uint32_t ProcessId() const override;
    void AnnounceRunningCopy() override;
    bool OtherCopyRunning() const override;
    bool AtTheScreen() const override;

private:
    DWORD ownSession_ = 0;
    UniqueKernelHandle announcement_;
};

}  // namespace uptrail
