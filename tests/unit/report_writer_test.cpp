// The report writes its numbers and times by hand into a buffer of its own; what it writes
// must be what the shared formatting writes, byte for byte, for any time a log can hold.
#include "report/report_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "report/plain_locale.h"
#include "report/report_format.h"
#include "report/session_report.h"
#include "sessionlog/duration_text.h"
#include "sessionlog/log_entries.h"
#include "sessionlog/session_log.h"
#include "sessionlog/session_menus.h"
#include "sessionlog/statistics.h"

namespace uptrail {
namespace {

using Limits = std::numeric_limits<std::int64_t>;

TEST(ReportWriter, WritesNumbersAsTheSharedFormattingDoes) {
    for (const std::int64_t value : {std::int64_t{0}, std::int64_t{5}, std::int64_t{-5},
                                     std::int64_t{99}, std::int64_t{100}, std::int64_t{-100},
                                     std::int64_t{9999}, std::int64_t{12345}, Limits::max(),
                                     Limits::min(), Limits::min() + 1})
        for (const int digits : {1, 2, 4, 20}) {
            char text[2 * kMostNumberLength];
            EXPECT_EQ(std::string(text, PutPadded(text, value, digits)), FormatPadded(value, digits));
            EXPECT_EQ(std::string(text, PutNumber(text, value)), std::to_string(value));
        }
}

// Text in pieces of every size, some larger than the buffer, arrives whole and in order,
// handed on in pieces no larger than the buffer; room asked for beyond the buffer is given.
TEST(ReportWriter, HandsOnEveryByteInOrderWhateverThePiecesAre) {
    class Pieces final : public ReportOutput {
    public:
        void Write(std::string_view text) override {
            largest = std::max(largest, text.size());
            whole.append(text);
        }
        std::string whole;
        std::size_t largest = 0;
    } output;
    std::string expected;
    {
        ReportWriter writer(output);
        for (std::size_t size = 1; size < 3 * ReportWriter::kBufferSize; size = size * 3 + 7) {
            const std::string piece(size, static_cast<char>('a' + size % 26));
            writer.Text(piece);
            char* at = writer.Room(100);
            writer.Commit(PutNumber(at, static_cast<std::int64_t>(size)));
            expected += piece + std::to_string(size);
        }
        writer.Flush();
        EXPECT_EQ(output.largest, ReportWriter::kBufferSize);

        const std::size_t wide = 2 * ReportWriter::kBufferSize + 1;
        char* at = writer.Room(wide);
        std::memset(at, '#', wide);
        writer.Commit(at + wide);
        expected += std::string(wide, '#');
    }
    EXPECT_EQ(output.whole, expected);
}

// Times from every corner of a log's range: far past and future years (with a sign in ISO
// form beyond four digits), sessions that end minutes or days before they start, last for
// years, or for more minutes than the day form holds.
const char* const kOddEntries =
    "2026:12:04:08:00:00=2026:12:04:09:00:00=0=A\r\n"
    "-32768:-32768:-32768:-32768:-32768:-32768=32767:32767:32767:32767:32767:32767=2=A\r\n"
    "2026:12:04:08:00:00=2026:12:03:07:59:01=1=A\r\n"
    "0000:00:00:00:00:00=9999:99:99:99:99:99=0=A\r\n"
    "-5:1:1:0:5:0=-5:1:1:0:0:59=0=A\r\n"
    "9999:12:31:23:59:59=10000:1:1:0:0:0=0=A\r\n"
    "12000:1:1:0:0:0=1:1:1:0:0:0=3=A\r\n"
    "1971:02:16:09:17:14=1971:08:30:19:41:19=0=A\r\n";

std::string IsoTime(DateTime value) {
    const DateTimeFields f = FieldsOf(value);
    std::string text = f.year > 9999 ? "+" : "";
    text += FormatPadded(f.year, 4);
    for (const auto& [separator, field] :
         {std::pair{'-', f.month}, {'-', f.day}, {'T', f.hour}, {':', f.minute}, {':', f.second}})
        text.append(1, separator).append(FormatPadded(field, 2));
    return text;
}

TEST(ReportWriter, WritesSessionsAsTheSessionListAndTheIsoFormDo) {
    PlainLocale locale;
    ReportSettings settings;
    settings.allSystems = true;
    settings.locale = &locale;
    const SessionReport report = BuildSessionReport(kOddEntries, settings);
    const auto sessions = ReadSectionEntries(kOddEntries, settings.now).entries;

    std::string lines;
    std::string rows = "start,end,minutes,cause,system\n";
    for (auto entry = sessions.rbegin(); entry != sessions.rend(); ++entry) {
        const char mark = entry->cause == 2 ? 'X' : entry->cause == 1 ? '!' : ' ';
        lines += mark + FormatSessionLine(entry->start, entry->end, "", EnglishMonthNames(), {}) + "\n";
        rows += IsoTime(entry->start) + "," + IsoTime(entry->end) + "," +
                std::to_string(MinuteBoundaries(entry->start, entry->end)) + "," +
                std::to_string(entry->cause) + ",A\n";
        EXPECT_EQ(FormatIsoLocalTime(entry->start), IsoTime(entry->start));
    }
    const std::string text = FormatReportText(report);
    EXPECT_NE(text.find("went down):\n" + lines + "\n"), std::string::npos) << text;
    EXPECT_EQ(FormatReportCsv(report), rows);
}

}  // namespace
}  // namespace uptrail
