#include "chart/chart_page.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>

#include "chart/calendar_svg.h"
#include "chart/markup.h"
#include "chart/timeline_svg.h"

namespace uptrail {
namespace {

LogEntry Session(DateTime start, DateTime end, SessionCause cause = SessionCause::kWindowsEnded) {
    return LogEntry{start, end, cause, 0};
}

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
    EXPECT_NE(svg.find(">2026-12-06</text>"), std::string::npos) << "the running session's day";
    EXPECT_LT(svg.find(">2026-12-06</text>"), svg.find(">2026-11-09</text>")) << "newest on top";

    const auto rects = RectsBySession(svg);
    // The oldest session shown may have started on a day that is no longer shown.
    const int oldest = rects.begin()->first;
    for (const auto& [index, classes] : rects) {
        const std::string cause = index == 70 ? "s3" : "s" + std::to_string(index % 3);
        if (index != oldest) {
            EXPECT_EQ(Count(classes.front(), " bar"), 1u) << index;
        }
        for (std::size_t i = 1; i < classes.size(); ++i) {
            EXPECT_EQ(Count(classes[i], " more"), 1u) << index;
        }
        for (const std::string& c : classes) EXPECT_TRUE(c.starts_with(cause + " ")) << c;
        // Crossing midnight: a bar and one more piece, unless the next day fell out.
        if (index % 2 == 1 && index != 70 && index != oldest) {
            EXPECT_EQ(classes.size(), 2u) << index;
        }
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
    input.sessions = {Session(MakeDateTime(2026, 12, 4, 20), MakeDateTime(2026, 12, 5, 10),
                              SessionCause::kCrashed)};
    input.reasons = {"Blue screen, stop code 0x0000009F <&>"};
    input.sleeps = {{MakeDateTime(2026, 12, 4, 23), MakeDateTime(2026, 12, 5, 7)}};
    const std::string svg = TimelineSvg(input);
    EXPECT_EQ(Count(svg, "<rect class=\"sleep\""), 2u) << svg;
    EXPECT_GT(svg.find("<rect class=\"sleep\""), svg.rfind("data-s=\"0\""));
    // 23:00 is 828 pixels into the axis; the part before midnight is an hour wide.
    EXPECT_NE(svg.find("<rect class=\"sleep\" x=\"924.0\" y=\"42\" width=\"36.0\""),
              std::string::npos)
        << svg;
    EXPECT_NE(svg.find("(crashed)&#10;Blue screen, stop code 0x0000009F &lt;&amp;&gt;</title>"),
              std::string::npos);

    const std::string page = ChartPage(input);
    EXPECT_NE(page.find(".sleep { fill: var(--bg); fill-opacity: 0.55; }"), std::string::npos);
    EXPECT_NE(page.find("</span>asleep</p>"), std::string::npos) << "the key names it";
}

TEST(ChartTimeline, ADamagedEntryOfCenturiesCostsNoMoreThanItsDaysShown) {
    ChartInput input;
    input.now = MakeDateTime(2026, 12, 6);
    input.sessions.push_back(Session(MakeDateTime(1601, 1, 1), MakeDateTime(2026, 12, 5, 6)));
    const std::string svg = TimelineSvg(input);
    EXPECT_EQ(Count(svg, "<text class=\"day\""), kTimelineDays);
    EXPECT_EQ(Count(svg, " more\""), kTimelineDays) << "no row holds its start";
}

TEST(ChartCalendar, ShadesByHoursOnAndMarksCrashes) {
    EXPECT_EQ(ShadeOf(0), 0);
    EXPECT_EQ(ShadeOf(1), 1);
    EXPECT_EQ(ShadeOf(2 * 3600), 1);
    EXPECT_EQ(ShadeOf(2 * 3600 + 1), 2);
    EXPECT_EQ(ShadeOf(12 * 3600), 3);
    EXPECT_EQ(ShadeOf(24 * 3600), 4);
    std::vector<PeriodFigures> days;
    for (int i = 0; i < 3; ++i)
        days.push_back({Date{std::chrono::floor<std::chrono::days>(MakeDateTime(2026, 12, 1 + i))},
                        i * 5 * 3600, 86400, i, i == 2 ? 1 : 0});
    const std::string svg = CalendarSvg(days);
    EXPECT_NE(svg.find("class=\"h3 crash\""), std::string::npos) << "10 hours on";
    EXPECT_NE(svg.find("<title>2026-12-03: 10.0 h on, 2 sessions, 1 crashed</title>"),
              std::string::npos);
    EXPECT_EQ(Count(svg, "<title>"), 3u);
}

TEST(ChartPage, IsSelfContainedAndItsTextsAreEscaped) {
    EXPECT_EQ(MarkupText("a<b & \"c\" 'd'>\t"), "a&lt;b &amp; &quot;c&quot; &#39;d&#39;&gt; ");
    // A byte that is no UTF-8 becomes the Latin-1 character, so the page stays valid.
    EXPECT_EQ(MarkupText("\xe9t\xe9"), "\xc3\xa9t\xc3\xa9");
    EXPECT_EQ(OneDecimal(1, 3, 100), "33.3");
    EXPECT_EQ(OneDecimal(0, 0), "0.0");

    ChartInput input;
    input.now = MakeDateTime(2026, 12, 6, 12);
    input.statistics = DesignedStatisticsCaptions();
    input.statistics[kAverageSession] += "\t00d <1h>";
    const std::string page = ChartPage(input);
    EXPECT_TRUE(page.starts_with("<!DOCTYPE html>\n<html"));
    EXPECT_NE(page.find("<th>Average Session:</th><td>00d &lt;1h&gt;</td>"), std::string::npos);
    for (const char* fetched : {"<script", "src=", "href=", "url(", "@import", "<link"})
        EXPECT_EQ(page.find(fetched), std::string::npos) << fetched;
    EXPECT_EQ(Count(page, "<tr><td>2026-"), 12u) << "a row per month of the last twelve";
}

// A full log of 32000 sessions still makes a page that a mail or a chat takes.
TEST(ChartPage, TheDefaultPageOfAFullLogStaysUnderOneMegabyte) {
    ChartInput input;
    input.now = MakeDateTime(2026, 12, 6, 12);
    DateTime start = MakeDateTime(2000, 1, 1);
    for (int i = 0; i < 32000; ++i, start += std::chrono::hours{7})
        input.sessions.push_back(Session(start, start + std::chrono::hours{5}));
    EXPECT_LT(ChartPage(input).size(), 1u << 20);
}

}  // namespace
}  // namespace uptrail
