#include <gtest/gtest.h>

#include "support/memory_file_system.h"
#include "storage/file_checks.h"
#include "storage/section_file.h"

namespace uptrail {
namespace {

using testing::MemoryFileSystem;
using testing::SimulatedCrash;

const std::filesystem::path kLog = "C:/Logs/Uptrail.txt";
constexpr std::uint32_t kReadOnlySystem = file_attr::kReadOnly | file_attr::kSystem;
const std::string kTwoEntries =
    "[Common]\r\nLastWin=A\r\n[Log]\r\n2026:01:01:00:00:00=2026:01:01:01:00:00=0=A\r\n"
    "2026:01:02:00:00:00=2026:01:02:01:00:00=2=A\r\n";

MemoryFileSystem FilesWithLog(const std::string& contents, std::uint32_t attributes) {
    MemoryFileSystem files;
    files.AddFolder("C:/Logs");
    files.AddFile(kLog, contents, attributes);
    return files;
}

TEST(SectionFile, SaveReplacesTheSectionAndPutsBackReadOnlyAndSystem) {
    auto files = FilesWithLog(kTwoEntries, kReadOnlySystem);
    ASSERT_EQ(SaveSection(files, kLog, "Log", ""), kOk);
    EXPECT_EQ(files.Contents(kLog), "[Common]\r\nLastWin=A\r\n[Log]\r\n");
    EXPECT_EQ(files.Attributes(kLog), kReadOnlySystem);
}

TEST(SectionFile, SaveKeepsHiddenAndArchiveAsTheyWere) {
    const std::uint32_t attributes = file_attr::kHidden | file_attr::kArchive;
    auto files = FilesWithLog(kTwoEntries, attributes);
    ASSERT_EQ(SaveSection(files, kLog, "Alarm", "x", "\r\n"), kOk);
    EXPECT_EQ(files.Attributes(kLog), attributes);
}

TEST(SectionFile, SaveNeverCreatesAFile) {
    MemoryFileSystem files;
    files.AddFolder("C:/Logs");
    EXPECT_EQ(SaveSection(files, kLog, "Log", "e=1=0=A"), kOk);
    EXPECT_FALSE(files.Exists(kLog));
    EXPECT_EQ(SaveSection(files, "", "Log", "e=1=0=A"), kOk);
    EXPECT_EQ(files.FileCount(), 0u);
}

TEST(SectionFile, ALockedFileIsReportedAndLeftAsItWas) {
    auto files = FilesWithLog(kTwoEntries, kReadOnlySystem);
    files.LockFile(kLog, kErrorSharingViolation);
    EXPECT_EQ(SaveSection(files, kLog, "Log", ""), kErrorSharingViolation);
    EXPECT_EQ(LoadSection(files, kLog, "Log").error, kErrorSharingViolation);
    files.LockFile(kLog, kOk);
    EXPECT_EQ(files.Contents(kLog), kTwoEntries);
    EXPECT_EQ(files.Attributes(kLog), kReadOnlySystem);
}

TEST(SectionFile, ACrashDuringASaveLeavesTheOldFileOrTheNewOne) {
    const std::string saved = "[Common]\r\nLastWin=A\r\n[Log]\r\n";
    for (int step = 1; step <= 8; ++step) {
        SCOPED_TRACE("crash in step " + std::to_string(step));
        auto files = FilesWithLog(kTwoEntries, kReadOnlySystem);
        files.InjectFault(step, MemoryFileSystem::Fault::kCrash);
        try {
            SaveSection(files, kLog, "Log", "");
        } catch (const SimulatedCrash&) {
        }
        const std::string& contents = files.Contents(kLog);
        EXPECT_TRUE(contents == kTwoEntries || contents == saved) << contents;
    }
}

TEST(SectionFile, LoadReadsTheSectionAndAMissingFileReadsAsEmpty) {
    auto files = FilesWithLog(kTwoEntries, kReadOnlySystem);
    const auto loaded = LoadSection(files, kLog, "Log");
    EXPECT_EQ(loaded.error, kOk);
    EXPECT_EQ(loaded.text,
              "2026:01:01:00:00:00=2026:01:01:01:00:00=0=A\r\n"
              "2026:01:02:00:00:00=2026:01:02:01:00:00=2=A");
    const auto missing = LoadSection(files, "C:/Logs/None.txt", "Log");
    EXPECT_EQ(missing.error, kOk);
    EXPECT_EQ(missing.text, "");
}

TEST(FileChecks, TellFilesFromFoldersAndNeverFail) {
    auto files = FilesWithLog(kTwoEntries, kReadOnlySystem);
    EXPECT_TRUE(FileExists(files, kLog));
    EXPECT_FALSE(FolderExists(files, kLog));
    EXPECT_TRUE(FolderExists(files, "C:/Logs"));
    EXPECT_FALSE(FileExists(files, "C:/Logs"));
    EXPECT_FALSE(FileExists(files, ""));
    EXPECT_FALSE(FolderExists(files, ""));
    EXPECT_FALSE(FileExists(files, "C:/Logs/none.txt"));
}

}  // namespace
}  // namespace uptrail
