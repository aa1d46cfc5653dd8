// Section "Log" is read in place and in one pass, by the tray and the report alike. It must
// give the entries that loading the section and taking each line apart the plain way give,
// in any log.
#include "sessionlog/log_entries.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "report/plain_locale.h"
#include "report/session_report.h"
#include "sessionlog/session_log.h"
#include "sessionlog/system_filter.h"
#include "sessionlog/timestamp.h"
#include "storage/section_text.h"
#include "storage/text_lines.h"

namespace uptrail {
namespace {

constexpr DateTime kNow = MakeDateTime(2031, 7, 15, 12, 34, 56);
constexpr DateTime kBoot = MakeDateTime(2026, 12, 5, 8, 0, 0);

// Logs made of the lines a damaged, hand-edited or foreign log may hold, in any order, with
// any line ends, and sections around "Log" that may end it early or repeat its header.
class RandomLogs {
public:
    explicit RandomLogs(unsigned seed) : random_(seed) {}

    std::string Log() {
        std::string text = Pick({"", "[Common]\r\nLastWin=A\r\n", "x=1=2=3\n[Log]x\r\n"});
        text += Pick({"[Log]", "  [Log] ", "[log]", "[Log]"}) + Break();
        const int lines = static_cast<int>(random_() % 60);
        for (int i = 0; i < lines; ++i) text += Line() + Break();
        if (random_() % 2 == 0) text += Line();  // a last line without its end
        return text;
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
        case 2: return Stamp() + "=" + Stamp() + "=" + Pick({"0", "2", "12abc", " 1", "-3", "99999"});
        default:
            return Stamp() + "=" + Stamp() + "=" + Pick({"0", "0", "1", "2"}) + "=" +
                   Pick({"1A2B3C4D//c:\\windows", "1A2B3C4D//C:\\WINDOWS", "5E6F7A8B//d:\\windows",
                         "", "B=fifth=field=too", "with~tilde", "tab\tinside", "A", "a"});
        }
    }

