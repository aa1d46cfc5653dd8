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

TEST(ReplaceFileContents, WritesTheNewBytesAndKeepsReadOnlyAndSystem) {
    auto files = LogFolderWithOldLog();
    ASSERT_EQ(ReplaceFileContents(files, kLog, kNew), kOk);
    EXPECT_EQ(files.Contents(kLog), kNew);
    EXPECT_EQ(files.Attributes(kLog), kReadOnlySystem);
    EXPECT_EQ(files.FileCount(), 1u) << "the temporary file must be gone";

    MemoryFileSystem empty;
    empty.AddFolder("C:/Logs");
    EXPECT_EQ(ReplaceFileContents(empty, kLog, kNew), kOk) << "a missing file is created";
    EXPECT_EQ(empty.Contents(kLog), kNew);
    EXPECT_EQ(ReplaceFileContents(empty, "C:/Missing/Uptrail.txt", kNew), kErrorPathNotFound);
    EXPECT_EQ(empty.FileCount(), 1u);
}

// Whichever step fails or loses power, the file holds its old bytes or its new ones; a
// reported failure leaves the old file with its attributes.
TEST(ReplaceFileContents, AFaultAtAnyStepLeavesTheOldOrTheNewFileByteForByte) {
    auto once = LogFolderWithOldLog();
    ASSERT_EQ(ReplaceFileContents(once, kLog, kNew), kOk);
    const int steps = once.StepsTaken();
    ASSERT_GE(steps, 4);
    int crashesThatKeptTheOld = 0;
    int crashesThatKeptTheNew = 0;
    for (int step = 1; step <= steps; ++step) {
        for (const auto fault : {MemoryFileSystem::Fault::kFail, MemoryFileSystem::Fault::kCrash}) {
            const bool crash = fault == MemoryFileSystem::Fault::kCrash;
            SCOPED_TRACE((crash ? "crash in step " : "failure in step ") + std::to_string(step));
            auto files = LogFolderWithOldLog();
            files.InjectFault(step, fault);
            OsError error = kOk;
            if (crash) {
                EXPECT_THROW(ReplaceFileContents(files, kLog, kNew), SimulatedCrash);
            } else {
                error = ReplaceFileContents(files, kLog, kNew);
            }
            const std::string& contents = files.Contents(kLog);
            EXPECT_TRUE(contents == kOld || contents == kNew) << "file holds: " << contents;
            if (!crash) {
                EXPECT_EQ(contents, error == kOk ? kNew : kOld);
                EXPECT_EQ(files.Attributes(kLog), kReadOnlySystem);
            }
            crashesThatKeptTheOld += crash && contents == kOld;
            crashesThatKeptTheNew += crash && contents == kNew;
        }
    }
    // Both sides of the replace were really exercised.
    EXPECT_GT(crashesThatKeptTheOld, 0);
    EXPECT_GT(crashesThatKeptTheNew, 0);
}

TEST(ReplaceFileContents, AFileWhoseAttributesCannotBeLiftedKeepsItsContentsAfterASecond) {
    auto files = LogFolderWithOldLog();
    files.IgnoreAttributeChanges();
    EXPECT_NE(SetAttributesAndWait(files, kLog, file_attr::kArchive), kOk);
    EXPECT_GE(files.PauseCount(), 10);
    EXPECT_LE(files.PauseCount(), 25);

    EXPECT_NE(ReplaceFileContents(files, kLog, kNew), kOk);
    EXPECT_EQ(files.Contents(kLog), kOld);
    EXPECT_EQ(files.FileCount(), 1u);
}

}  // namespace
}  // namespace uptrail
