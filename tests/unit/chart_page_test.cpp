#include "chart/chart_page.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <regex>
#include <string>

#include "base/utf8_sequence.h"
#include "chart/calendar_svg.h"
#include "chart/markup.h"
#include "chart/timeline_svg.h"
#include "sessionlog/statistics.h"

namespace uptrail {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

LogEntry Session(DateTime start, DateTime end, SessionCause cause = SessionCause::kWindowsEnded) {
    return LogEntry{start, end, cause, 0};
}

constexpr std::chrono::hours kHour{1};
constexpr const char* kReplacement = "\xEF\xBF\xBD";

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// The classes of each session's rects in the timeline, by its data-s.
std::map<int, std::vector<std::string>> RectsBySession(const std::string& svg) {
    std::map<int, std::vector<std::string>> rects;
    const std::regex rect(R"re(<rect class="([^"]*)" data-s="(\d+)")re");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), rect); it != std::sregex_iterator();
         ++it)
        rects[std::stoi((*it)[2])].push_back((*it)[1]);
    return rects;
}

TEST(ChartTimeline, ShowsTheNewest60DaysWithSessionsAndContinuesPastMidnight) {
    ChartInput input;
    input.now = MakeDateTime(2026, 12, 6, 12);
    // A session on each of 70 days, every other one crossing midnight, causes in turn.
    for (int day = 0; day < 70; ++day) {
        const DateTime start = MakeDateTime(2026, 9, 1 + day, day % 2 ? 22 : 8);
        input.sessions.push_back(
            Session(start, start + std::chrono::hours{4}, static_cast<SessionCause>(day % 3)));
    }
    input.runningSince = MakeDateTime(2026, 12, 6, 9);
    const std::string svg = TimelineSvg(input);
    EXPECT_EQ(Count(svg, "<text class=\"day\""), kTimelineDays);
    EXPECT_THAT(svg, HasSubstr("y=\"34\">2026-12-06</text>")) << "the running day, on top";
    EXPECT_THAT(svg, HasSubstr(">09:00</text>"));

    const auto rects = RectsBySession(svg);
    // The oldest session shown may have started on a day that is no longer shown. Newest on
    // top, and each piece in its cause's colour: the report's tests of the page hold that.
    const int oldest = rects.begin()->first;
    for (const auto& [index, classes] : rects) {
        EXPECT_TRUE(index == oldest || Count(classes.front(), " bar") == 1) << index;
        for (std::size_t i = 1; i < classes.size(); ++i) EXPECT_EQ(Count(classes[i], " more"), 1u);
        // Crossing midnight: a bar and one more piece, unless the next day fell out.
        EXPECT_TRUE(index % 2 == 0 || index == 70 || index == oldest || classes.size() == 2u);
    }
    EXPECT_TRUE(rects.contains(70));
    EXPECT_FALSE(rects.contains(0)) << "the oldest days are out";

    // A range shows every day of it that holds sessions.
    input.since = MakeDateTime(2026, 9, 1);
    EXPECT_EQ(Count(TimelineSvg(input), "<text class=\"day\""), 71u + 1u)
        << "the 70 days, the day the last session runs into, and today";
}

// A night asleep inside a session that runs past midnight: a lighter rect over its bar on
// each day, after the bars so that it is drawn over them; the reason goes in the title.
TEST(ChartTimeline, SleepIsALighterPartOfItsBarAndTheReasonIsInTheTitle) {
    ChartInput input;
    input.now = MakeDateTime(2026, 12, 6, 12);
    input.sessions = {Session(MakeDateTime(2026, 12, 3, 20), MakeDateTime(2026, 12, 5, 10),
                              SessionCause::kCrashed)};
    input.reasons = {"Blue screen, stop code 0x0000009F <&>"};
    input.sleeps = {{MakeDateTime(2026, 12, 4, 23), MakeDateTime(2026, 12, 5, 7)}};
    const std::string svg = TimelineSvg(input);
    EXPECT_EQ(Count(svg, "<rect class=\"sleep\""), 2u) << svg;
    EXPECT_GT(svg.find("<rect class=\"sleep\""), svg.rfind("data-s=\"0\""));
    // 23:00 is 828 pixels into the axis; the part before midnight is an hour wide.
    EXPECT_THAT(svg, HasSubstr("<rect class=\"sleep\" x=\"924.0\" y=\"42\" width=\"36.0\""));
    EXPECT_THAT(svg,
                HasSubstr("(crashed)&#10;Blue screen, stop code 0x0000009F &lt;&amp;&gt;</title>"));
    EXPECT_EQ(Count(svg, "Blue screen"), 2u) << "on the day it starts and the next only";

    EXPECT_THAT(ChartPage(input), HasSubstr("</span>asleep</p>")) << "the key names it";

    // The tray's chart finds each session's reason by the session's start.
    const DateTime day = MakeDateTime(2026, 12, 4);
    const std::vector<LogEntry> two{Session(day, day + kHour),
                                    Session(day + 2 * kHour, day + 3 * kHour)};
    EXPECT_EQ(ReasonsOf(two, EndReasons::Read("[Reason]\r\n2026:12:04:02:00:00=Blue screen\r\n")),
              (std::vector<std::string>{"", "Blue screen"}));
}

TEST(ChartCalendar, ShadesByHoursOnAndMarksCrashes) {
    for (const auto& [seconds, shade] :
         {std::pair{0, 0}, {1, 1}, {7200, 1}, {7201, 2}, {43200, 3}, {86400, 4}})
        EXPECT_EQ(ShadeOf(seconds), shade) << seconds;
    std::vector<PeriodFigures> days;
    for (int i = 0; i < 3; ++i)
        days.push_back({Date{std::chrono::floor<std::chrono::days>(MakeDateTime(2026, 12, 1 + i))},
                        i * 5 * 3600, 86400, i, i == 2 ? 1 : 0});
    const std::string svg = CalendarSvg(days);
    EXPECT_THAT(svg, HasSubstr("class=\"h3 crash\"")) << "10 hours on";
    EXPECT_THAT(svg, HasSubstr("<title>2026-12-03: 10.0 h on, 2 sessions, 1 crashed</title>"));
    EXPECT_EQ(Count(svg, "<title>"), 3u);
    // A Monday and 53 weeks after it: a second block of weeks, the legend below it.
    days.assign(372, {Date{std::chrono::floor<std::chrono::days>(MakeDateTime(2026, 11, 30))}});
    const std::string twoBlocks = CalendarSvg(days);
    EXPECT_THAT(twoBlocks, HasSubstr(" height=\"272\" role=\"img\""));
    EXPECT_THAT(twoBlocks, HasSubstr("<rect class=\"h0\" x=\"44\" y=\"100\"")) << "a Sunday";
}

TEST(ChartPage, IsSelfContainedAndItsTextsAreEscaped) {
    EXPECT_EQ(MarkupText("a<b & \"c\" 'd'>\t"), "a&lt;b &amp; &quot;c&quot; &#39;d&#39;&gt; ");
    ChartInput input;
    input.now = MakeDateTime(2026, 12, 6, 12);
    input.statistics = DesignedStatisticsCaptions();
    input.statistics[kAverageSession] += "\t00d <1h>";
    const std::string page = ChartPage(input);
    EXPECT_TRUE(page.starts_with("<!DOCTYPE html>\n<html"));
    EXPECT_THAT(page, HasSubstr("<th>Average Session:</th><td>00d &lt;1h&gt;</td>"));
    for (const char* fetched : {"<script", "src=", "href=", "url(", "@import", "<link"})
        EXPECT_THAT(page, Not(HasSubstr(fetched))) << fetched;
    EXPECT_EQ(Count(page, "<tr><td>2026-"), 12u) << "a row per month of the last twelve";

    // A full log of 32000 sessions still makes a page that a mail or a chat takes.
    DateTime start = MakeDateTime(2000, 1, 1);
    for (int i = 0; i < 32000; ++i, start += std::chrono::hours{7})
        input.sessions.push_back(Session(start, start + std::chrono::hours{5}));
    EXPECT_LT(ChartPage(input).size(), 1u << 20);
}

// Two installations that share a log, or damaged entries, overlap: sessions that ended alike
// are one bar where they overlap, placed as the one that ends last, its title naming them;
// sessions that ended otherwise keep their own bars.
TEST(ChartTimeline, SessionsThatOverlapAndEndedAlikeAreOneBar) {
    ChartInput input;
    input.now = MakeDateTime(2026, 12, 6, 12);
    const DateTime day = MakeDateTime(2026, 12, 4);
    input.sessions = {Session(day + 8 * kHour, day + 12 * kHour, SessionCause::kCrashed),
                      Session(day + 10 * kHour, day + 14 * kHour),
                      Session(day + 9 * kHour, day + 13 * kHour),
                      Session(day + 11 * kHour, day + 11 * kHour),
                      Session(day + 12 * kHour, day + 13 * kHour),
                      Session(day + 16 * kHour, day + 17 * kHour, SessionCause::kProgramClosed),
                      Session(day + 16 * kHour, day + 17 * kHour, SessionCause::kProgramClosed),
                      Session(day + 20 * kHour, day + 20 * kHour),
                      Session(day + 20 * kHour, day + 20 * kHour)};
    input.reasons = {"", "", "Low battery", "", "", "", "", "", ""};
    const std::string svg = TimelineSvg(input);
    const std::map<int, std::vector<std::string>> expected = {
        {0, {"s2 bar"}}, {1, {"s0 bar"}}, {6, {"s1 bar"}}, {8, {"s0 bar"}}};
    EXPECT_EQ(RectsBySession(svg), expected) << "a duplicated line, and two of no length: 6, 8";
    // 09:00 to 14:00: five hours of the axis.
    EXPECT_THAT(svg, HasSubstr("data-s=\"1\" x=\"420.0\" y=\"24\" width=\"180.0\""));
    EXPECT_THAT(svg, HasSubstr("(ended by Windows)&#10;Low battery&#10;"));
    EXPECT_THAT(svg, HasSubstr("&#10;and 1 more session</title>"));
}

// A page of any range and any time stamps stays a page: what a damaged stamp spans, or a
// range reaching back centuries, costs the days and months shown, not the years.
TEST(ChartPage, StaysBoundedWhateverTheRangeAndTheTimeStamps) {
    const DateTime now = MakeDateTime(2026, 12, 6, 12);
    const DateTime recent = MakeDateTime(2026, 12, 1, 8);
    struct Case {
        const char* what;
        std::vector<LogEntry> sessions;
        std::vector<TimeRange> sleeps;
        std::optional<DateTime> since;
        DateTime now;
        std::size_t rows;
        std::string reason = "";  // of every session
    };
    std::vector<LogEntry> overlapping;  // a megabyte or two of log, every line overlapping
    std::vector<TimeRange> sleeps;
    for (int i = 0; i < 40000; ++i) {
        const DateTime start = MakeDateTime(1990, 1, 1) + std::chrono::minutes{i};
        overlapping.push_back(Session(start, recent + std::chrono::minutes{i % 600}));
        sleeps.push_back({recent - std::chrono::days{3000} + std::chrono::minutes{i}, recent});
    }
    const DateTime y1601 = MakeDateTime(1601, 1, 1), y2010 = MakeDateTime(2010, 1, 1);
    const std::vector<LogEntry> one{Session(recent, recent + kHour)},
        centuries{Session(y1601, recent)},
        apart{Session(y1601, MakeDateTime(1601, 1, 2)), Session(recent, now)},
        everyCause{Session(y2010, recent), Session(y2010, recent, SessionCause::kProgramClosed),
                   Session(y2010, recent, SessionCause::kCrashed)};
    const std::vector<TimeRange> none, longSleeps{{y1601, now}, {MakeDateTime(1700, 1, 1), now}};
    const std::vector<Case> cases = {
        {"one session, a range from the year 1", one, none, MakeDateTime(1, 1, 1), now, 1},
        {"one session, now in the year 9999", one, none, MakeDateTime(2026, 1, 1),
         MakeDateTime(9999, 12, 31), 1},
        {"an entry of centuries, by default", centuries, none, std::nullopt, now, kTimelineDays},
        {"an entry of centuries in a range", centuries, none, y1601, now, kTimelineDaysOfARange},
        {"sleeps of centuries over sessions centuries apart", apart, longSleeps, y1601, now, 7},
        {"overlapping sessions and sleeps over decades", overlapping, sleeps,
         MakeDateTime(1990, 1, 1), now, kTimelineDaysOfARange},
        {"sessions of every cause over ten years, with long reasons", everyCause, none, y2010, now,
         kTimelineDaysOfARange, std::string(1000, '"')}};
    for (const Case& c : cases) {
        ChartInput input;
        input.now = c.now;
        input.since = c.since;
        input.sessions = c.sessions;
        input.sleeps = c.sleeps;
        input.reasons.assign(c.sessions.size(), c.reason);
        input.statistics = DesignedStatisticsCaptions();
        const std::string page = ChartPage(input);
        EXPECT_LT(page.size(), 3u << 20) << c.what;
        const std::size_t rows = Count(page, "<text class=\"day\"");
        EXPECT_EQ(rows, c.rows) << c.what;
        // Bars of one class are disjoint: each row continues at most one of each class.
        EXPECT_LE(Count(page, " data-s=\""), 4 * rows + c.sessions.size()) << c.what;
        EXPECT_LE(Count(page, "<rect class=\"sleep\""), rows) << c.what;
        EXPECT_LE(Count(page, "<tr><td>"), 120u) << c.what << ": months in the table";
        EXPECT_LE(Count(page, "<rect class=\"h"), 3660u + 6u) << c.what << ": calendar days";
    }
}

// Off Windows the log's bytes reach the page as they are: damaged UTF-8 must not make the
// page unreadable to an XML parser or a strict decoder, and a Latin-1 log still reads.
TEST(ChartPage, ItsTextIsWellFormedUtf8WhateverTheLogHolds) {
    const std::string r = kReplacement;
    const std::pair<const char*, std::string> cases[] = {
        {"caf\xC3\xA9 \xF0\x9F\x98\x80", "caf\xC3\xA9 \xF0\x9F\x98\x80"},  // well-formed
        {"\xE9t\xE9 5\xB0", "\xC3\xA9t\xC3\xA9 5\xC2\xB0"},                // Latin-1
        {"a\xED\xA0\x80z", "a" + r + r + r + "z"},                         // a surrogate
        {"\xC0\xAF\xE0\x80\xAF", r + r + r + r + r},                       // overlong forms
        {"\xF4\x90\x80\x80\xF5\x80", r + r + r + r + r + r},               // past U+10FFFF
        {"\xF0\x9F\x98 \xE2\x82", r + " " + r},                            // cut short
        {"\x80\x9F", r + r},                                               // no characters
        {"\xEF\xBF\xBE\xEF\xBF\xBF", r + r},                               // no characters in XML
        {"\xC0\xAF \xB0", r + r + " \xC2\xB0"},                            // Latin-1 past damage
    };
    for (const auto& [text, markup] : cases) EXPECT_EQ(MarkupUtf8(text), markup) << text;
    EXPECT_EQ(MarkupUtf8(std::string_view("a&b", 1)), "a") << "nothing past the text's end";

    // The same bytes in a reason and a figure, through the platform's conversion.
    ChartInput input;
    input.now = MakeDateTime(2026, 12, 6, 12);
    input.statistics = DesignedStatisticsCaptions();
    input.statistics[kAverageSession] += "\t\xED\xBF\xBF";
    std::string reason;
    for (const auto& [text, markup] : cases) reason += text;
    input.sessions = {Session(input.now - 3 * kHour, input.now - kHour)};
    input.reasons = {reason + std::string(300, '\xE9')};
    const std::string page = ChartPage(input);
    for (std::size_t at = 0; at < page.size();) {
        const std::size_t length = Utf8SequenceLength(page, at);
        ASSERT_GT(length, 0u) << "at " << at << ": " << page.substr(at, 20);
        at += length;
    }
    EXPECT_THAT(page, Not(HasSubstr("\xEF\xBF\xBF")));
    EXPECT_THAT(page, HasSubstr("\xC3\xA9\xE2\x80\xA6</title>")) << "a reason of any length is cut";
}

}  // namespace
}  // namespace uptrail
