// Section "Log" is read in place and in one pass, by the tray and the report alike. It must
// give the entries that loading the section and taking each line apart the plain way give,
// in any log. Start-up trims it to the newest entries; the statistics count them.
#include "sessionlog/log_entries.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/main_state.h"
#include "sessionlog/session_log.h"
#include "sessionlog/statistics.h"
#include "sessionlog/timestamp.h"
#include "storage/section_file.h"
#include "storage/section_text.h"
#include "storage/text_lines.h"
#include "support/memory_file_system.h"

namespace uptrail {
namespace {

using testing::MemoryFileSystem;

constexpr DateTime kLater = MakeDateTime(2031, 7, 15, 12, 34, 56);
constexpr DateTime kBoot = MakeDateTime(2026, 12, 4, 12, 0, 0);
constexpr DateTime kNow = MakeDateTime(2026, 12, 4, 12, 5, 0);
const std::filesystem::path kLog = std::filesystem::path("logs") / "Uptrail.txt";
const std::string kCommon = "[Common]\r\nLastWin=A\r\n";

// Logs made of the lines a damaged, hand-edited or foreign log may hold, in any order, with
// any line ends, and sections around "Log" that may end it early or repeat its header.
class RandomLogs {
public:
    explicit RandomLogs(unsigned seed) : random_(seed) {}

    std::string Log() {
        std::string text = Pick({"", "[Common]\r\nLastWin=A\r\n", "x=1=2=3\n[Log]x\r\n"});
        text += Pick({"[Log]", "  [Log] ", "[log]", "[Log]"}) + Break();
        for (auto lines = random_() % 60; lines > 0; --lines) text += Line() + Break();
        return random_() % 2 == 0 ? text + Line() : text;  // a last line without its end
    }

private:
    std::string Pick(const std::vector<std::string>& choices) {
        return choices[random_() % choices.size()];
    }

    std::string Break() { return Pick({"\r\n", "\r\n", "\r\n", "\n", "\r"}); }

    std::string Stamp() {
        if (random_() % 8 == 0)
            return Pick({"", "2026:99:99:99:99:99", " 2026:12:04:08:00:00", "2026:12:04",
                         "-32768:1:1:0:0:0", "32767:32767:32767:0:0:0", "~2026:12:04:08:00:00",
                         "2026:12:04:08:00:00.5", "2026:12:04:08:00:0x"});
        // Mostly the stored form, a few hours apart, so that entries follow each other.
        at_ += std::chrono::minutes{static_cast<int>(random_() % 1500) - 100};
        return FormatTimestamp(at_);
    }

    std::string Line() {
        switch (random_() % 12) {
        case 0: return Pick({"not an entry", ";2026:12:04:08:00:00=2026:12:04:09:00:00=0=A",
                             "a=b", std::string(300, '='), "=="});
        case 1: return Pick({"", "[Other]", " [Log]", "~"});  // these end the section
        default:  // three fields or more
            return Stamp() + "=" + Stamp() + "=" +
                   Pick({"0", "0", "1", "2", "12abc", " 1", "-3", "99999"}) +
                   Pick({"=1A2B3C4D//c:\\windows", "=1A2B3C4D//C:\\WINDOWS", "", "=",
                         "=5E6F7A8B//d:\\windows", "=B=fifth=field=too", "=with~tilde",
                         "=tab\tinside", "=A", "=a"});
        }
    }

