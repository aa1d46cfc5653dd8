#include "chart/timeline_bars.h"

#include <algorithm>
#include <array>
#include <optional>

namespace uptrail {
namespace {

constexpr std::size_t kColours = 4;

struct DaySpan {
    Date first{};
    Date last{};
};

}  // namespace

Date DayOf(DateTime time) { return std::chrono::floor<std::chrono::days>(time); }

Date LastDayOf(DateTime start, DateTime end) {
    return end > start ? DayOf(end - std::chrono::seconds{1}) : DayOf(start);
}

std::vector<TimelineBar> MergedBars(const std::vector<TimelineSession>& sessionsByStart) {
    std::vector<TimelineBar> bars;
    std::array<std::optional<std::size_t>, kColours> open{};  // the newest bar of each colour
    for (const TimelineSession& session : sessionsByStart) {
        std::optional<std::size_t>& index = open[static_cast<std::size_t>(session.colour)];
        if (index) {
            TimelineBar& bar = bars[*index];
            if (session.start < bar.end || session.start == bar.start) {
                bar.members.push_back(&session);
                if (session.end >= bar.end) bar.last = &session;
                bar.end = std::max(bar.end, session.end);
                continue;
            }
        }
        index = bars.size();
        bars.push_back({session.start, session.end, session.colour, {&session}, &session});
    }
    return bars;
}

std::vector<TimeRange> MergedSleeps(std::vector<TimeRange> sleeps) {
    std::erase_if(sleeps, [](const TimeRange& sleep) { return sleep.to <= sleep.from; });
    std::sort(sleeps.begin(), sleeps.end(),
              [](const TimeRange& a, const TimeRange& b) { return a.from < b.from; });
    std::vector<TimeRange> merged;
    for (const TimeRange& sleep : sleeps) {
        if (!merged.empty() && sleep.from <= merged.back().to)
            merged.back().to = std::max(merged.back().to, sleep.to);
        else
            merged.push_back(sleep);
    }
    return merged;
}

std::vector<Date> NewestDays(const std::vector<TimelineBar>& bars, std::size_t most) {
    // The days the bars show on, as disjoint spans in order: the bars come by start.
    std::vector<DaySpan> spans;
    for (const TimelineBar& bar : bars) {
        const DaySpan span{DayOf(bar.start), LastDayOf(bar.start, bar.end)};
        if (!spans.empty() && span.first <= spans.back().last + std::chrono::days{1})
            spans.back().last = std::max(spans.back().last, span.last);
        else
            spans.push_back(span);
    }
    std::vector<Date> days;  // newest first while gathered
    for (auto span = spans.rbegin(); span != spans.rend() && days.size() < most; ++span)
        for (Date day = span->last; day >= span->first && days.size() < most;
             day -= std::chrono::days{1})
            days.push_back(day);
    std::reverse(days.begin(), days.end());
    return days;
}

}  // namespace uptrail
