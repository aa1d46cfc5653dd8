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
#include "storage/section_text.h"
#include "storage/text_lines.h"
#include "support/memory_file_system.h"

namespace uptrail {
namespace {

constexpr DateTime kLater = MakeDateTime(2031, 7, 15, 12, 34, 56);
constexpr DateTime kBoot = MakeDateTime(2026, 12, 4, 12, 0, 0);
constexpr DateTime kNow = MakeDateTime(2026, 12, 4, 12, 5, 0);
const std::filesystem::path kLog = std::filesystem::path("logs") / "Uptrail.txt";
const std::string kCommon = "[Common]\r\nLastWin=A\r\n";

// A log made of the lines a damaged, hand-edited or foreign log may hold, in any order, with
// any line ends, and sections around "Log" that may end it early or repeat its header.
std::string RandomLog(std::mt19937& random) {
    const auto pick = [&random](const std::vector<std::string>& choices) {
        return choices[random() % choices.size()];
    };
    const auto lineEnd = [&] { return pick({"\r\n", "\r\n", "\r\n", "\n", "\r"}); };
    DateTime at = MakeDateTime(2026, 1, 1);
    const auto stamp = [&] {
        if (random() % 8 == 0)
            return pick({"", "2026:99:99:99:99:99", " 2026:12:04:08:00:00", "2026:12:04",
                         "-32768:1:1:0:0:0", "32767:32767:32767:0:0:0", "~2026:12:04:08:00:00",
                         "2026:12:04:08:00:00.5", "2026:12:04:08:00:0x"});
        // Mostly the stored form, a few hours apart, so that entries follow each other.
        at += std::chrono::minutes{static_cast<int>(random() % 1500) - 100};
        return FormatTimestamp(at);
    };
    const auto line = [&] {
        switch (random() % 12) {
        case 0: return pick({"not an entry", ";2026:12:04:08:00:00=2026:12:04:09:00:00=0=A",
                             "a=b", std::string(300, '='), "=="});
        case 1: return pick({"", "[Other]", " [Log]", "~"});  // these end the section
        default:  // three fields or more
            return stamp() + "=" + stamp() + "=" +
                   pick({"0", "0", "1", "2", "12abc", " 1", "-3", "99999"}) +
                   pick({"=1A2B3C4D//c:\\windows", "=1A2B3C4D//C:\\WINDOWS", "", "=",
                         "=5E6F7A8B//d:\\windows", "=B=fifth=field=too", "=with~tilde",
                         "=tab\tinside", "=A", "=a"});
        }
    };
    std::string text = pick({"", "[Common]\r\nLastWin=A\r\n", "x=1=2=3\n[Log]x\r\n"}) +
                       pick({"[Log]", "  [Log] ", "[log]", "[Log]"}) + lineEnd();
    for (auto lines = random() % 60; lines > 0; --lines) text += line() + lineEnd();
    return random() % 2 == 0 ? text + line() : text;  // a last line without its end
}

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
    std::mt19937 random(7);
    for (int i = 0; i < 400; ++i) {
        const std::string log = RandomLog(random);
        const std::string section = LoadSectionText(log, kLogSection);
        ExpectSameEntries(ReadLogEntries(log, kLater), section, log);
        // A section loaded already, and any text read as one.
        ExpectSameEntries(ReadSectionEntries(section, kLater), section, section);
        ExpectSameEntries(ReadSectionEntries(log, kLater), log, log);
    }
}

DateTime StartOf(int entry) { return MakeDateTime(2020, 1, 1) + std::chrono::hours{entry}; }

// Entries `first` to `last` - 1, each ended by CR LF.
std::string EntryLines(int first, int last) {
    std::string lines;
    for (int entry = first; entry < last; ++entry)
        lines += FormatTimestamp(StartOf(entry)) + "=" +
                 FormatTimestamp(StartOf(entry) + std::chrono::minutes{30}) + "=0=A\r\n";
    return lines;
}

testing::MemoryFileSystem FilesWith(const std::string& contents) {
    testing::MemoryFileSystem files;
    files.AddFolder(kLog.parent_path());
    files.AddFile(kLog, contents, file_attr::kArchive);
    return files;
}

// Erase Oldest Data's trims to the newest 50 are checked on the real program.
TEST(TrimLog, KeepsTheNewestEntriesAndCountsStatisticsFromTheFiftiethNewest) {
    const struct {
        int entries;
        bool eraseOldest;
        std::string junk;  // lines ahead of the entries that are no entries
        int firstKept, statsFromEntry;
    } cases[] = {{50, true, "", 0, 0},
                 {60, false, "junk\r\n2020:01:01:00:00:00=two fields\r\n\x01\xff=\x80\r\n", 0, 10},
                 {kStartupLogLimit + 1, false, "", 1, 31951}};
    for (const auto& c : cases) {
        auto files = FilesWith(kCommon + "[Log]\r\n" + c.junk + EntryLines(0, c.entries));
        const TrimResult result = TrimLog(files, kLog, c.eraseOldest, kBoot, kNow);
        EXPECT_EQ(result.logCount, c.entries - c.firstKept) << c.entries;
        EXPECT_EQ(result.statsFrom, StartOf(c.statsFromEntry)) << c.entries;
        // The bytes two section saves would leave, in one replace: the emptied section
        // leaves a blank line where its block stood.
        const bool rewritten = c.firstKept > 0 || !c.junk.empty();
        const std::string expected = kCommon + (rewritten ? "\r\n" : "") + "[Log]\r\n" +
                                     EntryLines(c.firstKept, c.entries);
        EXPECT_TRUE(files.Contents(kLog) == expected) << c.entries;
        EXPECT_EQ(files.Attributes(kLog), rewritten ? kLogFileAttributes : file_attr::kArchive);
    }
}

// A file read but not rewritten still counts as it stands, so Erase Oldest Data stays on
// offer. A log that cannot be read is met by the tests of the log commands.
TEST(TrimLog, AFileThatCannotBeRewrittenKeepsEveryEntry) {
    const std::string contents = kCommon + "[Log]\r\n" + EntryLines(0, 120);
    auto files = FilesWith(contents);
    files.InjectFault(1, testing::MemoryFileSystem::Fault::kFail);
    const TrimResult result = TrimLog(files, kLog, true, kBoot, kNow);
    EXPECT_EQ(result.error, kErrorWriteFault);
    EXPECT_EQ(files.Contents(kLog), contents);
    EXPECT_EQ(result.logCount, 120);
}

// Average, longest, off time, crashed, restart and last off time, each the value after
// the Tab or "(untouched)" for a caption without one.
std::vector<std::string> FiguresOf(const std::string& section) {
    StatisticsCaptions captions = DesignedStatisticsCaptions();
    StatisticsTexts texts;
    texts.decimalSeparator = ",";  // the locale's; the report's tests check the plain "."
    WriteStatistics(CountSessions(ReadSectionEntries(section, kNow).entries, kBoot), texts,
                    captions);
    std::vector<std::string> values;
    for (const std::size_t figure : {kAverageSession, kLongestSession, kSystemOffTime,
                                     kCrashedSessions, kMinRestartTime, kLastOffTime}) {
        const std::string& caption = captions[figure];
        const auto tab = caption.find('\t');
        values.push_back(tab == std::string::npos ? "(untouched)" : caption.substr(tab + 1));
    }
    return values;
}

TEST(Statistics, FiguresOfALog) {
    const struct {
        const char* name;
        std::string section;
        std::vector<std::string> values;
    } cases[] = {
        {"halves to even: 90.5 minutes to 90, 90.95% to 91%; restart in hours, last gap in days",
         "2026:12:01:08:00:00=2026:12:01:09:30:00=0=A\r\n"
         "2026:12:02:15:49:00=2026:12:02:17:20:00=2=A",
         {"00d 01h 30m", "00d 01h 31m", "91%", "50%", "30:19:00", "01d 06h 19m"}},
        {"overlapping entries: no off time, no negative restart, the last gap as it is",
         "2026:12:04:08:00:00=2026:12:04:10:00:00=0=A\r\n"
         "2026:12:04:09:00:00=2026:12:04:11:00:00=0=A",
         {"00d 02h 00m", "00d 02h 00m", "-", "0%", "01:00:00", "-01:00:00"}},
        {"a session within one minute has no length",
         "2026:12:04:08:00:30=2026:12:04:08:00:50=0=A",
         {"00d 00h 00m", "-", "-", "0%", "03:59:10", "(untouched)"}},
        {"lengths count minute boundaries; a boot sooner than any logged gap is the restart",
         "2026:12:04:07:59:50=2026:12:04:10:00:10=0=A\r\n"
         "2026:12:04:10:30:00=2026:12:04:11:59:15=1=A",
         {"00d 01h 45m", "00d 02h 01m", "12,5%", "0%", "00:00:45", "00:29:50"}},
        // Fields at the ends of their 16-bit range, a cause beyond it, binary bytes: every
        // line of three fields counts, in sums of 64 bits.
        {"damaged lines",
         "32767:32767:32767:32767:32767:32767=-32768:-32768:-32768:-32768:-32768:-32768=99999=A\r\n"
         "-32768:-32768:-32768:-32768:-32768:-32768=32767:32767:32767:32767:32767:32767=2\r\n"
         "\x01\xff=\x80==\r\n"
         "no entry here",
         {"00d 00h 00m", "1491308d 02h 07m", "-", "33,3%", "-", "-294216718:08:07"}},
        {"an empty log", "", {"-", "-", "-", "-", "-", "(untouched)"}},
    };
    for (const auto& c : cases) EXPECT_EQ(FiguresOf(c.section), c.values) << c.name;
}

}  // namespace
}  // namespace uptrail
