#pragma once
#include <string>

#include "chart/chart_page.h"

namespace uptrail {

// How many days the timeline shows at most: without a range the newest 60 that hold
// sessions; with one, every day of it that holds sessions, up to ten years of them.
inline constexpr std::size_t kTimelineDays = 60;
inline constexpr std::size_t kTimelineDaysOfARange = 3660;

// The timeline as an SVG element: a row per day that holds sessions, newest on top, an axis
// from 00:00 to 24:00. Each session is a rect of class "bar" on the day it started and
// "more" on each further day it runs into, class s0 to s2 by its cause (s3: running),
// data-s its place among the input's sessions (the running one after them), and a title
// with its times and length as the session list writes them and why it ended (told on the
// day it started and the next, so that a bar over years repeats no long text). Sessions of
// one class that overlap are one bar, placed as the one that ends last; its title on a day
// names the first few that start on it, or the one that ends last. Each period asleep is a
// rect of class "sleep" over its session's bar, overlapping ones as one.
std::string TimelineSvg(const ChartInput& input);

}  // namespace uptrail
