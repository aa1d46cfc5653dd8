#pragma once
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "base/date_time.h"
#include "base/put_text.h"
#include "base/timestamp.h"
#include "sessionlog/system_identity.h"

namespace uptrail {

// Writes "Dec 04, ", the date part of a session line's time.
struct WriteMonthDay {
    const MonthNames* months;
    char* operator()(char* at, const DateTimeFields& f) const {
        return PutMonthDay(at, f, *months);
    }
};

// "Dec 04, 08:03" for the times of session lines.
class MonthDayTimes {
public:
    explicit MonthDayTimes(const MonthNames& months) : months_(months), dates_({&months}) {
        for (const std::string& name : months) longestMonth_ = std::max(longestMonth_, name.size());
    }

    // The room the two times of a line need.
    std::size_t Room() const { return 2 * std::max(longestMonth_, kDateRoom); }

    char* Put(char* at, DateTime value, const DayAndSecond& time) {
        // Names too long for a date part are written as they come; no locale has them.
        at = longestMonth_ <= kLongestKeptMonth ? dates_.Put(at, time.day, value)
                                                : PutMonthDay(at, FieldsOf(value), months_);
        return PutClock(at, time.second, false);
    }

private:
    static constexpr std::size_t kDateRoom = DateParts<WriteMonthDay>::kBlock;
    // The month's name and " 04, ".
    static constexpr std::size_t kLongestKeptMonth = kDateRoom - 5;

    const MonthNames& months_;
    DateParts<WriteMonthDay> dates_;
    std::size_t longestMonth_ = 0;
};

// " [Dec 04, 08:03 - Dec 04, 17:30]\t=  00d 09h 27m": a logged session as the left-hand
// menu lists it and the report writes it, one implementation for both. The report writes
// tens of thousands of lines, so a line goes straight into the caller's buffer.
class SessionLineWriter {
public:
    explicit SessionLineWriter(const MonthNames& months) : times_(months) {}

    // The room a line needs, before any system name.
    std::size_t Room() const { return kFixedRoom + times_.Room(); }

    char* Put(char* at, DateTime start, DateTime end) {
        const DayAndSecond from = SplitTime(start);
        const DayAndSecond to = SplitTime(end);
        at = uptrail::Put(at, " [");
        at = times_.Put(at, start, from);
        at = uptrail::Put(at, " - ");
        at = times_.Put(at, end, to);
        at = uptrail::Put(at, "]\t=  ");
        return PutDayDuration(at, to.MinutesSince(from));
    }

private:
    // " [", " - ", "]\t=  " and the two clocks; the length's three numbers and letters.
    static constexpr std::size_t kFixedRoom = 20 + 3 * kMostNumberLength + 5;

    MonthDayTimes times_;
};

// What a line that names its system ends with: "  ....  " and the system's name.
std::string SystemNameEnding(std::string_view identity, const DriveTable& drives);

// The line of one session, with the ending of `system` when it is not empty.
std::string FormatSessionLine(DateTime start, DateTime end, std::string_view system,
                              const MonthNames& months, const DriveTable& drives);

}  // namespace uptrail
