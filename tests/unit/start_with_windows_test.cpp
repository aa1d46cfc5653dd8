#include "app/commands/start_with_windows.h"

#include <gtest/gtest.h>

#include <optional>

#include "app/commands/preference_toggles.h"
#include "base/version_info.h"
#include "support/memory_registry.h"
#include "support/test_machine.h"

namespace uptrail {
namespace {

using testing::MemoryRegistry;

const std::string kValueName(kVersion.description);
constexpr auto kMachine = RegistryRoot::kLocalMachine;
constexpr auto kUser = RegistryRoot::kCurrentUser;

RegistryKey RunKey(RegistryRoot root) { return {root, std::string(kRunKeyPath)}; }
RegistryKey Approved(RegistryRoot root) { return {root, std::string(kStartupApprovedRunPath)}; }

// Task Manager's record: the state (2 on, 3 off), then the time it was turned off.
RegistryValue Switch(unsigned char state) {
    std::string bytes(12, '\0');
    bytes[0] = static_cast<char>(state);
    bytes[4] = '\x5a';
    return {reg_type::kBinary, bytes};
}

void SeedRunEntry(MemoryRegistry& registry, RegistryRoot root) {
    registry.Seed(RunKey(root), kValueName, {reg_type::kSz, StartWithWindowsCommand()});
}

unsigned char StoredState(const MemoryRegistry& registry, RegistryRoot root) {
    const auto value = registry.Stored(Approved(root), kValueName);
    return value && !value->data.empty() ? static_cast<unsigned char>(value->data.front()) : 0;
}

// Only an odd first byte turns the entry off, and only the switch under the root that
// holds the entry counts: a stale one under the other root changes nothing.
TEST(StartWithWindows, TaskManagersSwitchUnderTheEntrysRootDecidesTheCheckMark) {
    const struct {
        RegistryRoot entryRoot;
        RegistryRoot switchRoot;
        unsigned char state;
        bool checked;
    } cases[] = {
        {kMachine, kMachine, 3, false}, {kMachine, kMachine, 2, true},
        {kMachine, kMachine, 1, false}, {kMachine, kMachine, 6, true},
        {kUser, kUser, 3, false},       {kUser, kMachine, 3, true},
        {kMachine, kUser, 3, true},
    };
    for (const auto& c : cases) {
        MemoryRegistry registry;
        SeedRunEntry(registry, c.entryRoot);
        registry.Seed(Approved(c.switchRoot), kValueName, Switch(c.state));
        EXPECT_EQ(StartsWithWindows(registry), c.checked)
            << "state " << int{c.state} << (c.entryRoot == kUser ? ", user's entry" : "")
            << (c.switchRoot == kUser ? ", user's switch" : "");
    }

    // Not Task Manager's: a value of another type, or another name's, turns nothing off.
    MemoryRegistry foreignValue;
    SeedRunEntry(foreignValue, kMachine);
    foreignValue.Seed(Approved(kMachine), kValueName, {reg_type::kDword, "\x03\0\0\0"});
    foreignValue.Seed(Approved(kMachine), kValueName + "x", Switch(3));
    EXPECT_TRUE(StartsWithWindows(foreignValue));
}

// Checking the item again turns Task Manager's switch back on; with no switch, none is
// made: Windows counts a missing one as on. A standard user cannot switch the machine's
// entry back on, so gets an entry of their own, which their Task Manager has not turned
// off; their own entry, turned off there, is theirs to turn on.
TEST(StartWithWindows, CheckingItAgainTurnsTaskManagersSwitchBackOnOrMakesAnEntryThatStarts) {
    const struct {
        const char* name;
        std::optional<RegistryRoot> switchedOff;  // where an entry turned off lives
        bool standardUser;
        RegistryRoot entryRoot;                   // after the click
        unsigned char machineSwitch, userSwitch;  // after the click; 0 for none
    } cases[] = {
        {"administrator", kMachine, false, kMachine, 2, 0},
        {"no entry yet", std::nullopt, false, kMachine, 0, 0},
        {"standard user", kMachine, true, kUser, 3, 0},
        {"standard user's own entry", kUser, true, kUser, 0, 2},
    };
    for (const auto& c : cases) {
        MemoryRegistry registry;
        if (c.switchedOff) {
            SeedRunEntry(registry, *c.switchedOff);
            registry.Seed(Approved(*c.switchedOff), kValueName, Switch(3));
        }
        registry.DenyLocalMachineChanges(c.standardUser);
        EXPECT_TRUE(StoreStartWithWindows(registry, true)) << c.name;
        EXPECT_TRUE(registry.Stored(RunKey(c.entryRoot), kValueName)) << c.name;
        EXPECT_EQ(StoredState(registry, kMachine), c.machineSwitch) << c.name;
        EXPECT_EQ(StoredState(registry, kUser), c.userSwitch) << c.name;
        EXPECT_TRUE(StartsWithWindows(registry)) << c.name;
    }
}

// Setup put the entry in the machine's list. A standard user who unchecks the item is
// asked for an administrator through Windows' prompt; only a removal that happened takes
// the check mark off. An administrator, or an entry of the user's own, needs no prompt.
TEST(StartWithWindows, UncheckingRemovesTheEntryWhereItLivesOrAsksForAnAdministrator) {
    const struct {
        const char* name;
        RegistryRoot entryRoot;
        bool standardUser;
        bool agrees;  // the user agrees at the prompt, and the elevated copy runs
        bool prompted;
        bool checked;  // after the click
    } cases[] = {
        {"administrator", kMachine, false, false, false, false},
        {"standard user who agrees", kMachine, true, true, true, false},
        {"standard user who declines", kMachine, true, false, true, true},
        {"standard user's own entry", kUser, true, false, false, false},
    };
    for (const auto& c : cases) {
        testing::Machine machine;
        SeedRunEntry(machine.registry, c.entryRoot);
        machine.registry.DenyLocalMachineChanges(c.standardUser);
        machine.state.options.mRightAuto.checked = StartsWithWindows(machine.registry);
        ASSERT_TRUE(machine.state.options.mRightAuto.checked) << c.name;
        machine.desktop.runElevated = [&](std::string_view programSwitch) {
            if (!c.agrees || programSwitch != kStartWithWindowsOffSwitch) return false;
            MemoryRegistry& registry = machine.registry;
            registry.DenyLocalMachineChanges(false);
            const int exitCode = RunStartWithWindowsOffSwitch(registry);
            registry.DenyLocalMachineChanges(true);
            return exitCode == 0;
        };
        OnRightAutoClick(machine.context);
        EXPECT_EQ(machine.desktop.elevatedSwitches.size(), c.prompted ? 1u : 0u) << c.name;
        EXPECT_EQ(machine.state.options.mRightAuto.checked, c.checked) << c.name;
        EXPECT_EQ(StartsWithWindows(machine.registry), c.checked) << c.name;
    }
}

// The elevated copy removes the machine's entry only: the user's Run key it sees is the
// administrator's own. An entry already gone is no failure.
TEST(StartWithWindows, TheSwitchRemovesOnlyTheMachinesEntry) {
    MemoryRegistry registry;
    SeedRunEntry(registry, RegistryRoot::kLocalMachine);
    SeedRunEntry(registry, RegistryRoot::kCurrentUser);
    EXPECT_EQ(RunStartWithWindowsOffSwitch(registry), 0);
    EXPECT_TRUE(registry.Stored(RunKey(RegistryRoot::kCurrentUser), kValueName));
    EXPECT_EQ(RunStartWithWindowsOffSwitch(registry), 0);
    registry.DenyLocalMachineChanges();
    SeedRunEntry(registry, RegistryRoot::kLocalMachine);
    EXPECT_EQ(RunStartWithWindowsOffSwitch(registry), 5) << "refused: the entry stays";
}

}  // namespace
}  // namespace uptrail
