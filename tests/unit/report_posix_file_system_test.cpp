// The file system the report and the benchmarks use off Windows; Windows has its own.
#ifndef _WIN32
#include "report/posix_file_system.h"

#include <gtest/gtest.h>
#include <unistd.h>


#include "report/plain_locale.h"
#include "report/report_run.h"
#include "sessionlog/session_log.h"
#include "storage/atomic_file.h"
#include "storage/profile_file.h"

namespace uptrail {
namespace {

class PosixFileSystemTest : public ::testing::Test {
protected:
    PosixFileSystemTest()
        : folder_(std::filesystem::temp_directory_path() /
                  ("uptrail-posix-test-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(folder_);
    }
    ~PosixFileSystemTest() override {
        std::error_code ignored;
        std::filesystem::permissions(log, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(folder_, ignored);
    }

    std::string Read(const std::filesystem::path& path) {
        std::string contents;
        EXPECT_EQ(files.ReadWholeFile(path, contents), kOk) << path;
        return contents;
    }

    std::filesystem::path folder_;
    std::filesystem::path log = folder_ / "Uptrail.txt";
    PosixFileSystem files;
};

// The log file is read-only plus system after every write; a rewrite lifts both for its
// one-step replace and puts them back, as on Windows.
TEST_F(PosixFileSystemTest, RewritesAProtectedLogInOneStepAndProtectsItAgain) {
    ASSERT_EQ(files.WriteNewFile(log, "[Common]\r\nCurStroke=2026:12:04:08:00:00\r\n"), kOk);
    ASSERT_EQ(ProtectLogFile(files, log), kOk);
    EXPECT_EQ(files.GetAttributes(log), kLogFileAttributes);

    ASSERT_EQ(WriteProfile(files, log, "Common", "CurStroke", "2026:12:04:08:00:30"), kOk);
    EXPECT_EQ(Read(log), "[Common]\r\nCurStroke=2026:12:04:08:00:30\r\n");
    EXPECT_EQ(files.GetAttributes(log), kLogFileAttributes);
    EXPECT_FALSE(files.GetAttributes(TemporaryPathFor(log)));

    // The permission is the file's own: another instance sees read-only, not system.
    PosixFileSystem other;
    EXPECT_EQ(other.GetAttributes(log), file_attr::kReadOnly);
    EXPECT_EQ(other.GetAttributes(folder_), file_attr::kDirectory);
}

// Windows refuses to overwrite or replace a read-only file, whoever asks, and the core's
// atomic replace relies on that; even a process running as root is refused here.
TEST_F(PosixFileSystemTest, AReadOnlyFileIsNeitherOverwrittenNorReplaced) {
    const std::filesystem::path newer = folder_ / "newer.txt";
    ASSERT_EQ(files.WriteNewFile(log, "old"), kOk);
    ASSERT_EQ(files.WriteNewFile(newer, "new"), kOk);
    ASSERT_EQ(files.SetAttributes(log, file_attr::kReadOnly), kOk);

    EXPECT_EQ(files.WriteNewFile(log, "new"), kErrorAccessDenied);
    EXPECT_EQ(files.MoveOver(newer, log), kErrorAccessDenied);
    EXPECT_EQ(Read(log), "old");

    ASSERT_EQ(files.SetAttributes(log, 0), kOk);
    EXPECT_EQ(files.GetAttributes(log), file_attr::kNormal);
    EXPECT_EQ(files.MoveOver(newer, log), kOk);
    EXPECT_EQ(Read(log), "new");
    EXPECT_FALSE(files.GetAttributes(newer));
}

TEST_F(PosixFileSystemTest, ReportsFailuresWithTheWindowsErrorCodes) {
    std::string contents = "left over";
    EXPECT_EQ(files.ReadWholeFile(folder_ / "none.txt", contents), kErrorFileNotFound);
    EXPECT_EQ(contents, "");
    EXPECT_EQ(files.ReadWholeFile(folder_ / "none" / "Uptrail.txt", contents), kErrorPathNotFound);
    EXPECT_EQ(files.ReadWholeFile(folder_, contents), kErrorAccessDenied);
    EXPECT_EQ(files.WriteNewFile(folder_ / "none" / "Uptrail.txt", "x"), kErrorPathNotFound);
    EXPECT_EQ(files.RemoveFile(folder_ / "none.txt"), kErrorFileNotFound);
    EXPECT_EQ(files.SetAttributes(folder_ / "none.txt", 0), kErrorFileNotFound);

    EXPECT_EQ(files.CreateFolder(folder_ / "Tamsk"), kOk);
    EXPECT_EQ(files.CreateFolder(folder_ / "Tamsk"), kOk);
    EXPECT_EQ(files.CreateFolder(folder_ / "a" / "b"), kErrorPathNotFound);
    ASSERT_EQ(files.WriteNewFile(log, "x"), kOk);
    EXPECT_NE(files.CreateFolder(log), kOk);

    // A copy keeps the source's attributes.
    ASSERT_EQ(files.SetAttributes(log, kLogFileAttributes), kOk);
    ASSERT_EQ(files.CopyWholeFile(log, folder_ / "copy.txt"), kOk);
    EXPECT_EQ(files.GetAttributes(folder_ / "copy.txt"), kLogFileAttributes);
    EXPECT_EQ(Read(folder_ / "copy.txt"), "x");
    files.SetAttributes(folder_ / "copy.txt", 0);
}

// The report maps the log rather than copying it; what it reads, and what keeps it from
// reading, must be what ReadWholeFile gives.
TEST_F(PosixFileSystemTest, MapsAFileAsReadWholeFileReadsIt) {
    const std::filesystem::path empty = folder_ / "empty.txt";
    ASSERT_EQ(files.WriteNewFile(log, "[Log]\r\n2026:12:04:08:00:00=2026:12:04:09:00:00=0=A\r\n"), kOk);
    ASSERT_EQ(files.WriteNewFile(empty, ""), kOk);
    for (const auto& path : {log, empty, folder_ / "none.txt", folder_ / "none" / "x.txt", folder_}) {
        std::string contents;
        const OsError read = files.ReadWholeFile(path, contents);
        FileBytes bytes;
        EXPECT_EQ(files.MapWholeFile(path, bytes), read) << path;
        const FileBytes moved = std::move(bytes);
        EXPECT_EQ(moved.Text(), contents) << path;
    }

    // The whole report, through the mapping and through a copy.
    PlainLocale locale;
    ReportEnvironment environment{files, locale, {}, {}, {}, {}, {}, {}, {}};
    std::vector<std::string> outputs;
    for (const bool mapped : {false, true}) {
        if (mapped)
            environment.mapFile = [&](const std::filesystem::path& path, FileBytes& bytes) {
                return files.MapWholeFile(path, bytes);
            };
        for (const auto& path : {log, folder_ / "none.txt"}) {
            const std::string logArgument = "--log=" + path.string();
            const std::vector<CommandArgument> arguments{
                {logArgument, logArgument}, {"--boot-time=2026:12:05:08:00:00", {}}};
            std::string out;
            std::string err;
            const int status = RunReport(arguments, environment, out, err);
            outputs.push_back(std::to_string(status) + out + err);
        }
    }
    EXPECT_EQ(outputs[0], outputs[2]);
    EXPECT_EQ(outputs[1], outputs[3]);
    EXPECT_NE(outputs[0].find("[Dec 04, 08:00 - Dec 04, 09:00]"), std::string::npos) << outputs[0];
}

}  // namespace
}  // namespace uptrail
#endif
