#include "storage/profile_file.h"

#include <gtest/gtest.h>

#include <string>

#include "support/memory_file_system.h"

namespace uptrail {
namespace {

using testing::MemoryFileSystem;
using testing::SimulatedCrash;

constexpr std::uint32_t kReadOnlySystem = file_attr::kReadOnly | file_attr::kSystem;

class ProfileFileTest : public ::testing::Test {
protected:
    ProfileFileTest() { files.AddFolder(folder); }

    std::string Read(std::string_view key, std::string_view defaultValue = {}) {
        return ReadProfile(files, log, "Log", key, defaultValue);
    }
    OsError Write(std::string_view key, std::string_view value) {
        return WriteProfile(files, log, "Log", key, value);
    }

    MemoryFileSystem files;
    const std::filesystem::path folder = "/data";
    const std::filesystem::path log = folder / "Uptrail.txt";
};

TEST_F(ProfileFileTest, ReadsTheDefaultWithoutItsBlanksForAMissingOrUnreadableFileOrKey) {
    EXPECT_EQ(Read("LastStart", "  fallback  "), "fallback") << "no file";
    files.AddFile(log, "[Log]\r\nLastStop=1\r\n");
    EXPECT_EQ(Read("LastStart", "  fallback  "), "fallback") << "another key";
    EXPECT_EQ(ReadProfile(files, folder, "Log", "LastStop", "fallback"), "fallback") << "folder";
    files.LockFile(log, kErrorSharingViolation);
    EXPECT_EQ(Read("LastStop", "fallback"), "fallback") << "locked";
}

TEST_F(ProfileFileTest, TrimsTheBlanksInFrontOfAValueButNotThoseBehindIt) {
    // The zero that ends the value shields the blanks behind it from the buffer trim.
    files.AddFile(log, "[Log]\r\nQuoted=\"  x  \"\r\nBlanks=\"     \"\r\n");
    EXPECT_EQ(Read("Quoted"), "x  ");
    EXPECT_EQ(Read("Blanks", "fallback"), "");
}

TEST_F(ProfileFileTest, CreatesAMissingFileAndOtherwiseChangesOnlyTheValue) {
    EXPECT_EQ(WriteProfile(files, "", "Log", "LastStart", "1"), kOk) << "no file name";
    EXPECT_EQ(files.StepsTaken(), 0);
    EXPECT_EQ(Write("LastStart", "2024-05-01 08:00:00"), kOk);
    EXPECT_EQ(files.Contents(log), "[Log]\r\nLastStart=2024-05-01 08:00:00\r\n");

    files.AddFile(log, "; kept\r\n[Log]\r\nLastStart = old \r\nOther=1\r\n\r\n[Alarm]\nx=1\n");
    EXPECT_EQ(WriteProfile(files, log, "log", "laststart", "new"), kOk);
    EXPECT_EQ(files.Contents(log),
              "; kept\r\n[Log]\r\nLastStart = new \r\nOther=1\r\n\r\n[Alarm]\nx=1\n");
}

TEST_F(ProfileFileTest, DoesNotWriteAValueEqualToTheStoredOneButComparesWithRegardToCase) {
    const std::string original = "[Log]\r\nLastStart=  \"same\"  \r\n";
    files.AddFile(log, original, kReadOnlySystem);
    EXPECT_EQ(Write("LastStart", "same"), kOk);
    EXPECT_EQ(files.StepsTaken(), 0) << "the file was touched";
    EXPECT_EQ(files.Contents(log), original);

    EXPECT_EQ(Write("LastStart", "SAME"), kOk);
    EXPECT_EQ(files.Contents(log), "[Log]\r\nLastStart=  SAME  \r\n");
}

// Even over an empty value: that write turns a missing key into an empty one.
TEST_F(ProfileFileTest, WritesAnEmptyValueAsOneBlankThatReadsEmpty) {
    for (const std::string stored : {"1", ""}) {
        SCOPED_TRACE("stored value \"" + stored + "\"");
        files.AddFile(log, "[Log]\r\nLastStart=" + stored + "\r\n");
        EXPECT_EQ(Write("LastStart", ""), kOk);
        EXPECT_EQ(files.Contents(log), "[Log]\r\nLastStart= \r\n");
        EXPECT_EQ(Read("LastStart", "fallback"), "");
    }
}

TEST_F(ProfileFileTest, ReportsALockedFileAndLeavesItAlone) {
    files.AddFile(log, "[Log]\r\nLastStart=1\r\n", kReadOnlySystem);
    files.LockFile(log, kErrorSharingViolation);
    EXPECT_EQ(Write("LastStart", "2"), kErrorSharingViolation);
    EXPECT_EQ(files.StepsTaken(), 0) << "a file that cannot be read must not be rewritten";
}

// Whatever step of a write fails or loses power, the file holds its old bytes or its new
// ones, never a mix or a part.
TEST_F(ProfileFileTest, LeavesTheOldOrTheNewFileWhereverTheWriteStops) {
    const std::string original = "[Log]\r\nLastStart=1\r\n\r\n[Alarm]\r\n08:00~Wake\r\n";
    const std::string updated =
        "[Log]\r\nLastStart=1\r\nLastStop=2\r\n\r\n[Alarm]\r\n08:00~Wake\r\n";
    // Read-only, so the write also takes the steps that lift and restore the attributes.
    files.AddFile(log, original, kReadOnlySystem);
    ASSERT_EQ(Write("LastStop", "2"), kOk);
    ASSERT_EQ(files.Contents(log), updated);
    const int steps = files.StepsTaken();
    ASSERT_GE(steps, 2) << "a replace takes a temporary file and a move";

    for (int step = 1; step <= steps; ++step) {
        for (const auto fault : {MemoryFileSystem::Fault::kFail, MemoryFileSystem::Fault::kCrash}) {
            SCOPED_TRACE(::testing::Message()
                         << "step " << step
                         << (fault == MemoryFileSystem::Fault::kCrash ? ", crash" : ", failure"));
            MemoryFileSystem broken;
            broken.AddFolder(folder);
            broken.AddFile(log, original, kReadOnlySystem);
            broken.InjectFault(step, fault);
            // A write that did not happen must not pass for one that did.
            bool failed = true;
            try {
                failed = WriteProfile(broken, log, "Log", "LastStop", "2") != kOk;
            } catch (const SimulatedCrash&) {
            }
            const std::string& contents = broken.Contents(log);
            EXPECT_TRUE(contents == updated || (contents == original && failed))
                << ::testing::PrintToString(contents);
        }
    }
}

}  // namespace
}  // namespace uptrail
