#include "chart/calendar_svg.h"

#include "chart/markup.h"

namespace uptrail {
namespace {

constexpr int kCell = 12;
constexpr int kStep = 14;
constexpr int kLeft = 30;
constexpr int kTop = 16;
constexpr int kWeeksPerBlock = 53;
constexpr int kBlockHeight = kTop + 7 * kStep + 12;
constexpr std::int64_t kSecondsPerHour = 3600;
// The upper bounds of the shades, in hours.
constexpr std::int64_t kShadeHours[] = {2, 6, 12};
constexpr const char* kWeekdays[] = {"Mon", "", "Wed", "", "Fri", "", ""};
constexpr const char* kLegend[] = {"none", "up to 2 h", "up to 6 h", "up to 12 h", "more"};

// Monday 0 to Sunday 6; 1970-01-01 was a Thursday.
int WeekdayOf(Date day) {
    const std::int64_t days = day.time_since_epoch().count();
    return static_cast<int>(((days + 3) % 7 + 7) % 7);
}

std::string CellTitle(const PeriodFigures& day) {
    std::string title = PeriodName(PeriodKind::kDay, day.first) + ": " +
                        OneDecimal(day.onSeconds, kSecondsPerHour) + " h on, " +
                        std::to_string(day.sessions) +
                        (day.sessions == 1 ? " session" : " sessions");
    if (day.crashed > 0) title += ", " + std::to_string(day.crashed) + " crashed";
    return title;
}

std::string Legend(int y) {
    std::string svg = "<g class=\"legend\">";
    for (int shade = 0; shade < 5; ++shade) {
        const int x = kLeft + shade * 84;
        svg += "<rect class=\"h" + std::to_string(shade) + "\" x=\"" + std::to_string(x) +
               "\" y=\"" + std::to_string(y) + "\" width=\"" + std::to_string(kCell) +
               "\" height=\"" + std::to_string(kCell) + "\"/><text x=\"" +
               std::to_string(x + kCell + 4) + "\" y=\"" + std::to_string(y + 10) + "\">" +
               kLegend[shade] + "</text>";
    }
    const int x = kLeft + 5 * 84;
    return svg + "<rect class=\"h0 crash\" x=\"" + std::to_string(x) + "\" y=\"" +
           std::to_string(y) + "\" width=\"" + std::to_string(kCell) + "\" height=\"" +
           std::to_string(kCell) + "\"/><text x=\"" + std::to_string(x + kCell + 4) + "\" y=\"" +
           std::to_string(y + 10) + "\">a crash</text></g>";
}

}  // namespace

int ShadeOf(std::int64_t onSeconds) {
    if (onSeconds <= 0) return 0;
    int shade = 1;
    for (const std::int64_t hours : kShadeHours)
        if (onSeconds > hours * kSecondsPerHour) ++shade;
    return shade;
}

std::string CalendarSvg(const std::vector<PeriodFigures>& days) {
    const int offset = days.empty() ? 0 : WeekdayOf(days.front().first);
    const int weeks = (offset + static_cast<int>(days.size()) + 6) / 7;
    const int blocks = std::max(1, (weeks + kWeeksPerBlock - 1) / kWeeksPerBlock);
    const int height = blocks * kBlockHeight + 20;
    std::string svg = "<svg class=\"calendar\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                      std::to_string(kLeft + kWeeksPerBlock * kStep + 8) + "\" height=\"" +
                      std::to_string(height) + "\" role=\"img\" aria-label=\"Calendar\">";
    for (int block = 0; block < blocks; ++block)
        for (int weekday = 0; weekday < 7; ++weekday)
            if (*kWeekdays[weekday])
                svg += "<text class=\"axis\" x=\"0\" y=\"" +
                       std::to_string(block * kBlockHeight + kTop + weekday * kStep + 10) + "\">" +
                       kWeekdays[weekday] + "</text>";
    for (std::size_t i = 0; i < days.size(); ++i) {
        const PeriodFigures& day = days[i];
        const int slot = offset + static_cast<int>(i);
        const int week = slot / 7;
        const int x = kLeft + (week % kWeeksPerBlock) * kStep;
        const int y = (week / kWeeksPerBlock) * kBlockHeight + kTop + (slot % 7) * kStep;
        const DateTimeFields fields = FieldsOf(DateTime{day.first});
        if (fields.day == 1)
            svg += "<text class=\"axis\" x=\"" + std::to_string(x) + "\" y=\"" +
                   std::to_string(y - (slot % 7) * kStep - 4) + "\">" +
                   PeriodName(PeriodKind::kMonth, day.first) + "</text>";
        svg += "<rect class=\"h" + std::to_string(ShadeOf(day.onSeconds)) +
               (day.crashed > 0 ? " crash" : "") + "\" x=\"" + std::to_string(x) + "\" y=\"" +
               std::to_string(y) + "\" width=\"" + std::to_string(kCell) + "\" height=\"" +
               std::to_string(kCell) + "\"><title>" + CellTitle(day) + "</title></rect>";
    }
    return svg + Legend(blocks * kBlockHeight) + "</svg>";
}

}  // namespace uptrail
