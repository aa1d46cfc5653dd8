#include "commands/preference_toggles.h"

#include <gtest/gtest.h>

#include "app/startup_options.h"
#include "platform/text_encoding.h"
#include "storage/settings_store.h"
#include "support/fake_main_context.h"

namespace uptrail {
namespace {

using testing::FakeClock;
using testing::FakeMainWindow;
using testing::FakeSystemInfo;
using testing::FakeTrayIcon;
using testing::MemoryFileSystem;
using testing::MemoryRegistry;

const std::filesystem::path kLogFolder = "logs";
const std::filesystem::path kProgramFolder = PathFromAnsi("C:\\Program Files\\Uptrail");
const RegistryKey kProgramKey{RegistryRoot::kLocalMachine, "SOFTWARE\\Tamsk\\Uptrail",
                              RegistryView::k64Bit};
const std::string kRunPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const RegistryKey kMachineRun{RegistryRoot::kLocalMachine, kRunPath, RegistryView::k64Bit};
const RegistryKey kUserRun{RegistryRoot::kCurrentUser, kRunPath, RegistryView::k64Bit};
constexpr const char* kNotStored = "(not stored)";

class OptionsTest : public ::testing::Test, protected testing::FakeMainContext {
protected:
    OptionsTest() { StartAfresh(); }

    // An installation that has stored nothing yet; table-driven cases begin with it.
    void StartAfresh() {
        registry = MemoryRegistry{};
        files = MemoryFileSystem{};
        files.AddFolder(kLogFolder);
        state = MainState{};
        state.logFile = kLogFolder / "Uptrail.txt";
        state.systemId = "1A2B3C4D//c:\\windows";
    }

    void PutOwn(std::string_view key, std::string_view value) {
        Setting(context.Settings(), "put", key, value);
    }
    // The stored text; an empty one reads as not stored, as the program reads it.
    std::string Own(std::string_view key) {
        const std::string stored = Setting(context.Settings(), "get", key);
        return stored.empty() ? kNotStored : stored;
    }
    std::string RunEntry(const RegistryKey& runKey = kMachineRun) const {
        const auto value = registry.Stored(runKey, "Sessiometer");
        return value ? value->data : kNotStored;
    }
    MainState& state = context.state;
};

// --- the click handlers ---

TEST_F(OptionsTest, StartWithWindowsOnStoresTheRunEntryAndEnablesTheIconOptionUnchecked) {
    state.mRightWithout.enabled = false;
    OnRightAutoClick(context);
    EXPECT_TRUE(state.mRightAuto.checked);
    EXPECT_EQ(RunEntry(), "Uptrail.exe");
    EXPECT_TRUE(StartsWithWindows(registry));
    EXPECT_TRUE(state.mRightWithout.enabled);
    EXPECT_FALSE(state.mRightWithout.checked);
}

TEST_F(OptionsTest, StartWithWindowsOffDeletesTheRunEntryAndLiftsTheIconSuppression) {
    for (const bool iconSuppressed : {true, false}) {
        SCOPED_TRACE(iconSuppressed ? "icon suppressed" : "icon shown");
        StartAfresh();
        state.mRightAuto.checked = true;
        registry.Seed(kMachineRun, "Sessiometer", {reg_type::kSz, "Uptrail.exe"});
        state.mRightWithout = {.checked = iconSuppressed, .enabled = true, .visible = false};

        OnRightAutoClick(context);

        EXPECT_FALSE(state.mRightAuto.checked);
        EXPECT_EQ(RunEntry(), kNotStored);
        EXPECT_FALSE(state.mRightWithout.checked);
        EXPECT_FALSE(state.mRightWithout.enabled);
        // Lifting the suppression runs the icon option's handler, which stores the flag.
        EXPECT_EQ(Own("HiddenIcon"), iconSuppressed ? "0" : kNotStored);
    }
}

TEST_F(OptionsTest, WithoutAdministratorRightsStartWithWindowsIsKeptForTheUser) {
    registry.DenyLocalMachineChanges();

    OnRightAutoClick(context);
    EXPECT_TRUE(state.mRightAuto.checked);
    EXPECT_EQ(RunEntry(kUserRun), "Uptrail.exe");
    EXPECT_TRUE(StartsWithWindows(registry));

    OnRightAutoClick(context);
    EXPECT_FALSE(state.mRightAuto.checked);
    EXPECT_EQ(RunEntry(kUserRun), kNotStored);
    EXPECT_FALSE(StartsWithWindows(registry));
}

TEST_F(OptionsTest, TheIconOptionIsAStoredFlagAndTheAnimatedClockLevelThreeOnAndTwoOff) {
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on ? "on" : "off");
        OnRightWithoutClick(context);
        EXPECT_EQ(state.mRightWithout.checked, on);
        EXPECT_EQ(Own("HiddenIcon"), on ? "1" : "0");

        OnRightAnimatedClick(context);
        EXPECT_EQ(state.mRightAnimated.checked, on);
        EXPECT_EQ(state.animationLevel, on ? 3 : 2);
        EXPECT_EQ(Own("Animation"), on ? "3" : "2");
    }
    EXPECT_EQ(tray.addCalls + tray.deleteCalls + tray.modifyCalls, 0) << "the icon is left alone";
}

