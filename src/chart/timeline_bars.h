#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/date_time.h"
#include "sessionlog/session_periods.h"

namespace uptrail {

// The classes of the bars: the three causes, and running.
inline constexpr std::size_t kTimelineColours = 4;

// A session as the timeline draws it.
struct TimelineSession {
    DateTime start{};
    DateTime end{};
    std::size_t place = 0;  // among the chart's sessions, the running one after them
    int colour = 0;         // the class number: the cause, or running
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
    std::span<const TimelineSession> members;  // by start
    const TimelineSession* last = nullptr;     // the member that ends last
};

// Sessions grouped by colour (in order of colour) are put in order of their start within
// each group, stable, so that of two at one time the later in the chart ends a tie. A log
// is mostly in order already, and then nothing moves.
void SortGroupsByStart(std::span<TimelineSession> sessionsByColour);

// The bars of sessions in the order SortGroupsByStart leaves, grouped and ordered alike;
// those of one colour are disjoint. A session of no length inside another is part of its
// bar; several of no length at one time are one bar. The sessions must outlive the bars.
class TimelineBars {
public:
    explicit TimelineBars(std::span<const TimelineSession> sorted);

    std::size_t Size() const { return bars_.size(); }
    TimelineBar operator[](std::size_t index) const;

private:
    // Kept small: a log of many sessions makes as many bars, each looked at a few times,
    // and memory touched for the first time is what costs. 2^32 sessions would take a
    // log of tens of gigabytes, and far more memory to read it.
    struct Members {
        std::uint32_t first = 0;
        std::uint32_t count = 0;
        std::uint32_t last = 0;  // the one that ends last
    };

    std::span<const TimelineSession> sessions_;
    std::vector<Members> bars_;
};

// The periods asleep, overlapping and repeated ones merged and those of no length left
// out, in order.
std::vector<TimeRange> MergedSleeps(std::vector<TimeRange> sleeps);

// The day of a moment, and the last day a period shows on: the day of its last second, or
// its start's for one of no length.
Date DayOf(DateTime time);
Date LastDayOf(DateTime start, DateTime end);

// The newest `most` days that some of the bars shows on, oldest first. Each bar is
// walked from its last day back only while its days could still be among them, and the
// older bars of a colour not at all once they cannot, so the work grows with the days
// shown and the bars, never with the years a damaged entry spans.
std::vector<Date> NewestDays(const TimelineBars& bars, std::size_t most);

}  // namespace uptrail
