// The report reads the log its own way, in place and in one pass; the tray reads it through
// the section store. Both must see the same entries, figures and systems in any log.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "report/log_entries.h"
#include "report/plain_locale.h"
#include "report/report_statistics.h"
#include "report/session_report.h"
#include "sessionlog/session_log.h"
#include "sessionlog/session_menus.h"
#include "sessionlog/statistics.h"
#include "sessionlog/system_filter.h"
#include "storage/section_text.h"

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

// The same entry as the tray's reading gives it.
void ExpectSameEntries(const LogEntries& read, const std::vector<LoggedSession>& expected,
                       const std::string& log) {
    ASSERT_EQ(read.entries.size(), expected.size()) << log;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const ReportEntry& entry = read.entries[i];
        EXPECT_EQ(entry.start, expected[i].start) << i << "\n" << log;
        EXPECT_EQ(entry.end, expected[i].end) << i << "\n" << log;
        EXPECT_EQ(entry.cause, expected[i].cause) << i << "\n" << log;
        const auto system = entry.system == kNoSystem
                                ? std::nullopt
                                : std::optional<std::string>(read.identities[entry.system]);
        EXPECT_EQ(system, expected[i].system) << i << "\n" << log;
    }
}

TEST(ReportReading, ReadsTheEntriesTheTraysSectionStoreGives) {
    RandomLogs logs(7);
    for (int i = 0; i < 400; ++i) {
        const std::string log = logs.Log();
        const std::string section = LoadSectionText(log, kLogSection);
        ExpectSameEntries(ReadLogEntries(log, kNow), ParseSessionEntries(section, kNow), log);
        // A section loaded already, and any text read as one, the bench's way in.
        ExpectSameEntries(ReadSectionEntries(section, kNow), ParseSessionEntries(section, kNow),
                          section);
        ExpectSameEntries(ReadSectionEntries(log, kNow), ParseSessionEntries(log, kNow), log);
    }
}

TEST(ReportReading, CountsTheFiguresTheTrayCounts) {
    RandomLogs logs(11);
    for (int i = 0; i < 300; ++i) {
        const std::string log = logs.Log();
        const auto sessions = ParseSessionEntries(LoadSectionText(log, kLogSection), kNow);
        const LogEntries read = ReadLogEntries(log, kNow);
        for (const DateTime boot : {kBoot, DateTime{}, MakeDateTime(2026, 1, 1)}) {
            const SessionStatistics expected = CountSessions(sessions, boot);
            const SessionStatistics counted = CountEntries(read.entries, boot);
            EXPECT_EQ(counted.count, expected.count) << log;
            EXPECT_EQ(counted.totalMinutes, expected.totalMinutes) << log;
            EXPECT_EQ(counted.longestMinutes, expected.longestMinutes) << log;
            EXPECT_EQ(counted.crashed, expected.crashed) << log;
            EXPECT_EQ(counted.firstStart, expected.firstStart) << log;
            EXPECT_EQ(counted.lastEnd, expected.lastEnd) << log;
            EXPECT_EQ(counted.shortestGapSeconds, expected.shortestGapSeconds) << log;
            EXPECT_EQ(counted.lastGapSeconds, expected.lastGapSeconds) << log;
        }
    }
    for (const auto& [from, to] : {std::pair{DateTime::min(), DateTime::max()},
                                   {kNow, kNow - std::chrono::seconds{61}},
                                   {kNow + std::chrono::seconds{59}, kNow + std::chrono::seconds{60}}})
        EXPECT_EQ(MinutesBetween(from, to), MinuteBoundaries(from, to));
}

// The systems as the tray's walk over the entries, newest first, offers them: each where
// its newest entry stands, under its first spelling there, with its latest end.
TEST(ReportReading, OffersTheSystemsTheTrayOffers) {
    RandomLogs logs(13);
    PlainLocale locale;
    const DriveTable drives{{"1A2B3C4D/", "E:"}};
    for (int i = 0; i < 300; ++i) {
        const std::string log = logs.Log();
        const auto sessions = ParseSessionEntries(LoadSectionText(log, kLogSection), kNow);
        const std::string own = i % 2 == 0 ? "1a2b3c4d//c:\\windows" : "A";
        const std::vector<std::string> shown{"A", "5E6F7A8B//D:\\WINDOWS"};
        SystemExits exits(own);
        for (auto entry = sessions.rbegin(); entry != sessions.rend(); ++entry)
            if (entry->system) exits.Note(*entry->system, entry->end);
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
        EXPECT_EQ(report.showNames, HoldsSeveralSystems(sessions)) << log;
    }
}

}  // namespace
}  // namespace uptrail