    std::mt19937 random_;
    DateTime at_ = MakeDateTime(2026, 1, 1);
};

// An entry as start, end, cause and system, if any.
using Fields = std::tuple<DateTime, DateTime, int, std::optional<std::string>>;

// The entries as the plainest reading of each line gives them: the line cut at every "=",
// each field read alone.
std::vector<Fields> PlainEntries(std::string_view section) {
    std::vector<Fields> entries;
    for (const std::string_view line : SplitLines(section)) {
        const auto fields = SplitAt(line, '=');
        if (fields.size() < 3) continue;
        entries.emplace_back(ParseTimestamp(fields[0], TimestampPart::kDateAndTime, kLater),
                             ParseTimestamp(fields[1], TimestampPart::kDateAndTime, kLater),
                             TimestampFieldValue(fields[2]),
                             fields.size() > 3 ? std::optional<std::string>(fields[3])
                                               : std::nullopt);
    }
    return entries;
}

void ExpectSameEntries(const LogEntries& read, std::string_view section, const std::string& log) {
    EXPECT_EQ(read.lineCount, CountLines(section)) << log;
    std::vector<Fields> entries;
    std::set<std::string_view> named;
    for (const LogEntry& entry : read.entries) {
        std::optional<std::string> system;
        if (entry.system != kNoSystem) system = std::string(read.identities[entry.system]);
        if (system) named.insert(read.identities[entry.system]);
        entries.emplace_back(entry.start, entry.end, entry.cause, system);
    }
    EXPECT_TRUE(entries == PlainEntries(section)) << log;
    // Each identity once, byte for byte, and each named by some entry.
    EXPECT_EQ(named.size(), read.identities.size()) << log;
}

TEST(LogEntries, ReadsTheEntriesOfTheSectionAsLoadingItGivesThem) {
    RandomLogs logs(7);
    for (int i = 0; i < 400; ++i) {
        const std::string log = logs.Log();
        const std::string section = LoadSectionText(log, kLogSection);
        ExpectSameEntries(ReadLogEntries(log, kLater), section, log);
        // A section loaded already, and any text read as one.
        ExpectSameEntries(ReadSectionEntries(section, kLater), section, section);
        ExpectSameEntries(ReadSectionEntries(log, kLater), log, log);
    }
}

DateTime StartOf(int entry) { return MakeDateTime(2020, 1, 1) + std::chrono::hours{entry}; }

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

MemoryFileSystem FilesWith(const std::string& contents) {
    MemoryFileSystem files;
    files.AddFolder(kLog.parent_path());
    files.AddFile(kLog, contents, file_attr::kArchive);
    return files;
}

// Erase Oldest Data's trims to the newest 50 are checked on the real program.
TEST(TrimLog, KeepsTheNewestEntriesAndCountsStatisticsFromTheFiftiethNewest) {
    const struct {
        int entries;
        bool eraseOldest;
        int firstKept, statsFromEntry;
    } cases[] = {{50, true, 0, 0}, {60, false, 0, 10}, {kStartupLogLimit + 1, false, 1, 31951}};
    for (const auto& c : cases) {
        auto files = FilesWith(kCommon + "[Log]\r\n" + EntryLines(0, c.entries));
        const TrimResult result = TrimLog(files, kLog, c.eraseOldest, kBoot, kNow);
        EXPECT_EQ(result.logCount, c.entries - c.firstKept) << c.entries;
        EXPECT_EQ(result.statsFrom, StartOf(c.statsFromEntry)) << c.entries;
        // The emptied section leaves a blank line where its block stood.
        const std::string expected = kCommon + (c.firstKept > 0 ? "\r\n" : "") + "[Log]\r\n" +
                                     EntryLines(c.firstKept, c.entries);
        EXPECT_TRUE(files.Contents(kLog) == expected) << c.entries;
        EXPECT_EQ(files.Attributes(kLog),
                  c.firstKept > 0 ? kLogFileAttributes : file_attr::kArchive);
    }
}

TEST(TrimLog, DropsLinesThatAreNotEntriesInOneReplaceThatEqualsTwoSectionSaves) {
    const std::string contents = kCommon + "[Log]\r\njunk\r\n" + EntryLine(0) +
                                 "\r\n2020:01:01:00:00:00=two fields\r\n" + EntryLine(1) +
                                 "\r\n\x01\xff=\x80\r\n\r\n[A]\r\nLastStart=x\r\n";
    auto files = FilesWith(contents);
    auto twoSaves = FilesWith(contents);
    ASSERT_EQ(SaveSection(twoSaves, kLog, kLogSection, ""), kOk);
    ASSERT_EQ(SaveSection(twoSaves, kLog, kLogSection, EntryLine(0) + "\r\n" + EntryLine(1)), kOk);

    EXPECT_EQ(TrimLog(files, kLog, false, kBoot, kNow).logCount, 2);
    EXPECT_EQ(files.Contents(kLog), twoSaves.Contents(kLog));
}

TEST(TrimLog, AFileThatCannotBeReadOrRewrittenKeepsEveryEntry) {
    const std::string contents = kCommon + "[Log]\r\n" + EntryLines(0, 120);
    for (const bool locked : {true, false}) {
        auto files = FilesWith(contents);
        if (locked) files.LockFile(kLog, kErrorSharingViolation);
        if (!locked) files.InjectFault(1, MemoryFileSystem::Fault::kFail);
        const TrimResult result = TrimLog(files, kLog, true, kBoot, kNow);
        EXPECT_EQ(result.error, locked ? kErrorSharingViolation : kErrorWriteFault);
        EXPECT_EQ(files.Contents(kLog), contents);
        // A file read but not rewritten still counts as it stands, so Erase Oldest Data
        // stays on offer.
        EXPECT_EQ(result.logCount, locked ? 0 : 120);
    }
}

// Average, longest, off time, crashed, restart and last off time, each the value after
// the Tab or "(untouched)" for a caption without one.
std::vector<std::string> FiguresOf(const std::string& section, std::string separator = ".") {
    StatisticsCaptions captions = DesignedStatisticsCaptions();
    StatisticsTexts texts;
    texts.decimalSeparator = std::move(separator);
    WriteStatistics(CountSessions(ReadSectionEntries(section, kNow).entries, kBoot), texts,
                    captions);
    std::vector<std::string> values;
    for (const std::size_t figure : {kAverageSession, kLongestSession, kSystemOffTime,
                                     kCrashedSessions, kMinRestartTime, kLastOffTime}) {
        const auto tab = captions[figure].find('\t');
        const std::string& caption = captions[figure];
        values.push_back(tab == std::string::npos ? "(untouched)" : caption.substr(tab + 1));
    }
    return values;
}

TEST(Statistics, FiguresOfALog) {
    const struct {
        const char* name;
        std::string section;
        std::string separator;
        std::vector<std::string> values;
    } cases[] = {
        {"lengths count minute boundaries; the restart is the gap to the boot",
         "2026:12:04:08:59:50=2026:12:04:11:30:10=0=A", ".",
         {"00d 02h 31m", "00d 02h 31m", "0%", "0%", "00:29:50", "(untouched)"}},
        {"a gap of 25 hours reads in days",
         "2026:12:01:08:00:00=2026:12:01:09:00:00=0=A\r\n"
         "2026:12:02:10:00:00=2026:12:02:11:00:00=0=A",
         ".", {"00d 01h 00m", "00d 01h 00m", "92.6%", "0%", "25:00:00", "01d 01h 00m"}},
        {"an average of 90.5 minutes rounds down to the even 90; the locale's decimal comma",
         "2026:12:01:08:00:00=2026:12:01:09:30:00=0=A\r\n"
         "2026:12:01:10:00:00=2026:12:01:11:31:00=2=A",
         ",", {"00d 01h 30m", "00d 01h 31m", "14,2%", "50%", "00:30:00", "00:30:00"}},
        {"an average of 91.5 minutes rounds up to the even 92",
         "2026:12:01:08:00:00=2026:12:01:09:31:00=0=A\r\n"
         "2026:12:01:10:00:00=2026:12:01:11:32:00=0=A",
         ".", {"00d 01h 32m", "00d 01h 32m", "13.7%", "0%", "00:29:00", "00:29:00"}},
        {"overlapping entries: no off time, no negative restart, the last gap as it is",
         "2026:12:04:08:00:00=2026:12:04:10:00:00=0=A\r\n"
         "2026:12:04:09:00:00=2026:12:04:11:00:00=0=A",
         ".", {"00d 02h 00m", "00d 02h 00m", "-", "0%", "01:00:00", "-01:00:00"}},
        {"a session within one minute has no length",
         "2026:12:04:08:00:30=2026:12:04:08:00:50=0=A", ".",
         {"00d 00h 00m", "-", "-", "0%", "03:59:10", "(untouched)"}},
        {"a boot sooner than any logged gap is the shortest restart",
         "2026:12:04:08:00:00=2026:12:04:09:00:00=0=A\r\n"
         "2026:12:04:10:00:00=2026:12:04:11:59:15=1=A",
         ".", {"00d 01h 30m", "00d 01h 59m", "25.1%", "0%", "00:00:45", "01:00:00"}},
        {"an empty log", "", ".", {"-", "-", "-", "-", "-", "(untouched)"}},
    };
    for (const auto& c : cases) EXPECT_EQ(FiguresOf(c.section, c.separator), c.values) << c.name;
}

TEST(Statistics, DamagedLinesCountWithoutOverflow) {
    // Fields at the ends of their 16-bit range, a cause beyond it, binary bytes.
    const std::string section =
        "32767:32767:32767:32767:32767:32767=-32768:-32768:-32768:-32768:-32768:-32768=99999=A\r\n"
        "-32768:-32768:-32768:-32768:-32768:-32768=32767:32767:32767:32767:32767:32767=2\r\n"
        "\x01\xff=\x80==\r\n"
        "no entry here";
    const SessionStatistics figures =
        CountSessions(ReadSectionEntries(section, kNow).entries, kBoot);
    EXPECT_EQ(figures.count, 3);
    EXPECT_EQ(figures.crashed, 1);
    EXPECT_EQ(FiguresOf(section)[2], "-") << "no off time from a total beyond the span";
}

}  // namespace
}  // namespace uptrail
