#include "sessionlog/statistics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_state.h"
#include "sessionlog/log_entries.h"
#include "sessionlog/timestamp.h"

namespace uptrail {
namespace {

constexpr DateTime kBoot = MakeDateTime(2026, 12, 4, 12, 0, 0);
constexpr DateTime kNow = MakeDateTime(2026, 12, 4, 12, 5, 0);
constexpr const char* kUntouched = "(untouched)";

// The value after the Tab, or kUntouched for a caption that carries none.
std::string ValueOf(const std::string& caption) {
    const auto tab = caption.find('\t');
    return tab == std::string::npos ? kUntouched : caption.substr(tab + 1);
}

StatisticsCaptions CaptionsFor(const std::string& section, std::string separator = ".") {
    const LogEntries read = ReadSectionEntries(section, kNow);
    StatisticsCaptions captions = DesignedStatisticsCaptions();
    StatisticsTexts texts;
    texts.statsFrom = MakeDateTime(2026, 12, 1);
    texts.lastDelay = "00:01:05";
    texts.decimalSeparator = std::move(separator);
    WriteStatistics(CountSessions(read.entries, kBoot), texts, captions);
    return captions;
}

TEST(Statistics, FiguresOfALog) {
    struct Case {
        const char* name;
        std::string section;
        std::string separator;
        // Average, longest, off time, crashed, restart, last off.
        std::vector<std::string> values;
    };
    const Case cases[] = {
        {"one entry of two and a half hours; the restart is the gap to the boot",
         "2026:12:04:08:00:00=2026:12:04:10:30:00=0=A", ".",
         {"00d 02h 30m", "00d 02h 30m", "0%", "0%", "01:30:00", kUntouched}},
        {"two entries ten minutes apart, the second crashed, of two systems",
         "2026:12:04:08:00:00=2026:12:04:09:00:00=0=A\r\n"
         "2026:12:04:09:10:00=2026:12:04:10:00:00=2=B",
         ".", {"00d 00h 55m", "00d 01h 00m", "8.3%", "50%", "00:10:00", "00:10:00"}},
        {"a gap of 25 hours reads in days",
         "2026:12:01:08:00:00=2026:12:01:09:00:00=0=A\r\n"
         "2026:12:02:10:00:00=2026:12:02:11:00:00=0=A",
         ".", {"00d 01h 00m", "00d 01h 00m", "92.6%", "0%", "25:00:00", "01d 01h 00m"}},
        {"a gap of exactly 24 hours keeps the clock form",
         "2026:12:01:08:00:00=2026:12:01:09:00:00=0=A\r\n"
         "2026:12:02:09:00:00=2026:12:02:10:00:00=0=A",
         ".", {"00d 01h 00m", "00d 01h 00m", "92.3%", "0%", "24:00:00", "24:00:00"}},
        {"an average of 90.5 minutes rounds down to the even 90",
         "2026:12:01:08:00:00=2026:12:01:09:30:00=0=A\r\n"
         "2026:12:01:10:00:00=2026:12:01:11:31:00=0=A",
         ".", {"00d 01h 30m", "00d 01h 31m", "14.2%", "0%", "00:30:00", "00:30:00"}},
        {"an average of 91.5 minutes rounds up to the even 92",
         "2026:12:01:08:00:00=2026:12:01:09:31:00=0=A\r\n"
         "2026:12:01:10:00:00=2026:12:01:11:32:00=0=A",
         ".", {"00d 01h 32m", "00d 01h 32m", "13.7%", "0%", "00:29:00", "00:29:00"}},
        {"one of three crashed, with the locale's decimal comma",
         "2026:12:04:08:00:00=2026:12:04:08:20:00=2=A\r\n"
         "2026:12:04:08:30:00=2026:12:04:08:50:00=0=A\r\n"
         "2026:12:04:09:00:00=2026:12:04:09:20:00=0=A",
         ",", {"00d 00h 20m", "00d 00h 20m", "25%", "33,3%", "00:10:00", "00:10:00"}},
        {"overlapping entries: no off time, no negative restart, the last gap as it is",
         "2026:12:04:08:00:00=2026:12:04:10:00:00=0=A\r\n"
         "2026:12:04:09:00:00=2026:12:04:11:00:00=0=A",
         ".", {"00d 02h 00m", "00d 02h 00m", "-", "0%", "01:00:00", "-01:00:00"}},
        {"lengths count minute boundaries: 08:59:50 to 09:00:10 is one minute",
         "2026:12:04:08:59:50=2026:12:04:09:00:10=0=A", ".",
         {"00d 00h 01m", "00d 00h 01m", "0%", "0%", "02:59:50", kUntouched}},
        {"a session within one minute has no length",
         "2026:12:04:08:00:30=2026:12:04:08:00:50=0=A", ".",
         {"00d 00h 00m", "-", "-", "0%", "03:59:10", kUntouched}},
        {"a boot sooner than any logged gap is the shortest restart",
         "2026:12:04:08:00:00=2026:12:04:09:00:00=0=A\r\n"
         "2026:12:04:10:00:00=2026:12:04:11:59:15=1=A",
         ".", {"00d 01h 30m", "00d 01h 59m", "25.1%", "0%", "00:00:45", "01:00:00"}},
        {"an empty log", "", ".", {"-", "-", "-", "-", "-", kUntouched}},
    };
    for (const Case& c : cases) {
        const StatisticsCaptions captions = CaptionsFor(c.section, c.separator);
        const std::vector<std::string> values{
            ValueOf(captions[kAverageSession]), ValueOf(captions[kLongestSession]),
            ValueOf(captions[kSystemOffTime]),  ValueOf(captions[kCrashedSessions]),
            ValueOf(captions[kMinRestartTime]), ValueOf(captions[kLastOffTime])};
        EXPECT_EQ(values, c.values) << c.name;
        EXPECT_EQ(captions[kStatisticsFrom], "Statistics From:\tDec 01, 2026");
        EXPECT_EQ(captions[kLastDelay], "Last Delay:\t00:01:05");
    }
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
    StatisticsCaptions captions = DesignedStatisticsCaptions();
    WriteStatistics(figures, {}, captions);
    EXPECT_EQ(ValueOf(captions[kSystemOffTime]), "-");
}

TEST(Statistics, PercentagesKeepOneDecimalWithoutTrailingZeros) {
    struct Case {
        std::int64_t part, whole;
        const char* text;
    };
    const Case cases[] = {{1, 8, "12.5%"}, {0, 5, "0%"}, {1, 3, "33.3%"}, {2, 3, "66.7%"},
                          {1, 16, "6.2%"}, {3, 16, "18.8%"}, {5, 5, "100%"}, {1, 2000, "0%"}};
    for (const Case& c : cases) EXPECT_EQ(FormatPercent(c.part, c.whole, "."), c.text);
}

}  // namespace
}  // namespace uptrail
