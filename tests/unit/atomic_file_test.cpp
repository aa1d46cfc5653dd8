#include <gtest/gtest.h>

#include "support/memory_file_system.h"
#include "storage/atomic_file.h"

namespace uptrail {
namespace {

using testing::MemoryFileSystem;
using testing::SimulatedCrash;

const std::filesystem::path kLog = "C:/Logs/Uptrail.txt";
constexpr std::uint32_t kReadOnlySystem = file_attr::kReadOnly | file_attr::kSystem;
const std::string kOld = "[Log]\r\nold=1=0=A\r\n";
const std::string kNew = "[Log]\r\nold=1=0=A\r\nnew=2=0=A\r\n";

MemoryFileSystem LogFolderWithOldLog() {
    MemoryFileSystem files;
    files.AddFolder("C:/Logs");
    files.AddFile(kLog, kOld, kReadOnlySystem);
    return files;
}

int StepsOfOneReplace() {
    auto files = LogFolderWithOldLog();
    EXPECT_EQ(ReplaceFileContents(files, kLog, kNew), kOk);
    return files.StepsTaken();
}

TEST(ReplaceFileContents, WritesTheNewBytesAndKeepsReadOnlyAndSystem) {
    auto files = LogFolderWithOldLog();
    ASSERT_EQ(ReplaceFileContents(files, kLog, kNew), kOk);
    EXPECT_EQ(files.Contents(kLog), kNew);
    EXPECT_EQ(files.Attributes(kLog), kReadOnlySystem);
    EXPECT_EQ(files.FileCount(), 1u) << "the temporary file must be gone";
}

TEST(ReplaceFileContents, CreatesAMissingFileButNotAMissingFolder) {
    MemoryFileSystem files;
    files.AddFolder("C:/Logs");
    EXPECT_EQ(ReplaceFileContents(files, kLog, kNew), kOk);
    EXPECT_EQ(files.Contents(kLog), kNew);
    EXPECT_EQ(ReplaceFileContents(files, "C:/Missing/Uptrail.txt", kNew), kErrorPathNotFound);
    EXPECT_EQ(files.FileCount(), 1u);
}

TEST(ReplaceFileContents, AFailureAtAnyStepReportsAnErrorOrLeavesTheOldOrTheNewFile) {
    const int steps = StepsOfOneReplace();
    ASSERT_GE(steps, 4);
    for (int step = 1; step <= steps; ++step) {
        SCOPED_TRACE("failing step " + std::to_string(step));
        auto files = LogFolderWithOldLog();
        files.InjectFault(step, MemoryFileSystem::Fault::kFail);
        const OsError error = ReplaceFileContents(files, kLog, kNew);
        const std::string& contents = files.Contents(kLog);
        if (error == kOk) {
            EXPECT_EQ(contents, kNew);
        } else {
            EXPECT_EQ(contents, kOld);
            EXPECT_EQ(files.Attributes(kLog), kReadOnlySystem);
        }
        EXPECT_TRUE(contents == kOld || contents == kNew);
    }
}

TEST(ReplaceFileContents, ACrashAtAnyStepLeavesTheOldOrTheNewFileByteForByte) {
    const int steps = StepsOfOneReplace();
    int crashesThatKeptTheOld = 0;
    int crashesThatKeptTheNew = 0;
    for (int step = 1; step <= steps; ++step) {
        SCOPED_TRACE("crashing in step " + std::to_string(step));
        auto files = LogFolderWithOldLog();
        files.InjectFault(step, MemoryFileSystem::Fault::kCrash);
        EXPECT_THROW(ReplaceFileContents(files, kLog, kNew), SimulatedCrash);
        const std::string& contents = files.Contents(kLog);
        EXPECT_TRUE(contents == kOld || contents == kNew) << "file holds: " << contents;
        crashesThatKeptTheOld += contents == kOld;
        crashesThatKeptTheNew += contents == kNew;
    }
    // Both sides of the replace were really exercised.
    EXPECT_GT(crashesThatKeptTheOld, 0);
    EXPECT_GT(crashesThatKeptTheNew, 0);
}

TEST(SetAttributesAndWait, GivesUpAfterAboutASecondWhenTheChangeNeverShows) {
    auto files = LogFolderWithOldLog();
    files.IgnoreAttributeChanges();
    EXPECT_NE(SetAttributesAndWait(files, kLog, file_attr::kArchive), kOk);
    EXPECT_GE(files.PauseCount(), 10);
    EXPECT_LE(files.PauseCount(), 25);
}

TEST(ReplaceFileContents, AFileWhoseAttributesCannotBeLiftedKeepsItsContents) {
    auto files = LogFolderWithOldLog();
    files.IgnoreAttributeChanges();
    EXPECT_NE(ReplaceFileContents(files, kLog, kNew), kOk);
    EXPECT_EQ(files.Contents(kLog), kOld);
    EXPECT_EQ(files.FileCount(), 1u);
}

}  // namespace
}  // namespace uptrail
