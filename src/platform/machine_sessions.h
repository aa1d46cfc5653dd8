#pragma once
#include <cstdint>

namespace uptrail {

// What one copy of the program knows of the others on the machine, where every signed-in
// account runs a copy of its own.
class MachineSessions {
public:
    virtual ~MachineSessions() = default;

    // A number no other running process has: it names this copy's temporary files.
    virtual std::uint32_t ProcessId() const = 0;

    // Makes this copy known machine-wide for as long as it runs; a copy that dies is no
    // longer known.
    virtual void AnnounceRunningCopy() = 0;

    // Whether a copy in another session of the machine is running.
    virtual bool OtherCopyRunning() const = 0;

    // Whether this copy's session is the one at the screen (the active console session,
    // locked or not), where a window is seen and a sound heard.
    virtual bool AtTheScreen() const = 0;
};

}  // namespace uptrail
