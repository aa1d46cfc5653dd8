// Section "Log" as the tray and the report read it, and the statistics counted from it.
#include "sessionlog/log_entries.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/main_state.h"
#include "base/timestamp.h"
#include "sessionlog/session_log.h"
#include "sessionlog/statistics.h"
#include "storage/section_text.h"
#include "storage/text_lines.h"
#include "support/log_fields.h"
#include "support/memory_file_system.h"

namespace uptrail {
namespace {

// Section "Log" is read in place and in one pass, by the tray and the report alike. It must
// give the entries that loading the section and taking each line apart the plain way give,
// in any log. The statistics count them.
constexpr DateTime kLater = MakeDateTime(2031, 7, 15, 12, 34, 56);
constexpr DateTime kBoot = MakeDateTime(2026, 12, 4, 12, 0, 0);
constexpr DateTime kNow = MakeDateTime(2026, 12, 4, 12, 5, 0);

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
        case 0:
            return pick({"not an entry", ";2026:12:04:08:00:00=2026:12:04:09:00:00=0=A", "a=b",
                         std::string(300, '='), "=="});
        case 1: return pick({"[Other]", " [Log] ", "[]"});            // these end the section
        case 2: return pick({"", "   ", "[garbage", "[Log]x", "~"});  // these do not
        default:                                                      // three fields or more
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

using testing::Fields;
using testing::FieldsOf;

// The entries read must be those the plainest reading of each line gives: the line cut at
// every "=", each field read alone.
void ExpectSameEntries(const LogEntries& read, std::string_view section, const std::string& log) {
    EXPECT_EQ(read.lineCount, CountLines(section)) << log;
    std::vector<Fields> plain;
    for (const std::string_view line : SplitLines(section)) {
        const auto fields = SplitAt(line, '=');
        if (fields.size() < 3) continue;
        plain.emplace_back(
            ParseTimestamp(fields[0], TimestampPart::kDateAndTime, kLater),
            ParseTimestamp(fields[1], TimestampPart::kDateAndTime, kLater),
            static_cast<SessionCause>(TimestampFieldValue(fields[2])),
            fields.size() > 3 ? std::optional<std::string>(fields[3]) : std::nullopt);
    }
    std::set<std::string_view> named;
    for (const LogEntry& entry : read.entries)
        if (entry.system != kNoSystem) named.insert(read.identities[entry.system]);
    EXPECT_TRUE(FieldsOf(read) == plain) << log;
    // Each identity once, byte for byte, and each named by some entry.
    EXPECT_EQ(named.size(), read.identities.size()) << log;
}

// The start-up adds each finished session where the readers look for it: in any log, the
// entry it added is read back, as the newest, after every entry that was there.
TEST(LogEntries, ReadTheSectionAsLoadingItGivesAndAnEntryAddedTheStartUpsWayAsTheNewest) {
    const std::filesystem::path logFile = "C:/Logs/Uptrail.txt";
    const SessionEntry added{"2040:01:02:03:04:05", "2040:01:02:04:00:00", SessionCause::kCrashed,
                             "5E6F7A8B//d:\\w"};
    const Fields expected{MakeDateTime(2040, 1, 2, 3, 4, 5), MakeDateTime(2040, 1, 2, 4, 0, 0),
                          SessionCause::kCrashed, added.system};
    std::mt19937 random(7);
    for (int i = 0; i < 400; ++i) {
        const std::string log = RandomLog(random);
        const std::string section = LoadSectionText(log, kLogSection);
        ExpectSameEntries(ReadLogEntries(log, kLater), section, log);
        // A section loaded already, and any text read as one.
        ExpectSameEntries(ReadSectionEntries(section, kLater), section, section);
        ExpectSameEntries(ReadSectionEntries(log, kLater), log, log);

        testing::MemoryFileSystem files;
        files.AddFolder("C:/Logs");
        files.AddFile(logFile, log);
        ASSERT_EQ(AppendSessionEntry(files, logFile, added), kOk);
        std::vector<Fields> entries = FieldsOf(ReadLogEntries(log, kLater));
        entries.push_back(expected);
        EXPECT_TRUE(FieldsOf(ReadLogEntries(files.Contents(logFile), kLater)) == entries) << log;
    }
}

// Average, longest, off time, crashed, restart and last off time, each the value after
// the Tab or "(untouched)" for a caption without one.
std::vector<std::string> FiguresOf(const std::string& section) {
    StatisticsCaptions captions = DesignedStatisticsCaptions();
    // The locale's separator; the report's tests check the plain ".".
    const StatisticsTexts texts{.statsFrom = {}, .lastDelay = {}, .decimalSeparator = ","};
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
        {"a session that starts the second the one before it ended: no last off time",
         "2026:12:04:08:00:00=2026:12:04:09:00:00=0=A\r\n"
         "2026:12:04:09:00:00=2026:12:04:10:00:00=0=A",
         {"00d 01h 00m", "00d 01h 00m", "0%", "0%", "02:00:00", "(untouched)"}},
    };
    for (const auto& c : cases) EXPECT_EQ(FiguresOf(c.section), c.values) << c.name;
}

}  // namespace
}  // namespace uptrail
