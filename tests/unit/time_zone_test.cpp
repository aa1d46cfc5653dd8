#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "sessionlog/session_periods.h"

#ifndef _WIN32
#include "posix/posix_time_zone.h"

namespace uptrail {
namespace {

using std::chrono::hours;

// Sets TZ for one test and puts the old value back.
class ZoneRules {
public:
    explicit ZoneRules(const char* rules) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        setenv("TZ", rules, 1);
        tzset();
    }
    ~ZoneRules() {
        if (old_.empty())
            unsetenv("TZ");
        else
            setenv("TZ", old_.c_str(), 1);
        tzset();
    }
    ZoneRules(const ZoneRules&) = delete;
    ZoneRules& operator=(const ZoneRules&) = delete;

private:
    std::string old_;
};

// The C library's rules, here Central European ones written out, decide the offset; the
// report's days of a change then have their real lengths.
TEST(PosixTimeZone, FollowsTheRulesOfTheProcesssZone) {
    const ZoneRules central("CET-1CEST,M3.5.0,M10.5.0/3");
    const PosixTimeZone zone;
    EXPECT_EQ(zone.UtcOffset(MakeDateTime(2026, 1, 15, 12)), hours{1});
    EXPECT_EQ(zone.UtcOffset(MakeDateTime(2026, 7, 1, 12)), hours{2});
    EXPECT_EQ(zone.UtcOffset(MakeDateTime(2026, 3, 29, 1, 59)), hours{1});
    EXPECT_EQ(zone.UtcOffset(MakeDateTime(2026, 3, 29, 3)), hours{2});
    const auto days = TabulatePeriods({}, PeriodKind::kDay,
                                      {MakeDateTime(2026, 3, 29), MakeDateTime(2026, 3, 30)}, zone);
    ASSERT_EQ(days.size(), 1u);
    EXPECT_EQ(days[0].seconds, 23 * 3600);
    // A year the C library cannot hold takes no offset instead of a wrong one.
    EXPECT_EQ(zone.UtcOffset(MakeDateTime(-2000000000, 1, 1)), hours{0});
}

}  // namespace
}  // namespace uptrail
#endif
