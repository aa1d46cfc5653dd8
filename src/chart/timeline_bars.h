#pragma once
#include <cstddef>
#include <string_view>
#include <vector>

#include "base/date_time.h"
#include "sessionlog/session_periods.h"

namespace uptrail {

// A session as the timeline draws it.
struct TimelineSession {
    DateTime start{};
    DateTime end{};
    int colour = 0;  // the class number: the cause, or running
    std::string_view reason;
    std::size_t place = 0;  // among the chart's sessions, the running one after them
};

// Sessions of one colour that overlap, drawn as one bar: two installations that share a
// log, or damaged entries, would otherwise stack a bar per session on every day they
// cover. Sessions of different colours keep their own bars, so that how each ended still
// shows where they overlap. The bar takes the place of the member that ends last, as its
// end is the bar's end.
struct TimelineBar {
    DateTime start{};
    DateTime end{};
    int colour = 0;
    std::vector<const TimelineSession*> members;  // by start
    const TimelineSession* last = nullptr;        // the member that ends last
};

// The bars of `sessionsByStart` (sorted by start, stable, so that of two at one time the
// later in the chart ends a tie), in order of their start; those of one colour are
// disjoint. A session of no length inside another is part of its bar; several of no length
// at one time are one bar. The sessions must outlive the bars.
std::vector<TimelineBar> MergedBars(const std::vector<TimelineSession>& sessionsByStart);

// The periods asleep, overlapping and repeated ones merged and those of no length left
// out, in order.
std::vector<TimeRange> MergedSleeps(std::vector<TimeRange> sleeps);

// The day of a moment, and the last day a period shows on: the day of its last second, or
// its start's for one of no length.
Date DayOf(DateTime time);
Date LastDayOf(DateTime start, DateTime end);

// The newest `most` days that some bar shows on, oldest first. The work grows with the
// bars and the days shown, never with the years a damaged entry spans.
std::vector<Date> NewestDays(const std::vector<TimelineBar>& bars, std::size_t most);

}  // namespace uptrail
