#pragma once
// A PC with several accounts signed in: one log folder, one HKEY_LOCAL_MACHINE, one
// machine-wide lock and one clock, and a copy of the program in each account's session
// with an HKEY_CURRENT_USER, a tray and a desktop of its own.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "support/test_machine.h"

namespace uptrail::testing {

struct SharedPc;

// The program as it runs in one account's session.
struct ProgramCopy : OwnDoubles {
    ProgramCopy(SharedPc& pc, std::uint32_t session, bool standardUser);

    MemoryRegistry registry;  // the machine's HKEY_LOCAL_MACHINE, the account's own HKCU
    MemoryMachineLock lock;
    FakeMachineSessions sessions;
    MainContext context;
};

// The PC booted at 08:00:00 whose clock reads 09:30:00 (see Machine), with Uptrail under
// Program Files writing its log in ProgramData, as the setup leaves it.
struct SharedPc {
    // The PC with this log, if any, in its log folder.
    explicit SharedPc(const std::string& log = {}) {
        if (!log.empty()) files.AddFile(logFile, log);
        clock.now = MakeDateTime(2026, 12, 6, 9, 30, 0);
        clock.tickCount = 90 * 60 * 1000;
        files.AddFolder(PathFromAnsi(kFolderText));
        files.AddFolder(logFolder);
        EXPECT_EQ(
            RegWritePath(machine, RegistryRoot::kLocalMachine, kProgramKey, "LogFolder", logFolder),
            kOk);
    }
    ProgramCopy& SignIn(bool standardUser = true) {
        const auto session = static_cast<std::uint32_t>(copies.size() + 1);
        copies.push_back(std::make_unique<ProgramCopy>(*this, session, standardUser));
        return *copies.back();
    }
    std::string Get(std::string_view section, std::string_view key) {
        return ReadProfile(files, logFile, section, key);
    }
    std::string Section(std::string_view name) { return LoadSection(files, logFile, name).text; }
    bool SectionHas(std::string_view name, std::string_view text) {
        return Section(name).find(text) != std::string::npos;
    }
    // Runs `first`, and `second` just before the file system's `step`-th step from now (or
    // after `first` when it takes fewer): another copy's change slipped in between.
    void Interleave(int step, const std::function<void()>& first,
                    const std::function<void()>& second) {
        bool ran = false;
        const int before = files.StepsTaken();
        files.OnEveryStep([&](int at) {
            if (ran || at - before < step) return;
            ran = true;
            second();
        });
        first();
        files.OnEveryStep(nullptr);
        if (!ran) second();
    }

    FakeClock clock;
    MemoryFileSystem files;
    MemoryRegistry machine;
    LockTable lock;
    SessionTable sessions;
    std::filesystem::path logFolder = "ProgramData";
    std::filesystem::path logFile = LogFileIn(logFolder);
    std::vector<std::unique_ptr<ProgramCopy>> copies;
};

inline ProgramCopy::ProgramCopy(SharedPc& pc, std::uint32_t session, bool standardUser)
    : registry(&pc.machine),
      lock(pc.lock, static_cast<int>(session)),
      sessions(pc.sessions, session),
      context{{pc.clock, pc.files, registry, system, tray, window, window, desktop, locale, http,
               zone, events, lock, sessions, systemLog},
              {}} {
    registry.DenyLocalMachineChanges(standardUser);
    system.programFolder = PathFromAnsi(kFolderText);
    system.SetSerial("C:", 0x1A2B3C4D);
}

}  // namespace uptrail::testing
