#include "chart/timeline_svg.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "chart/markup.h"
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

struct Session {
    DateTime start{};
    DateTime end{};
    int colour = 0;  // the class number: the cause, or running
    std::string_view reason;
};

Date DayOf(DateTime time) { return std::chrono::floor<std::chrono::days>(time); }

// The last day a session shows on: the day of its last second, or its start's for one of
// no length.
Date LastDayOf(DateTime start, DateTime end) {
    return end > start ? DayOf(end - std::chrono::seconds{1}) : DayOf(start);
}

Date LastDayOf(const Session& session) { return LastDayOf(session.start, session.end); }

std::vector<Session> SessionsOf(const ChartInput& input) {
    std::vector<Session> sessions;
    sessions.reserve(input.sessions.size() + 1);
    for (std::size_t index = 0; index < input.sessions.size(); ++index) {
        const LogEntry& entry = input.sessions[index];
        const int cause = static_cast<int>(entry.cause);
        const std::string_view reason =
            index < input.reasons.size() ? std::string_view(input.reasons[index]) : "";
        sessions.push_back({entry.start, entry.end, cause >= 0 && cause <= 2 ? cause : 0, reason});
    }
    if (input.runningSince) sessions.push_back({*input.runningSince, input.now, kRunningClass, ""});
    return sessions;
}

// The newest `most` days that some session shows on. Each session is walked from its last
// day back only while its days could still be among them, so a damaged entry that spans
// centuries costs no more than any other.
std::set<Date> DaysShown(const std::vector<Session>& sessions, std::size_t most) {
    std::set<Date> days;
    // Newest first, as a log mostly is from its end: once the newest days are found, an
    // older session is passed over at its first look.
    for (auto it = sessions.rbegin(); it != sessions.rend(); ++it) {
        const Session& session = *it;
        const Date first = DayOf(session.start);
        for (Date day = LastDayOf(session); day >= first; day -= std::chrono::days{1}) {
            if (days.size() == most && day <= *days.begin()) break;
            days.insert(day);
            if (days.size() > most) days.erase(days.begin());
        }
    }
    return days;
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

}  // namespace

std::string TimelineSvg(const ChartInput& input) {
    const std::vector<Session> sessions = SessionsOf(input);
    const bool ranged = input.since || input.until;
    const std::set<Date> days = DaysShown(sessions, ranged ? kTimelineDaysOfARange : kTimelineDays);
    std::string svg = Header(days.size());
    if (days.empty()) return svg + "</svg>";
    // Rows newest first: the row of a day counts the days shown after it.
    std::vector<Date> order(days.rbegin(), days.rend());
    const auto rowOf = [&](Date day) {
        return static_cast<int>(
            std::lower_bound(order.begin(), order.end(), day, std::greater<>()) - order.begin());
    };
    for (std::size_t row = 0; row < order.size(); ++row)
        svg += "<text class=\"day\" x=\"0\" y=\"" +
               std::to_string(kHeaderHeight + static_cast<int>(row) * kRowHeight + kBarHeight) +
               "\">" + PeriodName(PeriodKind::kDay, order[row]) + "</text>";

    // Each part of a period on a day shown, as a rect of the row of that day.
    const Date oldest = *days.begin();
    const Date newest = *days.rbegin();
    const auto putParts = [&](DateTime start, DateTime end, const std::string& classes,
                              const std::string& attributes, const std::string& title,
                              bool marksFirstDay) {
        const Date first = std::max(DayOf(start), oldest);
        for (Date day = first; day <= std::min(LastDayOf(start, end), newest);
             day += std::chrono::days{1}) {
            if (!days.contains(day)) continue;
            const DateTime dayStart{day};
            const std::int64_t from = (std::max(start, dayStart) - dayStart).count();
            const std::int64_t to =
                (std::min(end, dayStart + std::chrono::days{1}) - dayStart).count();
            const double width = std::max(1.0, XOf(to) - XOf(from));
            const int y = kHeaderHeight + rowOf(day) * kRowHeight + 2;
            const char* const part = !marksFirstDay ? "" : day == DayOf(start) ? " bar" : " more";
            svg += "<rect class=\"" + classes + part + "\"" + attributes + " x=\"" +
                   Number(XOf(from)) + "\" y=\"" + std::to_string(y) + "\" width=\"" +
                   Number(width) + "\" height=\"" + std::to_string(kBarHeight) + "\"><title>" +
                   title + "</title></rect>";
        }
    };
    for (std::size_t index = 0; index < sessions.size(); ++index) {
        const Session& session = sessions[index];
        if (LastDayOf(session) < oldest || DayOf(session.start) > newest) continue;
        std::string title =
            MarkupText(FormatSessionLine(session.start, session.end, "", *input.months, {})) +
            " (" + CauseText(session.colour) + ")";
        if (!session.reason.empty()) title += "&#10;" + MarkupText(session.reason);
        putParts(session.start, session.end, "s" + std::to_string(session.colour),
                 " data-s=\"" + std::to_string(index) + "\"", title, true);
    }
    // Over the bars, so that a session's sleep shows as a lighter part of it.
    for (const TimeRange& sleep : input.sleeps) {
        if (sleep.to <= sleep.from) continue;
        const std::string title =
            "Asleep" + MarkupText(FormatSessionLine(sleep.from, sleep.to, "", *input.months, {}));
        putParts(sleep.from, sleep.to, "sleep", "", title, false);
    }
    return svg + "</svg>";
}

}  // namespace uptrail
