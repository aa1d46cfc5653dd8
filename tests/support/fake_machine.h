#pragma once
// Doubles of what the copies of the program in several accounts share: the machine-wide
// lock and the table of sessions that run a copy.
#include <cstdint>
#include <set>

#include "platform/machine_lock.h"
#include "platform/machine_sessions.h"

namespace uptrail::testing {

// Who holds the machine-wide lock, shared by the copies of one test machine.
struct LockTable {
    int holder = 0;  // 0: nobody
    int depth = 0;
    int refusals = 0;
};

// The lock of one copy. A test runs on one thread, so a wait for a lock another copy
// holds could never end: it is refused at once, as a wait that ran out.
class MemoryMachineLock final : public MachineLock {
public:
    MemoryMachineLock() : table_(own_) {}
    MemoryMachineLock(LockTable& table, int copy) : table_(table), copy_(copy) {}

    bool Acquire(std::chrono::milliseconds) override {
        if (table_.holder != 0 && table_.holder != copy_) {
            ++table_.refusals;
            return false;
        }
        table_.holder = copy_;
        ++table_.depth;
        return true;
    }
    void Release() override {
        if (table_.holder == copy_ && --table_.depth == 0) table_.holder = 0;
    }

private:
    LockTable own_;
    LockTable& table_;
    int copy_ = 1;
};

// The sessions of the machine that run a copy, and the one at the screen.
struct SessionTable {
    std::set<std::uint32_t> running;
    std::uint32_t console = 1;
};

class FakeMachineSessions final : public MachineSessions {
public:
    FakeMachineSessions() : table_(own_) {}
    FakeMachineSessions(SessionTable& table, std::uint32_t session)
        : table_(table), session_(session) {}

    std::uint32_t ProcessId() const override { return 1000 + session_; }
    void AnnounceRunningCopy() override { table_.running.insert(session_); }
    bool OtherCopyRunning() const override {
        for (const std::uint32_t session : table_.running)
            if (session != session_) return true;
        return false;
    }
    bool AtTheScreen() const override { return table_.console == session_; }

private:
    SessionTable own_;
    SessionTable& table_;
    std::uint32_t session_ = 1;
};

}  // namespace uptrail::testing