    std::mt19937 random_;
    DateTime at_ = MakeDateTime(2026, 1, 1);
};

// An entry as the plainest reading of a line gives it: the line cut at every "=", each
// field read alone.
struct PlainEntry {
    DateTime start;
    DateTime end;
    int cause = 0;
    std::optional<std::string> system;
};

std::vector<PlainEntry> PlainEntries(std::string_view section) {
    std::vector<PlainEntry> entries;
    for (const std::string_view line : SplitLines(section)) {
        const auto fields = SplitAt(line, '=');
        if (fields.size() < 3) continue;
        PlainEntry entry{ParseTimestamp(fields[0], TimestampPart::kDateAndTime, kNow),
                         ParseTimestamp(fields[1], TimestampPart::kDateAndTime, kNow),
                         TimestampFieldValue(fields[2]), std::nullopt};
        if (fields.size() > 3) entry.system = std::string(fields[3]);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::optional<std::string> SystemOf(const LogEntries& read, const LogEntry& entry) {
    if (entry.system == kNoSystem) return std::nullopt;
    return std::string(read.identities[entry.system]);
}

void ExpectSameEntries(const LogEntries& read, std::string_view section, const std::string& log) {
    const std::vector<PlainEntry> expected = PlainEntries(section);
    EXPECT_EQ(read.lineCount, CountLines(section)) << log;
    ASSERT_EQ(read.entries.size(), expected.size()) << log;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const LogEntry& entry = read.entries[i];
        EXPECT_EQ(entry.start, expected[i].start) << i << "\n" << log;
        EXPECT_EQ(entry.end, expected[i].end) << i << "\n" << log;
        EXPECT_EQ(entry.cause, expected[i].cause) << i << "\n" << log;
        EXPECT_EQ(SystemOf(read, entry), expected[i].system) << i << "\n" << log;
    }
    // Each identity once, byte for byte, and each named by some entry.
    std::vector<bool> named(read.identities.size());
    for (const LogEntry& entry : read.entries)
        if (entry.system != kNoSystem) named[entry.system] = true;
    for (std::size_t i = 0; i < read.identities.size(); ++i) {
        EXPECT_TRUE(named[i]) << log;
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_NE(read.identities[i], read.identities[j]) << log;
    }
}

TEST(LogEntries, ReadsTheEntriesOfTheSectionAsLoadingItGivesThem) {
    RandomLogs logs(7);
    for (int i = 0; i < 400; ++i) {
        const std::string log = logs.Log();
        const std::string section = LoadSectionText(log, kLogSection);
        ExpectSameEntries(ReadLogEntries(log, kNow), section, log);
        // A section loaded already, and any text read as one.
        ExpectSameEntries(ReadSectionEntries(section, kNow), section, section);
        ExpectSameEntries(ReadSectionEntries(log, kNow), log, log);
    }
}

TEST(LogEntries, TakesAnyLineApartWithoutLosingTheEntries) {
    const std::string section =
        "2026:12:04:08:00:00=2026:12:04:17:30:00=0=1A2B3C4D//c:\\windows\r\n"
        "2026:12:05:08:00:00=2026:12:05:09:00:00=2\r\n"
        "not an entry\r\n"
        "only=two\r\n"
        "broken=2026:12:06:09:00:00=99999=S=extra\r\n"
        "2026:12:07:08:00:00=\x01\xfe=abc=";

    const LogEntries read = ReadSectionEntries(section, kNow);

    EXPECT_EQ(read.lineCount, 6u);
    ASSERT_EQ(read.entries.size(), 4u);
    EXPECT_EQ(read.entries[0].start, MakeDateTime(2026, 12, 4, 8, 0, 0));
    EXPECT_EQ(read.entries[0].end, MakeDateTime(2026, 12, 4, 17, 30, 0));
    EXPECT_EQ(read.entries[0].cause, 0);
    EXPECT_EQ(SystemOf(read, read.entries[0]), "1A2B3C4D//c:\\windows");

    EXPECT_EQ(read.entries[1].cause, 2);
    EXPECT_FALSE(SystemOf(read, read.entries[1])) << "three fields carry no system";

    EXPECT_EQ(read.entries[2].start, kNow) << "an unreadable time stamp reads as now";
    EXPECT_EQ(read.entries[2].cause, 32767) << "a cause beyond 16 bits saturates";
    EXPECT_EQ(SystemOf(read, read.entries[2]), "S");

    EXPECT_EQ(read.entries[3].end, kNow);
    EXPECT_EQ(read.entries[3].cause, 0);
    EXPECT_EQ(SystemOf(read, read.entries[3]), "");
}

// The systems as the tray's walk over the entries, newest first, offers them: each where
// its newest entry stands, under its first spelling there, with its latest end.
TEST(LogEntries, TheReportOffersTheSystemsTheTrayOffers) {
    RandomLogs logs(13);
    PlainLocale locale;
    const DriveTable drives{{"1A2B3C4D/", "E:"}};
    for (int i = 0; i < 300; ++i) {
        const std::string log = logs.Log();
        const LogEntries read = ReadLogEntries(log, kNow);
        const std::string own = i % 2 == 0 ? "1a2b3c4d//c:\\windows" : "A";
        const std::vector<std::string> shown{"A", "5E6F7A8B//D:\\WINDOWS"};
        SystemExits exits(own);
        for (auto entry = read.entries.rbegin(); entry != read.entries.rend(); ++entry)
            if (entry->system != kNoSystem) exits.Note(read.identities[entry->system], entry->end);
        const auto expected = exits.MenuItems(shown, false, drives, locale);

        ReportSettings settings;
        settings.now = kNow;
        settings.bootTime = kBoot;
        settings.ownSystem = own;
        settings.shown = shown;
        settings.locale = &locale;
        settings.drives = drives;
        const SessionReport report = BuildFileReport(log, settings);
        ASSERT_EQ(report.systems.size(), expected.size()) << log;
        for (std::size_t item = 0; item < expected.size(); ++item) {
            EXPECT_EQ(report.systems[item].caption, expected[item].caption) << log;
            EXPECT_EQ(report.systems[item].tag, expected[item].tag) << log;
            EXPECT_EQ(report.systems[item].checked, expected[item].checked) << log;
        }
        EXPECT_EQ(report.showNames, read.identities.size() > 1) << log;
    }
}

}  // namespace
}  // namespace uptrail
