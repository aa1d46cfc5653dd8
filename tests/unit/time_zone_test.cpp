#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "base/timestamp.h"

#ifndef _WIN32
#include "posix/posix_time_zone.h"

namespace uptrail {
namespace {

using std::chrono::hours;

// Sets TZ for one test and puts the old value back (an empty one counts as none).
struct ZoneRules {
    explicit ZoneRules(const char* rules) : old(std::getenv("TZ") ? std::getenv("TZ") : "") {
        setenv("TZ", rules, 1);
        tzset();
    }
    ~ZoneRules() {
        if (old.empty() ? unsetenv("TZ") : setenv("TZ", old.c_str(), 1)) ADD_FAILURE();
        tzset();
    }
    ZoneRules(const ZoneRules&) = delete;
    ZoneRules& operator=(const ZoneRules&) = delete;
    const std::string old;
};

// The C library's rules decide the offset. Around a change, on either side of UTC: a local
// time that the change skips takes the offset after it, one that it repeats either offset,
// and the hours next to it their own.
TEST(PosixTimeZone, TimesAroundAChangeTakeTheOffsetsAroundIt) {
    struct Case {
        const char* rules;
        DateTime local;
        std::vector<hours> offsets;  // any of these
    };
    const char* const central = "CET-1CEST,M3.5.0,M10.5.0/3";
    const char* const eastern = "EST5EDT,M3.2.0,M11.1.0";
    const Case cases[] = {
        {central, MakeDateTime(2026, 3, 29, 1, 59), {hours{1}}},
        {central, MakeDateTime(2026, 3, 29, 2, 30), {hours{2}}},
        {central, MakeDateTime(2026, 10, 25, 1, 59), {hours{2}}},
        {central, MakeDateTime(2026, 10, 25, 2, 30), {hours{1}, hours{2}}},
        {central, MakeDateTime(2026, 10, 25, 3), {hours{1}}},
        {eastern, MakeDateTime(2026, 3, 8, 2, 30), {hours{-4}}},
        {eastern, MakeDateTime(2026, 11, 1, 1, 30), {hours{-4}, hours{-5}}},
        {eastern, MakeDateTime(2026, 11, 1, 2), {hours{-5}}},
        // A year the C library cannot hold takes no offset instead of a wrong one.
        {central, MakeDateTime(-2000000000, 1, 1), {hours{0}}},
    };
    for (const Case& c : cases) {
        const ZoneRules rules(c.rules);
        const PosixTimeZone zone;
        const auto offset = zone.UtcOffset(c.local);
        EXPECT_THAT(c.offsets, testing::Contains(offset))
            << c.rules << " " << FormatTimestamp(c.local) << ": " << offset.count();
    }
}

// A table by day asks for an offset at every day's bounds: the zone is read when it is made,
// not again at every question (without TZ, the C library would look at the zone file each
// time, which made a table of many days ten times slower).
TEST(PosixTimeZone, ReadsTheZoneOnceWhenMade) {
    const ZoneRules central("CET-1CEST,M3.5.0,M10.5.0/3");
    const PosixTimeZone zone;
    setenv("TZ", "UTC0", 1);  // put back by `central`
    EXPECT_EQ(zone.UtcOffset(MakeDateTime(2026, 7, 1, 12)), hours{2});
}

}  // namespace
}  // namespace uptrail
#endif
