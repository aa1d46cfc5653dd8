#include "sessionlog/session_periods.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace uptrail {
namespace {

using std::chrono::hours;
using std::chrono::seconds;

constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kDay = 24 * kHour;

LogEntry Session(DateTime start, DateTime end, SessionCause cause = SessionCause::kWindowsEnded) {
    return LogEntry{start, end, cause, 0};
}

// Central European rules for 2026: an hour ahead of UTC, two from 29 March 02:00 (when the
// clocks jump to 03:00) to 25 October 03:00 (when they fall back to 02:00).
class CentralEurope final : public TimeZone {
public:
    seconds UtcOffset(DateTime local) const override {
        const bool summer =
            local >= MakeDateTime(2026, 3, 29, 3) && local < MakeDateTime(2026, 10, 25, 3);
        return summer ? hours{2} : hours{1};
    }
};

// What crosses a bound is cut to it (held by ReportTest's ranges); what only touches a
// bound is left out, but an entry of no length at the range's start stays.
TEST(SessionPeriods, ClippingDropsWhatOnlyTouchesTheRange) {
    const TimeRange range{MakeDateTime(2026, 12, 5), MakeDateTime(2026, 12, 6)};
    const std::vector<LogEntry> entries{
        Session(MakeDateTime(2026, 12, 4, 20), MakeDateTime(2026, 12, 5)),  // ends at from
        Session(MakeDateTime(2026, 12, 6), MakeDateTime(2026, 12, 6, 3)),   // starts at to
        Session(MakeDateTime(2026, 12, 5), MakeDateTime(2026, 12, 5)),      // none, at from
    };
    const std::vector<LogEntry> clipped = ClipToRange(entries, range);
    ASSERT_EQ(clipped.size(), 1u);
    EXPECT_EQ(clipped[0].start, clipped[0].end);
}

// A period's on time, length, sessions and crashed ones.
using Figures = std::vector<std::array<std::int64_t, 4>>;
Figures FiguresOf(const std::vector<PeriodFigures>& rows) {
    Figures figures;
    for (const PeriodFigures& row : rows)
        figures.push_back({row.onSeconds, row.seconds, row.sessions, row.crashed});
    return figures;
}

// Worked out by hand: three days to a "now" at noon of the third. Days split at midnight,
// sessions count where they started, and hours of overlapping sessions count once.
TEST(SessionPeriods, AHandComputedTableOfDays) {
    const FixedTimeZone zone;
    const std::vector<LogEntry> entries{
        Session(MakeDateTime(2026, 12, 1, 8), MakeDateTime(2026, 12, 1, 12)),
        Session(MakeDateTime(2026, 12, 1, 11), MakeDateTime(2026, 12, 1, 12, 30)),
        Session(MakeDateTime(2026, 12, 1, 13), MakeDateTime(2026, 12, 1, 19),
                SessionCause::kProgramClosed),
        Session(MakeDateTime(2026, 12, 2, 23, 30), MakeDateTime(2026, 12, 3, 0, 30),
                SessionCause::kCrashed),
        Session(MakeDateTime(2026, 12, 3, 9), MakeDateTime(2026, 12, 3, 12)),
    };
    const auto rows =
        TabulatePeriods(entries, PeriodKind::kDay,
                        {MakeDateTime(2026, 12, 1), MakeDateTime(2026, 12, 3, 12)}, zone);
    EXPECT_EQ(FiguresOf(rows), (Figures{{10 * kHour + 30 * 60, kDay, 3, 0},
                                        {30 * 60, kDay, 1, 1},
                                        {3 * kHour + 30 * 60, 12 * kHour, 1, 0}}));
    EXPECT_EQ(PeriodName(PeriodKind::kDay, rows.at(1).first), "2026-12-02");
    EXPECT_TRUE(TabulatePeriods(entries, PeriodKind::kDay,
                                {MakeDateTime(2026, 12, 3), MakeDateTime(2026, 12, 3)}, zone)
                    .empty());
}

TEST(SessionPeriods, MonthsEndWhereTheCalendarEndsThemLeapDayIncluded) {
    const FixedTimeZone zone;
    const std::vector<LogEntry> entries{
        Session(MakeDateTime(2024, 2, 28, 12), MakeDateTime(2024, 3, 1, 12))};
    const TimeRange range{MakeDateTime(2024, 1, 15), MakeDateTime(2024, 3, 10)};
    const auto months = TabulatePeriods(entries, PeriodKind::kMonth, range, zone);
    // January from the 15th: the range's part.
    EXPECT_EQ(FiguresOf(months), (Figures{{0, 17 * kDay, 0, 0},
                                          {36 * kHour, 29 * kDay, 1, 0},
                                          {12 * kHour, 9 * kDay, 0, 0}}));
    EXPECT_EQ(CountPeriods(PeriodKind::kMonth, range), 3);
    EXPECT_EQ(PeriodName(PeriodKind::kMonth, months.at(1).first), "2024-02");
    // December into January crosses a year.
    EXPECT_EQ(CountPeriods(PeriodKind::kMonth,
                           {MakeDateTime(2025, 12, 31, 23), MakeDateTime(2026, 1, 1, 0, 0, 1)}),
              2);
}

TEST(SessionPeriods, DaysOfADaylightSavingChangeHave23Or25Hours) {
    const CentralEurope zone;
    const std::vector<LogEntry> entries{
        // All of the short day, and the long day from 01:00 to 04:00, an hour of it twice.
        Session(MakeDateTime(2026, 3, 29), MakeDateTime(2026, 3, 30)),
        Session(MakeDateTime(2026, 10, 25, 1), MakeDateTime(2026, 10, 25, 4)),
    };
    const auto table = [&](PeriodKind kind, DateTime from, DateTime to) {
        return FiguresOf(TabulatePeriods(entries, kind, {from, to}, zone));
    };
    // On all the short day: nothing of it off.
    EXPECT_EQ(table(PeriodKind::kDay, MakeDateTime(2026, 3, 29), MakeDateTime(2026, 3, 30)),
              (Figures{{23 * kHour, 23 * kHour, 1, 0}}));
    EXPECT_EQ(table(PeriodKind::kDay, MakeDateTime(2026, 10, 25), MakeDateTime(2026, 10, 26)),
              (Figures{{4 * kHour, 25 * kHour, 1, 0}}));
}

}  // namespace
}  // namespace uptrail
