#include "app/commands/start_with_windows.h"

#include <gtest/gtest.h>

#include "base/version_info.h"
#include "support/memory_registry.h"

namespace uptrail {
namespace {

using testing::MemoryRegistry;

const std::string kValueName(kVersion.description);

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
    constexpr auto kMachine = RegistryRoot::kLocalMachine;
    constexpr auto kUser = RegistryRoot::kCurrentUser;
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

    MemoryRegistry noSwitch;
    SeedRunEntry(noSwitch, kMachine);
    EXPECT_TRUE(StartsWithWindows(noSwitch));
    MemoryRegistry switchWithoutEntry;
    switchWithoutEntry.Seed(Approved(kMachine), kValueName, Switch(2));
    EXPECT_FALSE(StartsWithWindows(switchWithoutEntry));
    // Not Task Manager's: a value of another type, or empty, turns nothing off.
    MemoryRegistry foreignValue;
    SeedRunEntry(foreignValue, kMachine);
    foreignValue.Seed(Approved(kMachine), kValueName, {reg_type::kDword, "\x03\0\0\0"});
    foreignValue.Seed(Approved(kMachine), kValueName + "x", Switch(3));
    EXPECT_TRUE(StartsWithWindows(foreignValue));
}

TEST(StartWithWindows, CheckingItAgainTurnsTaskManagersSwitchBackOn) {
    MemoryRegistry registry;
    SeedRunEntry(registry, RegistryRoot::kLocalMachine);
    registry.Seed(Approved(RegistryRoot::kLocalMachine), kValueName, Switch(3));
    StoreStartWithWindows(registry, true);
    EXPECT_EQ(StoredState(registry, RegistryRoot::kLocalMachine), 2);
    EXPECT_TRUE(StartsWithWindows(registry));

    // With no switch, none is made: Windows counts a missing one as on.
    MemoryRegistry fresh;
    StoreStartWithWindows(fresh, true);
    EXPECT_TRUE(fresh.Stored(RunKey(RegistryRoot::kLocalMachine), kValueName));
    EXPECT_FALSE(fresh.Stored(Approved(RegistryRoot::kLocalMachine), kValueName));
    EXPECT_TRUE(StartsWithWindows(fresh));

    // Turned off by the program, the entry goes; turned on again it starts the program.
    StoreStartWithWindows(registry, false);
    EXPECT_FALSE(StartsWithWindows(registry));
    EXPECT_FALSE(registry.Stored(RunKey(RegistryRoot::kLocalMachine), kValueName));
    StoreStartWithWindows(registry, true);
    EXPECT_TRUE(StartsWithWindows(registry));
}

// A standard user: the machine's entry cannot be switched back on, so the user gets an
// entry of their own, which their Task Manager has not turned off.
TEST(StartWithWindows, WithoutRightsForTheMachineTheUserGetsAnEntryThatStarts) {
    MemoryRegistry registry;
    SeedRunEntry(registry, RegistryRoot::kLocalMachine);
    registry.Seed(Approved(RegistryRoot::kLocalMachine), kValueName, Switch(3));
    registry.DenyLocalMachineChanges();
    StoreStartWithWindows(registry, true);
    EXPECT_EQ(StoredState(registry, RegistryRoot::kLocalMachine), 3);
    EXPECT_TRUE(registry.Stored(RunKey(RegistryRoot::kCurrentUser), kValueName));
    EXPECT_TRUE(StartsWithWindows(registry));

    // The user's own entry, turned off in their Task Manager, is theirs to turn on.
    MemoryRegistry userEntry;
    userEntry.DenyLocalMachineChanges();
    StoreStartWithWindows(userEntry, true);
    userEntry.Seed(Approved(RegistryRoot::kCurrentUser), kValueName, Switch(3));
    EXPECT_FALSE(StartsWithWindows(userEntry));
    StoreStartWithWindows(userEntry, true);
    EXPECT_EQ(StoredState(userEntry, RegistryRoot::kCurrentUser), 2);
    EXPECT_TRUE(StartsWithWindows(userEntry));
}

}  // namespace
}  // namespace uptrail
