#include "storage/settings_store.h"

#include <gtest/gtest.h>

#include <string>

#include "support/memory_file_system.h"
#include "support/memory_registry.h"

namespace uptrail {
namespace {

using testing::MemoryFileSystem;
using testing::MemoryRegistry;

const std::filesystem::path kLogFolder = "logs";
const std::filesystem::path kLogFile = kLogFolder / "Uptrail.txt";
const std::string kOwnSystem = "1A2B3C4D//c:\\windows";
const std::string kOtherSystem = "5E6F7A8B//d:\\windows";
const RegistryKey kProgramKey{RegistryRoot::kLocalMachine, "SOFTWARE\\Tamsk\\Uptrail",
                              RegistryView::k64Bit};

class SettingTest : public ::testing::Test {
protected:
    SettingTest() { files.AddFolder(kLogFolder); }

    SettingsStore StoreOf(const std::string& systemId) {
        return SettingsStore{files, registry, kLogFile, systemId};
    }

    MemoryFileSystem files;
    MemoryRegistry registry;
    SettingsStore own = StoreOf(kOwnSystem);
};

TEST_F(SettingTest, AValueNeverWrittenReadsEmptyFromEveryStore) {
    files.AddFile(kLogFile, "[Common]\r\nLastWin=" + kOtherSystem + "\r\n[" + kOwnSystem +
                                "]\r\nListMode=1\r\n");
    registry.Seed(kProgramKey, "LogFolder", {reg_type::kSz, "D:\\Logs"});
    for (const char* section : {"", "Common", "Registry"}) {
        EXPECT_EQ(Setting(own, "get", "LastStart", "", section), "") << section;
    }
}

TEST_F(SettingTest, AnEmptySectionIsTheRunningInstallationsOwnSection) {
    Setting(own, "put", "LastStart", "2026:12:04:08:03:07");

    EXPECT_EQ(Setting(own, "get", "LastStart"), "2026:12:04:08:03:07");
    EXPECT_EQ(Setting(own, "get", "LastStart", "", kOwnSystem), "2026:12:04:08:03:07");

    const SettingsStore other = StoreOf(kOtherSystem);
    EXPECT_EQ(Setting(other, "get", "LastStart"), "")
        << "another installation sharing the log file has a section of its own";
    EXPECT_EQ(Setting(other, "get", "LastStart", "", kOwnSystem), "2026:12:04:08:03:07");
}

TEST_F(SettingTest, TheRegistrySectionIsTheProgramsKeyAndLeavesTheLogFileAlone) {
    Setting(own, "put", "CurStroke", "2026:12:04:08:03:37", "Registry");

    const auto stroke = registry.Stored(kProgramKey, "CurStroke");
    ASSERT_TRUE(stroke);
    EXPECT_EQ(stroke->type, reg_type::kSz);
    EXPECT_EQ(stroke->data, "2026:12:04:08:03:37");
    EXPECT_EQ(Setting(own, "get", "CurStroke", "", "Registry"), "2026:12:04:08:03:37");
    EXPECT_FALSE(files.Exists(kLogFile));
}

TEST_F(SettingTest, OnlyTheExactSectionNameRegistryMeansTheRegistry) {
    for (const char* section : {"registry", "REGISTRY"}) {
        Setting(own, "put", "CurStroke", section, section);
        EXPECT_EQ(Setting(own, "get", "CurStroke", "", section), section);
    }
    for (const char* section : {"Registry ", " Registry"})
        Setting(own, "put", "CurStroke", section, section);

    EXPECT_FALSE(registry.KeyExists(kProgramKey));
    EXPECT_EQ(Setting(own, "get", "CurStroke", "", "Registry"), "");
    EXPECT_TRUE(files.Exists(kLogFile));
}

TEST_F(SettingTest, PutGivesAnEmptyTextAndGetIgnoresTheValueArgument) {
    EXPECT_EQ(Setting(own, "put", "ListMode", "1"), "");
    EXPECT_EQ(Setting(own, "put", "CurStroke", "2026:12:04:08:03:37", "Registry"), "");
    EXPECT_EQ(Setting(own, "get", "ListMode", "ignored"), "1");
    EXPECT_EQ(files.Contents(kLogFile).find("ignored"), std::string::npos);

    // A write the log file refuses is dropped quietly.
    const std::string before = files.Contents(kLogFile);
    files.LockFile(kLogFile, kErrorSharingViolation);
    EXPECT_EQ(Setting(own, "put", "ListMode", "2"), "");
    EXPECT_EQ(files.Contents(kLogFile), before);
}

TEST_F(SettingTest, AnyOtherActionDoesNothing) {
    files.AddFile(kLogFile, "[" + kOwnSystem + "]\r\nListMode=1\r\n");
    registry.Seed(kProgramKey, "CurStroke", {reg_type::kSz, "2026:12:04:08:03:37"});
    const std::string fileBefore = files.Contents(kLogFile);

    for (const char* action : {"", "Get", "put "}) {
        EXPECT_EQ(Setting(own, action, "ListMode", "2"), "") << '"' << action << '"';
        EXPECT_EQ(Setting(own, action, "CurStroke", "x", "Registry"), "")
            << '"' << action << '"';
    }
    EXPECT_EQ(files.Contents(kLogFile), fileBefore);
    EXPECT_EQ(registry.CreateKeyCalls(), 0);
    EXPECT_EQ(registry.SetValueCalls(), 0);
}

}  // namespace
}  // namespace uptrail
