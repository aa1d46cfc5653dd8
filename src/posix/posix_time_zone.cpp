#include "posix/posix_time_zone.h"

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <limits>
#include <optional>

namespace uptrail {
namespace {

using std::chrono::seconds;

// The offset in force at an instant, from the rules read when the zone was made:
// localtime_r, unlike mktime and localtime, does not look at the zone again.
std::optional<seconds> OffsetAt(std::int64_t utc) {
    const auto instant = static_cast<std::time_t>(utc);
    if (instant != utc) return std::nullopt;
    std::tm broken{};
    if (::localtime_r(&instant, &broken) == nullptr) return std::nullopt;
    return seconds{broken.tm_gmtoff};
}

}  // namespace

PosixTimeZone::PosixTimeZone() { ::tzset(); }

seconds PosixTimeZone::UtcOffset(DateTime local) const {
    // Years the C library cannot hold take no offset rather than a wrong one.
    constexpr std::int64_t kTmYearBase = 1900;
    const std::int64_t year = FieldsOf(local).year;
    if (year - kTmYearBase < std::numeric_limits<int>::min() / 2 ||
        year - kTmYearBase > std::numeric_limits<int>::max() / 2)
        return {};
    const std::int64_t wall = local.time_since_epoch().count();
    // The offset o with OffsetAt(wall - o) == o, found from the offset near the time; it
    // settles at once unless a change lies within a day or so.
    std::optional<seconds> earlier = OffsetAt(wall);
    for (int step = 0; step < 3 && earlier; ++step) {
        const std::optional<seconds> next = OffsetAt(wall - earlier->count());
        if (!next || *next == *earlier) return next.value_or(seconds{});
        earlier = next;
    }
    if (!earlier) return {};
    // No offset gives back this local time: a change skips it. The offset is the one after
    // the change, in force at the later of the two instants the offsets around it give.
    const std::optional<seconds> other = OffsetAt(wall - earlier->count());
    if (!other) return {};
    return OffsetAt(wall - std::min(*earlier, *other).count()).value_or(seconds{});
}

}  // namespace uptrail