// A refused delete still clears the flag: the shell no longer had the icon, and the timer
// may add it afresh.
TEST_F(OptionsTest, HideRemovesAShownIconAndOtherwiseOnlyClearsTheFlag) {
    const struct {
        bool shown, deleteSucceeds;
    } cases[] = {{true, true}, {true, false}, {false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "shown " << c.shown << ", ok " << c.deleteSucceeds);
        tray = FakeTrayIcon{};
        tray.succeeds = c.deleteSucceeds;
        state.iconShown = c.shown;

        OnRightHideClick(context);

        EXPECT_EQ(tray.deleteCalls, c.shown ? 1 : 0);
        EXPECT_EQ(tray.addCalls, 0);
        EXPECT_FALSE(state.iconShown);
    }
}

// --- the options at start-up ---

class StartupOptionsTest : public OptionsTest {
protected:
    // A start after the first one: the program key names this folder.
    void SeedEarlierStart() {
        registry.Seed(kProgramKey, "", {reg_type::kSz, AnsiFromPath(kProgramFolder)});
    }
    void SeedStartWithWindows() {
        registry.Seed(kMachineRun, "Sessiometer", {reg_type::kSz, "Uptrail.exe"});
    }
};

TEST_F(StartupOptionsTest, AFirstStartTurnsOnAndStoresStartWithWindowsAndTheAnimatedClock) {
    const std::optional<std::string> earlierFolders[] = {std::nullopt, "D:\\Old\\Uptrail"};
    for (const auto& earlier : earlierFolders) {
        StartAfresh();
        if (earlier) registry.Seed(kProgramKey, "", {reg_type::kSz, *earlier});
        PutOwn("HiddenIcon", "1");  // left by an earlier installation sharing the log
        PutOwn("Animation", "1");

        ApplyStoredOptions(context, kProgramFolder);

        const std::string label = earlier.value_or("no earlier start");
        EXPECT_EQ(registry.Stored(kProgramKey, "")->data, AnsiFromPath(kProgramFolder)) << label;
        EXPECT_TRUE(state.mRightAuto.checked) << label;
        EXPECT_EQ(RunEntry(), "Uptrail.exe") << label;
        EXPECT_TRUE(state.mRightAnimated.checked) << label;
        EXPECT_EQ(state.animationLevel, 3) << label;
        EXPECT_EQ(Own("Animation"), "3") << label;
        EXPECT_TRUE(state.mRightWithout.enabled) << label;
        EXPECT_FALSE(state.mRightWithout.checked) << "HiddenIcon is not read: " << label;
        EXPECT_EQ(Own("HiddenIcon"), "1") << label;
    }
}

TEST_F(StartupOptionsTest, TheAnimationLevelIsTheStoredNumberLimitedToOneToThree) {
    const struct {
        const char* stored;
        int level;
    } cases[] = {{"7", 3}, {"3", 3}, {"2", 2}, {"1", 1}, {"0", 1}, {nullptr, 1}, {"abc", 1},
                 {" 2 hands", 2}, {"99999999999999999999", 3}, {"-99999999999999999999", 1}};
    for (const auto& c : cases) {
        StartAfresh();
        SeedEarlierStart();
        if (c.stored) PutOwn("Animation", c.stored);

        ApplyStoredOptions(context, kProgramFolder);

        const char* label = c.stored ? c.stored : "missing";
        EXPECT_EQ(state.animationLevel, c.level) << label;
        EXPECT_EQ(state.mRightAnimated.checked, c.level == 3) << label;
    }
}

TEST_F(StartupOptionsTest, WithStartWithWindowsOnTheIconOptionIsTheStoredHiddenIcon) {
    const struct {
        const char* stored;
        bool suppressed;
    } cases[] = {{"1", true}, {"5", true}, {"0", false}, {nullptr, false}};
    for (const auto& c : cases) {
        StartAfresh();
        SeedEarlierStart();
        SeedStartWithWindows();
        if (c.stored) PutOwn("HiddenIcon", c.stored);

        ApplyStoredOptions(context, kProgramFolder);

        const char* label = c.stored ? c.stored : "missing";
        EXPECT_TRUE(state.mRightAuto.checked) << label;
        EXPECT_TRUE(state.mRightWithout.enabled) << label;
        EXPECT_EQ(state.mRightWithout.checked, c.suppressed) << label;
    }
}

TEST_F(StartupOptionsTest, WithStartWithWindowsOffTheIconOptionIsCheckedDisabledAndStored) {
    const struct {
        const char* runEntry;
        const char* storedHiddenIcon;
    } cases[] = {
        {nullptr, "0"},
        {nullptr, nullptr},
        {"C:\\Other\\Uptrail.exe", "0"},  // the entry starts some other file
    };
    for (const auto& c : cases) {
        StartAfresh();
        SeedEarlierStart();
        if (c.runEntry) registry.Seed(kMachineRun, "Sessiometer", {reg_type::kSz, c.runEntry});
        if (c.storedHiddenIcon) PutOwn("HiddenIcon", c.storedHiddenIcon);

        ApplyStoredOptions(context, kProgramFolder);

        const std::string label = c.runEntry ? c.runEntry : "no Run entry";
        EXPECT_FALSE(state.mRightAuto.checked) << label;
        EXPECT_FALSE(state.mRightWithout.enabled) << label;
        EXPECT_TRUE(state.mRightWithout.checked) << label;
        EXPECT_EQ(Own("HiddenIcon"), "1") << label;
    }
}

}  // namespace
}  // namespace uptrail
