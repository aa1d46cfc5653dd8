#include "app/log_location.h"

#include <gtest/gtest.h>

#include "platform/text_encoding.h"
#include "support/fake_platform.h"
#include "support/memory_file_system.h"
#include "support/memory_registry.h"

namespace uptrail {
namespace {

using testing::FakeSystemInfo;
using testing::MemoryFileSystem;
using testing::MemoryRegistry;

const RegistryKey kProgramKey{RegistryRoot::kLocalMachine, "SOFTWARE\\Tamsk\\Uptrail",
                              RegistryView::k64Bit};
const std::filesystem::path kProgramFolder = PathFromAnsi("C:\\Program Files\\Uptrail");
const std::filesystem::path kProgramData = PathFromAnsi("C:\\ProgramData");
const std::filesystem::path kDataLogFolder = kProgramData / "Tamsk" / "Uptrail";

class ResolveLogFolderTest : public ::testing::Test {
protected:
    ResolveLogFolderTest() {
        system.programFolder = kProgramFolder;
        system.programDataFolder = kProgramData;
        files.AddFolder(kProgramFolder);
        files.AddFolder(kProgramData);
    }

    std::string StoredLogFolder() const {
        const auto value = registry.Stored(kProgramKey, "LogFolder");
        return value ? value->data : "(none)";
    }

    MemoryRegistry registry;
    MemoryFileSystem files;
    FakeSystemInfo system;
};

TEST_F(ResolveLogFolderTest, AWritableProgramFolderIsUsedAndStoredWithoutALeftoverProbe) {
    EXPECT_EQ(ResolveLogFolder(registry, files, system), kProgramFolder);

    EXPECT_EQ(StoredLogFolder(), AnsiFromPath(kProgramFolder));
    EXPECT_EQ(files.FileCount(), 0u) << "the probe file was not removed";
    EXPECT_FALSE(files.FolderExistsNow(kDataLogFolder));
}

TEST_F(ResolveLogFolderTest, WithoutRightsInTheProgramFolderTheDataFolderIsCreatedAndStored) {
    files.DenyWritesIn(kProgramFolder);

    EXPECT_EQ(ResolveLogFolder(registry, files, system), kDataLogFolder);

    EXPECT_TRUE(files.FolderExistsNow(kProgramData / "Tamsk"));
    EXPECT_TRUE(files.FolderExistsNow(kDataLogFolder));
    EXPECT_EQ(StoredLogFolder(), AnsiFromPath(kDataLogFolder));
}

TEST_F(ResolveLogFolderTest, AStandardUsersFolderIsKeptUnderTheCurrentUserAndFoundAgain) {
    registry.DenyLocalMachineChanges();
    files.DenyWritesIn(kProgramFolder);

    ASSERT_EQ(ResolveLogFolder(registry, files, system), kDataLogFolder);

    MemoryFileSystem laterStart;
    laterStart.AddFolder(kProgramFolder);
    EXPECT_EQ(ResolveLogFolder(registry, laterStart, system), kDataLogFolder);
    EXPECT_FALSE(registry.Stored(kProgramKey, "LogFolder"));
}

// Even where the program folder has become writable since.
TEST_F(ResolveLogFolderTest, AStoredFolderIsKeptAsItIsWithoutProbingOrRewriting) {
    registry.Seed(kProgramKey, "LogFolder", {reg_type::kSz, "D:\\Shared Logs"});

    EXPECT_EQ(ResolveLogFolder(registry, files, system), PathFromAnsi("D:\\Shared Logs"));

    EXPECT_EQ(files.StepsTaken(), 0) << "no probe, no folder created";
    EXPECT_EQ(registry.SetValueCalls(), 0);
}

TEST_F(ResolveLogFolderTest, ATrailingBackslashStillGivesAProperLogFile) {
    const struct {
        const char* stored;
        const char* folder;
    } cases[] = {
        {"D:\\Logs\\", "D:\\Logs"},
        {"D:\\Logs\\\\", "D:\\Logs"},
        {"D:\\", "D:\\"},  // "D:" alone would be the current folder of drive D:
    };
    for (const auto& c : cases) {
        registry.Seed(kProgramKey, "LogFolder", {reg_type::kSz, c.stored});

        const auto folder = ResolveLogFolder(registry, files, system);

        EXPECT_EQ(LogFileIn(folder), LogFileIn(PathFromAnsi(c.folder))) << c.stored;
        EXPECT_EQ(StoredLogFolder(), c.folder) << c.stored;
    }
}

TEST(CreateFolderPath, CreatesEveryMissingLevelOrReportsTheOneThatFails) {
    MemoryFileSystem files;
    files.AddFolder("base");
    files.AddFolder("locked");
    files.DenyWritesIn("locked");
    const std::filesystem::path deep = std::filesystem::path("base") / "a" / "b" / "c";

    EXPECT_EQ(CreateFolderPath(files, deep), kOk);
    EXPECT_TRUE(files.FolderExistsNow(deep));
    EXPECT_EQ(CreateFolderPath(files, deep), kOk) << "an existing folder is fine";
    EXPECT_EQ(CreateFolderPath(files, std::filesystem::path("locked") / "a" / "b"),
              kErrorAccessDenied);
}

}  // namespace
}  // namespace uptrail
