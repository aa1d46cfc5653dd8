#pragma once
// A machine for the main window's logic: the platform doubles set up as a booted PC with
// Uptrail installed under Program Files, shared by the start-up, menu and alarm tests.
#include <string>
#include <string_view>

#include "base/text_encoding.h"
#include "base/timestamp.h"
#include "sessionlog/log_location.h"
#include "storage/profile_file.h"
#include "storage/registry_store.h"
#include "storage/section_file.h"
#include "storage/settings_store.h"
#include "support/fake_main_context.h"
#include "support/log_fields.h"

namespace uptrail::testing {

inline const std::string kFolderText = "C:\\Program Files\\Uptrail";
inline const std::string kProgramKey = "SOFTWARE\\Tamsk\\Uptrail";
inline constexpr DateTime kBoot = MakeDateTime(2026, 12, 6, 8, 0, 0);

// A machine booted at 08:00:00 whose clock reads 09:30:00, with Uptrail installed under
// Program Files and nothing stored yet, for the start-up, the menus and the alarms alike.
// A first start's defaults, a second copy, the closes and the ends a previous session is
// logged with are checked on the real program; these cases take the branches it cannot
// reach.
struct Machine : FakeMainContext {
    Machine() {
        clock.now = MakeDateTime(2026, 12, 6, 9, 30, 0);
        clock.tickCount = 90 * 60 * 1000;
        system.programFolder = PathFromAnsi(kFolderText);
        system.SetSerial("C:", 0x1A2B3C4D);
        files.AddFolder(system.programFolder);
        state.session.logFile = LogFileIn(system.programFolder);
        state.session.systemId = kSystem;
        // As a start-up leaves them; one run here sets them afresh.
        state.session.bootTime = state.session.statsFrom = kBoot;
        state.session.driveTable = {{"1A2B3C4D/", "C:"}};
    }
    // A start after an earlier one from the same folder, which left this log.
    void SeedEarlierStart(const std::string& log) {
        EXPECT_EQ(RegWrite(registry, RegistryRoot::kLocalMachine, kProgramKey, "", kFolderText),
                  kOk);
        files.AddFile(state.session.logFile, log);
    }
    // A stored value as the files and the registry hold it: in the own section, in
    // "Common", or under the program's key for section "Registry".
    std::string Get(std::string_view key, std::string_view section = {}) {
        if (section == "Registry")
            return RegRead(registry, RegistryRoot::kLocalMachine, kProgramKey, key);
        return ReadProfile(files, state.session.logFile,
                           section.empty() ? std::string_view(kSystem) : section, key);
    }
    std::string Section(std::string_view name) {
        return LoadSection(files, state.session.logFile, name).text;
    }
    std::string Entries() { return Section("Log"); }
    MainState& state = context.state;
};

}  // namespace uptrail::testing
