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
const std::string kEntries =
    "2026:01:01:00:00:00=2026:01:01:01:00:00=0=A\r\n2026:01:02:00:00:00=2026:01:02:01:00:00=2=A";
const std::string kTwoEntries = "[Common]\r\nLastWin=A\r\n[Log]\r\n" + kEntries + "\r\n";
const std::string kEmptied = "[Common]\r\nLastWin=A\r\n[Log]\r\n";

MemoryFileSystem FilesWithLog(std::uint32_t attributes = kReadOnlySystem) {
    MemoryFileSystem files;
    files.AddFolder("C:/Logs");
    files.AddFile(kLog, kTwoEntries, attributes);
    return files;
}

TEST(SectionFile, SaveReplacesTheSectionAndKeepsTheAttributesAsTheyWere) {
    for (const std::uint32_t attributes :
         {kReadOnlySystem, std::uint32_t{file_attr::kHidden | file_attr::kArchive}}) {
        auto files = FilesWithLog(attributes);
        ASSERT_EQ(SaveSection(files, kLog, "Log", ""), kOk);
        EXPECT_EQ(files.Contents(kLog), kEmptied);
        EXPECT_EQ(files.Attributes(kLog), attributes);
    }
}

TEST(SectionFile, SaveNeverCreatesAFile) {
    MemoryFileSystem files;
    files.AddFolder("C:/Logs");
    EXPECT_EQ(SaveSection(files, kLog, "Log", "e=1=0=A"), kOk);
    EXPECT_EQ(SaveSection(files, "", "Log", "e=1=0=A"), kOk);
    EXPECT_EQ(files.FileCount(), 0u);
}

TEST(SectionFile, ALockedFileIsReportedAndLeftAsItWas) {
    auto files = FilesWithLog();
    files.LockFile(kLog, kErrorSharingViolation);
    EXPECT_EQ(SaveSection(files, kLog, "Log", ""), kErrorSharingViolation);
    EXPECT_EQ(LoadSection(files, kLog, "Log").error, kErrorSharingViolation);
    files.LockFile(kLog, kOk);
    EXPECT_EQ(files.Contents(kLog), kTwoEntries);
    EXPECT_EQ(files.Attributes(kLog), kReadOnlySystem);
}

TEST(SectionFile, ACrashDuringASaveLeavesTheOldFileOrTheNewOne) {
    for (int step = 1; step <= 8; ++step) {
        SCOPED_TRACE("crash in step " + std::to_string(step));
        auto files = FilesWithLog();
        files.InjectFault(step, MemoryFileSystem::Fault::kCrash);
        try {
            SaveSection(files, kLog, "Log", "");
        } catch (const SimulatedCrash&) {
        }
        const std::string& contents = files.Contents(kLog);
        EXPECT_TRUE(contents == kTwoEntries || contents == kEmptied) << contents;
    }
}

TEST(SectionFile, LoadReadsTheSectionAndAMissingFileReadsAsEmpty) {
    auto files = FilesWithLog();
    const auto loaded = LoadSection(files, kLog, "Log");
    EXPECT_EQ(loaded.error, kOk);
    EXPECT_EQ(loaded.text, kEntries);
    const auto missing = LoadSection(files, "C:/Logs/None.txt", "Log");
    EXPECT_EQ(missing.error, kOk);
    EXPECT_EQ(missing.text, "");
}

TEST(FileChecks, TellFilesFromFoldersAndNeverFail) {
    auto files = FilesWithLog();
    const struct {
        const char* path;
        bool file, folder;
    } cases[] = {{"C:/Logs/Uptrail.txt", true, false}, {"C:/Logs", false, true},
                 {"", false, false}, {"C:/Logs/none.txt", false, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(FileExists(files, c.path), c.file) << c.path;
        EXPECT_EQ(FolderExists(files, c.path), c.folder) << c.path;
    }
}

}  // namespace
}  // namespace uptrail
