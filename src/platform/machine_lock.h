#pragma once
#include <chrono>

namespace uptrail {

// A lock shared by every process on the machine, whatever account or session runs it:
// the copies of the program in several signed-in accounts take it around every change
// of the one log file they all write.
class MachineLock {
public:
    virtual ~MachineLock() = default;

    // Waits at most `timeout` for the lock. A lock whose holder died counts as taken: the
    // holder's replace was atomic, so the file is whole either way. False when the wait
    // ran out. Where the system gives no such lock at all, every Acquire succeeds: the
    // program then writes as a single copy would.
    [[nodiscard]] virtual bool Acquire(std::chrono::milliseconds timeout) = 0;
    virtual void Release() = 0;
};

}  // namespace uptrail
