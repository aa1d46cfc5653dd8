#include "chart/chart_page.h"

#include "chart/calendar_svg.h"
#include "chart/markup.h"
#include "chart/timeline_svg.h"
#include "sessionlog/session_periods.h"

namespace uptrail {
namespace {

constexpr int kCalendarMonths = 12;
// The most months the calendar and the table show of a range: the newest ten years, as the
// timeline shows, so that a time stamp damaged into another century makes no page of
// megabytes of empty days.
constexpr std::int64_t kMostCalendarMonths = 120;
constexpr std::int64_t kSecondsPerHour = 3600;

// Light by default, dark where the reader asks for it, plain on paper. The session colours
// are told apart by lightness too, for readers who do not tell the hues apart.
constexpr const char* kStyle = R"(
:root { color-scheme: light dark; --bg: #ffffff; --fg: #1f2328; --dim: #656d76; --grid: #d0d7de;
  --s0: #2f6fcf; --s1: #d69a1d; --s2: #cf3030; --s3: #2e9e4f;
  --h0: #ebedf0; --h1: #b6e3b0; --h2: #6cc070; --h3: #2f9e44; --h4: #1b5e20; }
@media (prefers-color-scheme: dark) {
  :root { --bg: #0d1117; --fg: #e6edf3; --dim: #8d96a0; --grid: #30363d;
    --s0: #5b9cf0; --s1: #e3b341; --s2: #f0625b; --s3: #4cc26f;
    --h0: #161b22; --h1: #0e4429; --h2: #006d32; --h3: #26a641; --h4: #39d353; } }
body { background: var(--bg); color: var(--fg); margin: 24px;
  font: 14px/1.4 "Segoe UI", system-ui, sans-serif; }
h1 { font-size: 20px; margin: 0 0 16px; } h2 { font-size: 16px; margin: 28px 0 8px; }
table { border-collapse: collapse; } td, th { padding: 2px 12px 2px 0; text-align: left; }
table.months td.n, table.months th.n { text-align: right; }
table.months tr + tr td { border-top: 1px solid var(--grid); }
svg text { fill: var(--fg); font-size: 11px; } svg .axis, svg .day { fill: var(--dim); }
.grid { stroke: var(--grid); stroke-width: 1; }
.s0 { fill: var(--s0); } .s1 { fill: var(--s1); } .s2 { fill: var(--s2); } .s3 { fill: var(--s3); }
.more { opacity: 0.85; }
.h0 { fill: var(--h0); } .h1 { fill: var(--h1); } .h2 { fill: var(--h2); }
.h3 { fill: var(--h3); } .h4 { fill: var(--h4); }
.crash { stroke: var(--s2); stroke-width: 2; }
.sleep { fill: var(--bg); fill-opacity: 0.55; }
.key span { display: inline-block; width: 12px; height: 12px; margin: 0 4px 0 12px;
  vertical-align: -1px; }
.key .s0 { background: var(--s0); } .key .s1 { background: var(--s1); }
.key .s2 { background: var(--s2); } .key .s3 { background: var(--s3); }
.key .asleep { opacity: 0.45; }
@media print { :root { --bg: #ffffff; --fg: #000000; --dim: #444444; }
  body { margin: 0; } section { break-inside: avoid; } }
)";

std::string StatisticsTable(const StatisticsCaptions& captions) {
    std::string html = "<table class=\"stats\">";
    for (const std::string& caption : captions) {
        if (caption == "-") continue;
        const std::size_t tab = caption.find('\t');
        html += "<tr><th>" + MarkupText(caption.substr(0, tab)) + "</th><td>" +
                (tab == std::string::npos ? "" : MarkupText(caption.substr(tab + 1))) +
                "</td></tr>";
    }
    return html + "</table>";
}

std::string MonthTable(const std::vector<PeriodFigures>& months) {
    std::string html =
        "<table class=\"months\"><tr><th>Month</th><th class=\"n\">Hours on</th>"
        "<th class=\"n\">Sessions</th><th class=\"n\">Crashed</th><th "
        "class=\"n\">On-time</th></tr>";
    for (auto month = months.rbegin(); month != months.rend(); ++month)
        html += "<tr><td>" + PeriodName(PeriodKind::kMonth, month->first) +
                "</td><td class=\"n\">" + OneDecimal(month->onSeconds, kSecondsPerHour) +
                "</td><td class=\"n\">" + std::to_string(month->sessions) +
                "</td><td class=\"n\">" + std::to_string(month->crashed) + "</td><td class=\"n\">" +
                OneDecimal(month->onSeconds, month->seconds, 100) + "%</td></tr>";
    return html + "</table>";
}

// The calendar's and the table's range: as asked, up to its newest months shown, else the
// last twelve months to now.
TimeRange CalendarRange(const ChartInput& input) {
    const DateTime to = std::min(input.until.value_or(input.now), input.now);
    if (!input.since) return {PeriodsBefore(PeriodKind::kMonth, to, kCalendarMonths), to};
    TimeRange range{*input.since, to};
    if (CountPeriods(PeriodKind::kMonth, range) > kMostCalendarMonths)
        range.from = PeriodsBefore(PeriodKind::kMonth, range.to, kMostCalendarMonths);
    return range;
}

// The sessions counted, the running one with them.
std::vector<LogEntry> CountedSessions(const ChartInput& input) {
    std::vector<LogEntry> sessions = input.sessions;
    if (input.runningSince) sessions.push_back({*input.runningSince, input.now});
    return sessions;
}

std::string Key() {
    return "<p class=\"key\"><span class=\"s0\"></span>ended by Windows"
           "<span class=\"s1\"></span>Uptrail closed by hand"
           "<span class=\"s2\"></span>crashed<span class=\"s3\"></span>running"
           "<span class=\"s0 asleep\"></span>asleep</p>";
}

}  // namespace

std::vector<std::string> ReasonsOf(std::span<const LogEntry> sessions, const EndReasons& reasons) {
    std::vector<std::string> found;
    if (reasons.Empty()) return found;
    found.reserve(sessions.size());
    for (const LogEntry& entry : sessions) found.emplace_back(reasons.Of(entry.start));
    return found;
}

std::string ChartPage(const ChartInput& input) {
    static const FixedTimeZone noDaylightSaving;
    const TimeZone& zone = input.zone ? *input.zone : noDaylightSaving;
    const TimeRange range = CalendarRange(input);
    const std::vector<LogEntry> sessions = CountedSessions(input);
    const auto days = TabulatePeriods(sessions, PeriodKind::kDay, range, zone);
    const auto months = TabulatePeriods(sessions, PeriodKind::kMonth, range, zone);

    std::string page =
        "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\"><head>"
        "<meta charset=\"utf-8\"/><meta name=\"color-scheme\" content=\"light dark\"/>"
        "<title>Uptrail Session Chart</title><style>";
    page += kStyle;
    page += "</style></head><body><h1>Uptrail Session Chart</h1><section><h2>Statistics</h2>";
    page += StatisticsTable(input.statistics);
    page += "</section><section><h2>Timeline</h2>" + Key() + TimelineSvg(input);
    page += "</section><section><h2>Calendar</h2>" + CalendarSvg(days);
    page += "</section><section><h2>Months</h2>" + MonthTable(months);
    return page + "</section></body></html>\n";
}

}  // namespace uptrail
