#include "report/period_format.h"

#include <string>

#include "chart/markup.h"
#include "sessionlog/statistics.h"

namespace uptrail {
namespace {

constexpr std::int64_t kSecondsPerMinute = 60;

struct PeriodRow {
    std::string period;
    std::int64_t onMinutes = 0;
    std::int64_t offMinutes = 0;
    std::string onPercent;
};

PeriodRow RowOf(PeriodKind kind, const PeriodFigures& figures) {
    PeriodRow row;
    row.period = PeriodName(kind, figures.first);
    row.onMinutes = RoundHalfToEven(figures.onSeconds, kSecondsPerMinute);
    row.offMinutes = RoundHalfToEven(figures.seconds, kSecondsPerMinute) - row.onMinutes;
    row.onPercent = OneDecimal(figures.onSeconds, figures.seconds, 100);
    return row;
}

}  // namespace

void WritePeriodCsv(const SessionReport& report, ReportWriter& writer) {
    writer.Text("period,on_minutes,off_minutes,sessions,crashed,on_percent\n");
    for (const PeriodFigures& figures : report.periods) {
        const PeriodRow row = RowOf(*report.by, figures);
        writer.Text(row.period + "," + std::to_string(row.onMinutes) + "," +
                    std::to_string(row.offMinutes) + "," + std::to_string(figures.sessions) + "," +
                    std::to_string(figures.crashed) + "," + row.onPercent + "\n");
    }
}

void WritePeriodJsonRows(const SessionReport& report, ReportWriter& writer) {
    std::string_view separator = "\n    ";
    for (const PeriodFigures& figures : report.periods) {
        const PeriodRow row = RowOf(*report.by, figures);
        writer.Text(separator);
        writer.Text("{\"period\": \"" + row.period +
                    "\", \"on_minutes\": " + std::to_string(row.onMinutes) +
                    ", \"off_minutes\": " + std::to_string(row.offMinutes) +
                    ", \"sessions\": " + std::to_string(figures.sessions) + ", \"crashed\": " +
                    std::to_string(figures.crashed) + ", \"on_percent\": " + row.onPercent + "}");
        separator = ",\n    ";
    }
}

}  // namespace uptrail
