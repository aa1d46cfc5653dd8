#include "chart/timeline_bars.h"

#include <algorithm>
#include <set>

namespace uptrail {
namespace {

bool StartsEarlier(const TimelineSession& a, const TimelineSession& b) { return a.start < b.start; }

}  // namespace

Date DayOf(DateTime time) { return std::chrono::floor<std::chrono::days>(time); }

Date LastDayOf(DateTime start, DateTime end) {
    return end > start ? DayOf(end - std::chrono::seconds{1}) : DayOf(start);
}

void SortGroupsByStart(std::span<TimelineSession> sessionsByColour) {
    for (auto group = sessionsByColour.begin(); group != sessionsByColour.end();) {
        const auto end = std::find_if(
            group, sessionsByColour.end(),
            [&](const TimelineSession& session) { return session.colour != group->colour; });
        if (!std::is_sorted(group, end, StartsEarlier)) std::stable_sort(group, end, StartsEarlier);
        group = end;
    }
}

TimelineBars::TimelineBars(std::span<const TimelineSession> sorted) : sessions_(sorted) {
    DateTime end{};  // of the newest bar
    for (std::size_t index = 0; index < sorted.size(); ++index) {
        const TimelineSession& session = sorted[index];
        const auto at = static_cast<std::uint32_t>(index);
        if (!bars_.empty()) {
            Members& bar = bars_.back();
            const TimelineSession& first = sorted[bar.first];
            if (session.colour == first.colour &&
                (session.start < end || session.start == first.start)) {
                ++bar.count;
                if (session.end >= end) bar.last = at;
                end = std::max(end, session.end);
                continue;
            }
        }
        bars_.push_back({at, 1, at});
        end = session.end;
    }
}

TimelineBar TimelineBars::operator[](std::size_t index) const {
    const Members& bar = bars_[index];
    const TimelineSession& first = sessions_[bar.first];
    const TimelineSession& last = sessions_[bar.last];
    return {first.start, last.end, first.colour, sessions_.subspan(bar.first, bar.count), &last};
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

std::vector<Date> NewestDays(const TimelineBars& bars, std::size_t most) {
    std::set<Date> days;
    const auto full = [&] { return days.size() == most; };
    // Newest first within each colour: the bars of a colour are disjoint, so once one ends
    // before the oldest day kept, so do all before it.
    for (std::size_t index = bars.Size(); index > 0;) {
        const TimelineBar bar = bars[--index];
        const Date last = LastDayOf(bar.start, bar.end);
        if (most == 0 || (full() && last <= *days.begin())) {
            while (index > 0 && bars[index - 1].colour == bar.colour) --index;
            continue;
        }
        for (Date day = last; day >= DayOf(bar.start); day -= std::chrono::days{1}) {
            if (full() && day <= *days.begin()) break;
            days.insert(day);
            if (days.size() > most) days.erase(days.begin());
        }
    }
    return {days.begin(), days.end()};
}

}  // namespace uptrail
