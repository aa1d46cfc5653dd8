#pragma once
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "base/timestamp.h"
#include "platform/time_zone.h"
#include "sessionlog/end_reason.h"
#include "sessionlog/log_entries.h"
#include "sessionlog/session_periods.h"
#include "sessionlog/statistics.h"

namespace uptrail {

// What the session chart shows: the tray's figures, the sessions of the systems shown, and
// the range asked for.
struct ChartInput {
    StatisticsCaptions statistics;         // the items of "&Statistics", label Tab value
    std::vector<LogEntry> sessions;        // oldest first; only their times and causes are used
    std::vector<std::string> reasons;      // by session: why it ended, when known (may be empty)
    std::vector<TimeRange> sleeps;         // the periods asleep inside those sessions
    std::optional<DateTime> runningSince;  // the session this system is in, when there is one
    DateTime now{};
    std::optional<DateTime> since;
    std::optional<DateTime> until;
    const TimeZone* zone = nullptr;  // for the hours of a day; none: no daylight saving
    const MonthNames* months = &EnglishMonthNames();
};

// The reasons of `sessions`, in their order, for ChartInput::reasons; none when no session
// has one.
std::vector<std::string> ReasonsOf(std::span<const LogEntry> sessions, const EndReasons& reasons);

// The page: one self-contained HTML5 document (inline CSS and SVG, no script, nothing
// fetched), well-formed XML as well, in the reader's light or dark colours and fit to
// print. It holds the statistics; a timeline, one row per day, newest on top, each
// session a bar coloured by how it ended (continued on the next row past midnight), with
// its times as the session list writes them and why it ended, its sleep drawn lighter; a calendar
// of the days shaded by hours on, days with a crash marked; and a table per month. By default the
// timeline shows the newest 60 days that hold sessions, the calendar and the table the last 12
// months; a range shows its own days and months, the newest ten years of them at most.
std::string ChartPage(const ChartInput& input);

}  // namespace uptrail
