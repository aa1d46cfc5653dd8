// Section "Log" as the tray and the report read it, and the statistics counted from it.
#include "sessionlog/log_entries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/timestamp.h"
#include "sessionlog/statistics.h"

namespace uptrail {
namespace {

// Section "Log" is read in place and in one pass, by the tray and the report alike: that it
// gives what the plainest reading of each line gives, in any log, and reads an entry the
// start-up added as the newest, the log_reader and append_then_read fuzz targets hold on
// every unit run. Here the statistics counted from it.
constexpr DateTime kBoot = MakeDateTime(2026, 12, 4, 12, 0, 0);
constexpr DateTime kNow = MakeDateTime(2026, 12, 4, 12, 5, 0);

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
