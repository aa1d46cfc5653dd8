#include "sessionlog/session_log.h"

#include <gtest/gtest.h>

#include <string>

#include "sessionlog/timestamp.h"
#include "storage/section_file.h"
#include "support/memory_file_system.h"

namespace uptrail {
namespace {

using testing::MemoryFileSystem;
using testing::SimulatedCrash;

const std::filesystem::path kLogFolder = "logs";
const std::filesystem::path kLog = kLogFolder / "Uptrail.txt";
constexpr DateTime kBoot = MakeDateTime(2026, 12, 4, 8, 0, 0);
constexpr DateTime kNow = MakeDateTime(2026, 12, 4, 8, 1, 5);
constexpr DateTime kFirstStart = MakeDateTime(2020, 1, 1);
const std::string kCommon = "[Common]\r\nLastWin=A\r\n";

DateTime StartOf(int entry) { return kFirstStart + std::chrono::hours{entry}; }

std::string EntryLine(int entry) {
    return FormatTimestamp(StartOf(entry)) + "=" +
           FormatTimestamp(StartOf(entry) + std::chrono::minutes{30}) + "=0=A";
}

// Entries `first` to `last` - 1, each ended by CR LF.
std::string EntryLines(int first, int last) {
    std::string lines;
    for (int entry = first; entry < last; ++entry) lines += EntryLine(entry) + "\r\n";
    return lines;
}

MemoryFileSystem FilesWith(const std::string& contents,
                           std::uint32_t attributes = file_attr::kArchive) {
    MemoryFileSystem files;
    files.AddFolder(kLogFolder);
    files.AddFile(kLog, contents, attributes);
    return files;
}

TEST(TrimLog, KeepsTheNewestEntriesAndCountsStatisticsFromTheFiftiethNewest) {
    struct Case {
        const char* name;
        int entries;
        bool eraseOldest;
        int firstKept;
        int statsFromEntry;
        bool rewritten;
    };
    const Case cases[] = {
        {"49 entries", 49, false, 0, 0, false},
        {"60 entries", 60, false, 0, 10, false},
        {"one more than the start-up limit", kStartupLogLimit + 1, false, 1, 31951, true},
        {"erase oldest of 50", 50, true, 0, 0, false},
        {"erase oldest of 120", 120, true, 70, 70, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto files = FilesWith(kCommon + "[Log]\r\n" + EntryLines(0, c.entries));

        const TrimResult result = TrimLog(files, kLog, c.eraseOldest, kBoot, kNow);

        EXPECT_EQ(result.error, kOk);
        EXPECT_EQ(result.logCount, c.entries - c.firstKept);
        EXPECT_EQ(result.statsFrom, StartOf(c.statsFromEntry));
        // The emptied section leaves a blank line where its block stood.
        const std::string expected = kCommon + (c.rewritten ? "\r\n" : "") + "[Log]\r\n" +
                                     EntryLines(c.firstKept, c.entries);
        EXPECT_TRUE(files.Contents(kLog) == expected) << "the file differs";
        EXPECT_EQ(files.Attributes(kLog), c.rewritten ? kLogFileAttributes : file_attr::kArchive);
    }
}

TEST(TrimLog, ASectionWithoutEntriesIsEmptied) {
    auto files = FilesWith(kCommon + "[Log]\r\njunk\r\nno=entry\r\n[A]\r\nLastCause=0\r\n");

    const TrimResult result = TrimLog(files, kLog, false, kBoot, kNow);

    EXPECT_EQ(result.logCount, 0);
    EXPECT_EQ(result.statsFrom, kBoot);
    EXPECT_EQ(files.Contents(kLog), kCommon + "[A]\r\nLastCause=0\r\n[Log]\r\n");
    EXPECT_EQ(files.Attributes(kLog), kLogFileAttributes);
}

TEST(TrimLog, AnEmptyOrMissingLogIsLeftAlone) {
    for (const std::string& contents : {kCommon + "[Log]\r\n", kCommon}) {
        auto files = FilesWith(contents);
        const TrimResult result = TrimLog(files, kLog, true, kBoot, kNow);
        EXPECT_EQ(result.error, kOk);
        EXPECT_EQ(result.logCount, 0);
        EXPECT_EQ(result.statsFrom, kBoot);
        EXPECT_EQ(files.StepsTaken(), 0) << contents;
    }
    MemoryFileSystem noFile;
    EXPECT_EQ(TrimLog(noFile, kLog, false, kBoot, kNow).statsFrom, kBoot);
    EXPECT_EQ(noFile.FileCount(), 0u);
}

TEST(TrimLog, DropsLinesThatAreNotEntriesInOneReplaceThatEqualsTwoSectionSaves) {
    const std::string contents = kCommon + "\r\n\r\n[Log]\r\njunk\r\n" + EntryLine(0) +
                                 "\r\n2020:01:01:00:00:00=two fields\r\n" + EntryLine(1) +
                                 "\r\n\x01\xff=\x80\r\n\r\n[A]\r\nLastStart=x\r\n";
    auto files = FilesWith(contents);
    auto twoSaves = FilesWith(contents);
    ASSERT_EQ(SaveSection(twoSaves, kLog, kLogSection, ""), kOk);
    ASSERT_EQ(SaveSection(twoSaves, kLog, kLogSection, EntryLine(0) + "\r\n" + EntryLine(1)), kOk);

    const TrimResult result = TrimLog(files, kLog, false, kBoot, kNow);

    EXPECT_EQ(result.logCount, 2);
    EXPECT_EQ(result.statsFrom, StartOf(0));
    EXPECT_EQ(files.Contents(kLog), twoSaves.Contents(kLog));
    EXPECT_EQ(files.Attributes(kLog), kLogFileAttributes);
}

TEST(TrimLog, AFileThatCannotBeReadOrRewrittenKeepsEveryEntry) {
    const std::string contents = kCommon + "[Log]\r\n" + EntryLines(0, 120);
    for (const bool locked : {true, false}) {
        SCOPED_TRACE(locked ? "locked" : "write fails");
        auto files = FilesWith(contents, kLogFileAttributes);
        if (locked) files.LockFile(kLog, kErrorSharingViolation);
        if (!locked) files.InjectFault(1, MemoryFileSystem::Fault::kFail);
        const TrimResult result = TrimLog(files, kLog, true, kBoot, kNow);
        EXPECT_EQ(result.error, locked ? kErrorSharingViolation : kErrorWriteFault);
        EXPECT_EQ(files.Contents(kLog), contents);
        EXPECT_EQ(files.Attributes(kLog), kLogFileAttributes);
        // A file read but not rewritten still counts as it stands, so Erase Oldest Data
        // stays on offer.
        EXPECT_EQ(result.logCount, locked ? 0 : 120);
        EXPECT_EQ(result.statsFrom, locked ? kBoot : StartOf(70));
    }
}

TEST(TrimLog, ACrashAtAnyStepLeavesTheOldLogOrTheTrimmedOne) {
    const std::string before = kCommon + "[Log]\r\n" + EntryLines(0, 120);
    const std::string after = kCommon + "\r\n[Log]\r\n" + EntryLines(70, 120);
    for (int step = 1; step <= 8; ++step) {
        SCOPED_TRACE("crash in step " + std::to_string(step));
        auto files = FilesWith(before, kLogFileAttributes);
        files.InjectFault(step, MemoryFileSystem::Fault::kCrash);
        try {
            TrimLog(files, kLog, true, kBoot, kNow);
        } catch (const SimulatedCrash&) {
        }
        const std::string& contents = files.Contents(kLog);
        EXPECT_TRUE(contents == before || contents == after);
    }
}

TEST(SessionLog, AnAddedEntryEndsTheSectionAndTheFileIsProtectedAgain) {
    auto files = FilesWith(kCommon + "[Log]\r\n" + EntryLine(0) + "\r\n[A]\r\nLastCause=0\r\n",
                           kLogFileAttributes);

    const SessionEntry entries[] = {
        {"2026:12:03:08:00:00", "2026:12:03:17:00:00", 2, "B"},
        {"2026:12:04:08:00:00", "2026:12:04:09:00:00", 1, "A"},
        // The same start again replaces its line where it stands.
        {"2026:12:03:08:00:00", "2026:12:03:18:00:00", 0, "B"},
    };
    for (const SessionEntry& entry : entries)
        EXPECT_EQ(AppendSessionEntry(files, kLog, entry), kOk) << entry.start;

    EXPECT_EQ(LoadSection(files, kLog, kLogSection).text,
              EntryLine(0) +
                  "\r\n2026:12:03:08:00:00=2026:12:03:18:00:00=0=B"
                  "\r\n2026:12:04:08:00:00=2026:12:04:09:00:00=1=A");
    EXPECT_EQ(files.Attributes(kLog), kLogFileAttributes);
}

}  // namespace
}  // namespace uptrail
