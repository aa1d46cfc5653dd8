#include "chart/timeline_svg.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

#include "chart/markup.h"
#include "chart/timeline_bars.h"
#include "sessionlog/session_line.h"
#include "sessionlog/session_periods.h"

namespace uptrail {
namespace {

constexpr int kLabelWidth = 96;
constexpr int kAxisWidth = 864;  // 36 pixels an hour
constexpr int kHeaderHeight = 22;
constexpr int kRowHeight = 18;
constexpr int kBarHeight = 12;
constexpr int kHoursPerTick = 3;
constexpr std::int64_t kSecondsPerDay = 86400;
constexpr int kRunningClass = 3;
// A bar's title on a day names the first few sessions that start on it, so that it stays
// short however many overlap.
constexpr std::size_t kMostSessionsTitled = 3;
// A reason the log was edited to hold at any length is cut to what one stored holds.
constexpr std::size_t kLongestReasonShown = 240;

int ColourOf(SessionCause cause) {
    const int colour = static_cast<int>(cause);
    return colour >= 0 && colour <= 2 ? colour : 0;
}

// The sessions grouped by colour, each group by start, as TimelineBars takes them: counted
// into place, so that a log in order costs one pass and no sort.
std::vector<TimelineSession> SortedSessions(const ChartInput& input) {
    std::array<std::size_t, kTimelineColours> next{};
    for (const LogEntry& entry : input.sessions)
        ++next[static_cast<std::size_t>(ColourOf(entry.cause))];
    if (input.runningSince) ++next[kRunningClass];
    std::size_t total = 0;
    for (std::size_t& place : next) total += std::exchange(place, total);
    std::vector<TimelineSession> sessions(total);
    for (std::size_t index = 0; index < input.sessions.size(); ++index) {
        const LogEntry& entry = input.sessions[index];
        const int colour = ColourOf(entry.cause);
        sessions[next[static_cast<std::size_t>(colour)]++] = {entry.start, entry.end, index,
                                                              colour};
    }
    if (input.runningSince)
        sessions[next[kRunningClass]] = {*input.runningSince, input.now, input.sessions.size(),
                                         kRunningClass};
    SortGroupsByStart(sessions);
    return sessions;
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

double XOf(std::int64_t secondOfDay) {
    return kLabelWidth + static_cast<double>(secondOfDay) * kAxisWidth / kSecondsPerDay;
}

std::string Header(std::size_t rows) {
    const int height = kHeaderHeight + static_cast<int>(rows) * kRowHeight;
    std::string svg = "<svg class=\"timeline\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                      std::to_string(kLabelWidth + kAxisWidth + 24) + "\" height=\"" +
                      std::to_string(height) + "\" role=\"img\" aria-label=\"Timeline\">";
    for (int hour = 0; hour <= 24; hour += kHoursPerTick) {
        const std::string x = Number(XOf(std::int64_t{hour} * 3600));
        svg += "<line class=\"grid\" x1=\"" + x + "\" y1=\"" + std::to_string(kHeaderHeight - 4) +
               "\" x2=\"" + x + "\" y2=\"" + std::to_string(height) + "\"/>";
        svg += "<text class=\"axis\" text-anchor=\"middle\" x=\"" + x + "\" y=\"14\">" +
               (hour < 10 ? "0" : "") + std::to_string(hour) + ":00</text>";
    }
    return svg;
}

const char* CauseText(int colour) {
    switch (colour) {
    case 1: return "Uptrail closed by hand";
    case 2: return "crashed";
    case kRunningClass: return "running";
    default: return "ended by Windows";
    }
}

std::string ReasonText(std::string_view reason) {
    if (reason.size() <= kLongestReasonShown) return MarkupText(reason);
    std::size_t cut = kLongestReasonShown;
    // Not inside a UTF-8 character, where the log holds UTF-8.
    for (int back = 0; back < 3 && (static_cast<unsigned char>(reason[cut]) & 0xC0) == 0x80; ++back)
        --cut;
    return MarkupText(reason.substr(0, cut)) + "\xE2\x80\xA6";  // an ellipsis
}

std::string SessionTitle(const TimelineSession& session, const ChartInput& input, bool withReason) {
    std::string title =
        MarkupText(FormatSessionLine(session.start, session.end, "", *input.months, {})) + " (" +
        CauseText(session.colour) + ")";
    const std::string_view reason = session.place < input.reasons.size()
                                        ? std::string_view(input.reasons[session.place])
                                        : std::string_view();
    if (withReason && !reason.empty()) title += "&#10;" + ReasonText(reason);
    return title;
}

// A rect of a period on one day: the class that tells its part apart, and its title.
struct Piece {
    const char* part = "";
    std::string title;
};

// A bar's part on a day: " bar" where members start, naming the first few of them; " more"
// where it runs on, naming the member that ends last. A reason is told on the day its
// session starts and the day after, so that a bar over years repeats no long text on each.
Piece BarPiece(const TimelineBar& bar, Date day, const ChartInput& input) {
    const auto startsBefore = [](const TimelineSession& member, DateTime time) {
        return member.start < time;
    };
    const auto first =
        std::lower_bound(bar.members.begin(), bar.members.end(), DateTime{day}, startsBefore);
    const auto end = std::lower_bound(first, bar.members.end(),
                                      DateTime{day + std::chrono::days{1}}, startsBefore);
    Piece piece{first == end ? " more" : " bar", ""};
    std::size_t titled = 0;
    for (auto member = first; member != end && titled < kMostSessionsTitled; ++member, ++titled)
        piece.title += (titled == 0 ? "" : "&#10;") + SessionTitle(*member, input, true);
    if (titled == 0) {
        piece.title =
            SessionTitle(*bar.last, input, day <= DayOf(bar.start) + std::chrono::days{1});
        titled = 1;
    }
    const std::size_t more = bar.members.size() - titled;
    if (more > 0)
        piece.title +=
            "&#10;and " + std::to_string(more) + (more == 1 ? " more session" : " more sessions");
    return piece;
}

// Draws the parts of periods on the days shown, a rect in the row of each day.
class Rows {
public:
    Rows(std::string& svg, std::vector<Date> days) : svg_(svg), days_(std::move(days)) {}

    // Whether the period shows on any day shown.
    bool Shows(DateTime start, DateTime end) const {
        const auto first = std::lower_bound(days_.begin(), days_.end(), DayOf(start));
        return first != days_.end() && *first <= LastDayOf(start, end);
    }

    // Only the days shown are visited, so a period of centuries costs no more than they.
    // `pieceOf` gives the part and title of each day's rect.
    template <typename PieceOf>
    void Put(DateTime start, DateTime end, const std::string& classes,
             const std::string& attributes, const PieceOf& pieceOf) {
        const Date last = LastDayOf(start, end);
        for (auto day = std::lower_bound(days_.begin(), days_.end(), DayOf(start));
             day != days_.end() && *day <= last; ++day) {
            const DateTime dayStart{*day};
            const std::int64_t from = (std::max(start, dayStart) - dayStart).count();
            const std::int64_t to =
                (std::min(end, dayStart + std::chrono::days{1}) - dayStart).count();
            const double width = std::max(1.0, XOf(to) - XOf(from));
            const int y = kHeaderHeight + RowOf(day) * kRowHeight + 2;
            const Piece piece = pieceOf(*day);
            svg_ += "<rect class=\"" + classes + piece.part + "\"" + attributes + " x=\"" +
                    Number(XOf(from)) + "\" y=\"" + std::to_string(y) + "\" width=\"" +
                    Number(width) + "\" height=\"" + std::to_string(kBarHeight) + "\"><title>" +
                    piece.title + "</title></rect>";
        }
    }

    // A label per row, newest on top.
    void PutLabels() {
        for (auto day = days_.rbegin(); day != days_.rend(); ++day)
            svg_ +=
                "<text class=\"day\" x=\"0\" y=\"" +
                std::to_string(kHeaderHeight + RowOf(day.base() - 1) * kRowHeight + kBarHeight) +
                "\">" + PeriodName(PeriodKind::kDay, *day) + "</text>";
    }

private:
    // Rows newest first: the row of a day counts the days shown after it.
    int RowOf(std::vector<Date>::const_iterator day) const {
        return static_cast<int>(days_.end() - day) - 1;
    }

    std::string& svg_;
    const std::vector<Date> days_;
};

}  // namespace

std::string TimelineSvg(const ChartInput& input) {
    const std::vector<TimelineSession> sessions = SortedSessions(input);
    const TimelineBars bars(sessions);
    const bool ranged = input.since || input.until;
    std::vector<Date> days = NewestDays(bars, ranged ? kTimelineDaysOfARange : kTimelineDays);
    std::string svg = Header(days.size());
    if (days.empty()) return svg + "</svg>";
    Rows rows(svg, std::move(days));
    rows.PutLabels();
    // In order of time, as the log is: a later session over an earlier one.
    std::vector<TimelineBar> shown;
    for (std::size_t index = 0; index < bars.Size(); ++index)
        if (const TimelineBar bar = bars[index]; rows.Shows(bar.start, bar.end))
            shown.push_back(bar);
    std::stable_sort(shown.begin(), shown.end(),
                     [](const TimelineBar& a, const TimelineBar& b) { return a.start < b.start; });
    for (const TimelineBar& bar : shown)
        rows.Put(bar.start, bar.end, "s" + std::to_string(bar.colour),
                 " data-s=\"" + std::to_string(bar.last->place) + "\"",
                 [&](Date day) { return BarPiece(bar, day, input); });
    // Over the bars, so that a session's sleep shows as a lighter part of it.
    for (const TimeRange& sleep : MergedSleeps(input.sleeps)) {
        if (!rows.Shows(sleep.from, sleep.to)) continue;
        const std::string title =
            "Asleep" + MarkupText(FormatSessionLine(sleep.from, sleep.to, "", *input.months, {}));
        rows.Put(sleep.from, sleep.to, "sleep", "", [&title](Date) { return Piece{"", title}; });
    }
    return svg + "</svg>";
}

}  // namespace uptrail
