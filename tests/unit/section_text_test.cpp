// The section store, from the text of a section down to the crash-safe replace of the file.
#include "storage/section_text.h"

#include <gtest/gtest.h>

#include <set>

#include "storage/atomic_file.h"
#include "storage/file_checks.h"
#include "storage/profile_file.h"
#include "storage/section_file.h"
#include "storage/text_lines.h"
#include "support/memory_file_system.h"

namespace uptrail {
namespace {

using testing::MemoryFileSystem;
using testing::SimulatedCrash;

const std::filesystem::path kLog = "C:/Logs/Uptrail.txt";
constexpr std::uint32_t kReadOnlySystem = file_attr::kReadOnly | file_attr::kSystem;
const std::string kOld = "[Log]\r\nold=1=0=A\r\n";
const std::string kNew = "[Log]\r\nold=1=0=A\r\nnew=2=0=A\r\n";

TEST(SaveSectionText, TakesOutTheOldBlockAndPutsTheNewOneAtTheEnd) {
    const struct {
        const char* rule;
        std::string_view file, data, expected;
    } cases[] = {
        {"a middle section goes with its comments; the line after it stays, trimmed",
         "[A]\r\n[Log]\r\n;1\r\ne\r\n  [B] \r\ny\r\n", "n", "[A]\r\n[B]\r\ny\r\n[Log]\r\nn\r\n"},
        {"blank runs fold in a rewritten file; a last section leaves its bare header",
         "[A]\r\n\r\n   \r\n\r\n[Log]\r\ne\r\n", "", "[A]\r\n\r\n[Log]\r\n"},
        {"but not in one only added to", "[A]\r\n\r\n\r\n", "e", "[A]\r\n\r\n\r\n[Log]\r\ne\r\n"},
        {"blank lines and a bracket left open are part of the old block",
         "[Log]\r\ne\r\n  \r\n[f\r\n\r\ng\r\n", "", "[Log]\r\n"},
        {"the blank lines in front of the next header stay",
         "[Log]\r\ne\r\n\r\nf\r\n \r\n\r\n[A]\r\n", "", " \r\n[A]\r\n[Log]\r\n"},
        {"a bare header at the end", "[A]\r\n[Log]", "n", "[A]\r\n\r\n[Log]\r\nn\r\n"},
        {"a header with blanks around it", "  [Log]  \r\ne\r\n", "", "[Log]\r\n"},
        {"another case or inner blanks", "[log]\r\n[ Log ]", "", "[log]\r\n[ Log ]\r\n[Log]\r\n"},
        {"the header never joins a last line", "[A]\r\nx=1", "e", "[A]\r\nx=1\r\n[Log]\r\ne\r\n"},
        {"lone line feeds and carriage returns", "[A]\n[Log]\re\n\n[B]\r", "",
         "[A]\r\n\r\n[B]\r\n[Log]\r\n"},
        {"data is cut at the delimiter and at line breaks; blank pieces are left out", "",
         "a~b\r\nc~~d\n \r\re~", "[Log]\r\na\r\nb\r\nc\r\nd\r\ne\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SaveSectionText(c.file, "Log", c.data), c.expected) << c.rule;
}

TEST(LoadSectionText, ReadsTheBodyUpToTheNextHeaderWithoutBlankOrCommentLines) {
    const struct {
        const char* rule;
        std::string_view file, section, expected;
    } cases[] = {
        {"delimiters become Tabs; comments and blank lines go, but do not end the body",
         "[A]\r\n[Log]\r\na~b=1\r\n;1\r\n   \r\nc=2\r\n\r\nd\r\n", "Log", "a\tb=1\r\nc=2\r\nd"},
        {"a header ends the body, blanks around it or not; a bracket left open does not",
         "[Log]\r\na\r\n[b\r\nc]\r\n [B] \r\nb\r\n", "Log", "a\r\n[b\r\nc]"},
        {"lone line feeds and carriage returns", "[Log]\na\rb\n", "Log", "a\r\nb"},
        {"a missing section", "x=1\r\n", "Log", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(LoadSectionText(c.file, c.section), c.expected) << c.rule;
}

// How the start-up adds an entry: as the profile functions set a key, but in the section as
// it is read. Readers agreeing with it on any log is held in log_entries_test.
TEST(SetSectionValue, ReplacesTheKeysValueOrAddsTheLineAfterTheBodysLastLine) {
    const struct {
        const char* rule;
        std::string_view file, expected;
    } cases[] = {
        {"an entry with the same start, in any case and with blanks, has its value replaced",
         "[Log]\r\n k =1=0=A\r\n", "[Log]\r\n k =2=0=B\r\n"},
        {"a new one goes after the last line of the body, before the blanks that part sections",
         "[Log]\r\na=1\r\n\r\n[garbage\r\n;c\r\n\r\n[A]\r\n",
         "[Log]\r\na=1\r\n\r\n[garbage\r\n;c\r\nK=2=0=B\r\n\r\n[A]\r\n"},
        {"a last line without its break gets one", "[Log]\na=1", "[Log]\na=1\r\nK=2=0=B\r\n"},
        {"a missing section goes at the end", "[log]\r\n", "[log]\r\n[Log]\r\nK=2=0=B\r\n"},
    };
    for (const auto& c : cases) {
        std::string text(c.file);
        EXPECT_TRUE(SetSectionValue(text, "Log", "K", "2=0=B")) << c.rule;
        EXPECT_EQ(text, c.expected) << c.rule;
        EXPECT_FALSE(SetSectionValue(text, "Log", "K", "2=0=B")) << c.rule << ", again";
    }
}

// FindLineBreak passes over eight bytes at a time: a break is found wherever it stands in
// or across those words, CR and LF alike, and the bytes that only look close are passed.
TEST(TextLines, FindLineBreakFindsTheFirstCrOrLfAndCountLinesCountsWhatSplitLinesGives) {
    for (const char lineEnd : {'\r', '\n'})
        for (std::size_t at = 0; at < 20; ++at)
            for (std::size_t start = 0; start <= at; start += 3) {
                std::string text(24, 'x');
                text[at] = lineEnd;
                text[23] = '\n';
                EXPECT_EQ(FindLineBreak(text, start), at) << at << " from " << start;
            }
    EXPECT_EQ(FindLineBreak("\x0C\x0E\x8D\x8A\x0B\x2D\x2A\x1D"
                            "abcdefgh",
                            0),
              std::string_view::npos);
    EXPECT_EQ(FindLineBreak("ab\ncd", 3), std::string_view::npos);

    const std::pair<std::string, std::size_t> cases[] = {
        {"", 0}, {"\r\n\r\n", 2}, {"\n\r", 2}, {"a\rb\nc\r\nd", 4}, {std::string(40, '\n'), 40},
    };
    for (const auto& [text, lines] : cases) {
        EXPECT_EQ(CountLines(text), lines) << text;
        EXPECT_EQ(SplitLines(text).size(), lines) << text;
    }
}

MemoryFileSystem LogFolderWithOldLog(std::uint32_t attributes = kReadOnlySystem) {
    MemoryFileSystem files;
    files.AddFolder("C:/Logs");
    files.AddFile(kLog, kOld, attributes);
    return files;
}

// Whichever step of a rewrite fails or loses power, the file holds its old bytes or its new
// ones; a reported failure leaves the old file with its attributes. Every writer of the
// section and profile stores goes through the same replace, so each is held to it here.
TEST(ReplaceFileContents, AFaultAtAnyStepLeavesTheOldOrTheNewFileByteForByte) {
    using Fault = MemoryFileSystem::Fault;
    using Writer = OsError (*)(MemoryFileSystem&);
    const Writer writers[] = {
        [](MemoryFileSystem& files) { return ReplaceFileContents(files, kLog, kNew); },
        [](MemoryFileSystem& files) {
            return SaveSection(files, kLog, "Log", "old=1=0=A\r\nnew=2=0=A");
        },
        [](MemoryFileSystem& files) { return WriteProfile(files, kLog, "Log", "new", "2=0=A"); },
    };
    for (const Writer write : writers) {
        auto once = LogFolderWithOldLog();
        ASSERT_EQ(write(once), kOk);
        EXPECT_EQ(once.Contents(kLog), kNew);
        EXPECT_EQ(once.Attributes(kLog), kReadOnlySystem);
        EXPECT_EQ(once.FileCount(), 1u) << "the temporary file must be gone";
        const int steps = once.StepsTaken();
        ASSERT_GE(steps, 4);
        std::set<std::string> afterCrashes;
        for (int step = 1; step <= steps; ++step) {
            for (const auto fault : {Fault::kFail, Fault::kCrash}) {
                const bool crash = fault == Fault::kCrash;
                SCOPED_TRACE((crash ? "crash in step " : "failure in step ") +
                             std::to_string(step));
                auto files = LogFolderWithOldLog();
                files.InjectFault(step, fault);
                if (crash) {
                    EXPECT_THROW(write(files), SimulatedCrash);
                    afterCrashes.insert(files.Contents(kLog));
                    continue;
                }
                EXPECT_EQ(files.Contents(kLog), write(files) == kOk ? kNew : kOld);
                EXPECT_EQ(files.Attributes(kLog), kReadOnlySystem);
            }
        }
        // Nothing but the two, and both sides of the replace really exercised.
        EXPECT_EQ(afterCrashes, (std::set<std::string>{kOld, kNew}));
    }
}

// A file whose attributes cannot be lifted keeps its contents, given up after a second.
TEST(ReplaceFileContents, AttributesThatCannotBeChanged) {
    auto files = LogFolderWithOldLog();
    files.IgnoreAttributeChanges();
    EXPECT_NE(ReplaceFileContents(files, kLog, kNew), kOk);
    EXPECT_TRUE(files.PauseCount() >= 10 && files.PauseCount() <= 25) << files.PauseCount();
    EXPECT_EQ(files.Contents(kLog), kOld);
    EXPECT_EQ(files.FileCount(), 1u);

    // Attributes that cannot be put back after the replace are a note, not a failure.
    auto lost = LogFolderWithOldLog();
    lost.IgnoreAttributeChangesAfterNextMove();
    ReplaceNote note;
    EXPECT_EQ(ReplaceFileContents(lost, kLog, kNew, &note), kOk);
    EXPECT_TRUE(note.attributesLost);
    EXPECT_EQ(lost.Contents(kLog), kNew);
    EXPECT_EQ(lost.FileCount(), 1u);
}

// SaveSection and LoadSection put the section text on disk through ReplaceFileContents (held
// above); they tell a file from a folder with FileExists.
TEST(SectionFile, ReplacesTheSectionOfAnExistingFileOnlyAndReportsALockedOne) {
    auto files = LogFolderWithOldLog(file_attr::kHidden);
    ASSERT_EQ(SaveSection(files, kLog, "Log", "a=b=0=A"), kOk);
    EXPECT_EQ(files.Attributes(kLog), file_attr::kHidden) << "a hidden file stays hidden";
    auto readOnly = LogFolderWithOldLog(file_attr::kReadOnly);
    EXPECT_EQ(SaveSection(readOnly, kLog, "Log", "a=b=0=A"), kOk) << "read-only alone";
    EXPECT_EQ(readOnly.Attributes(kLog), file_attr::kReadOnly);
    EXPECT_FALSE(FileExists(files, "C:/Logs")) << "a folder is no file";

    EXPECT_EQ(SaveSection(files, "C:/Logs/New.txt", "Log", "e=1=0=A"), kOk);
    EXPECT_FALSE(FileExists(files, "C:/Logs/New.txt")) << "a save never creates the file";
    EXPECT_EQ(LoadSection(files, "C:/Logs/New.txt", "Log").error, kOk);

    files.LockFile(kLog, kErrorSharingViolation);
    const int steps = files.StepsTaken();
    EXPECT_EQ(SaveSection(files, kLog, "Log", ""), kErrorSharingViolation);
    EXPECT_EQ(LoadSection(files, kLog, "Log").error, kErrorSharingViolation);
    EXPECT_EQ(files.StepsTaken(), steps) << "a file that cannot be read must not be rewritten";
}

}  // namespace
}  // namespace uptrail
