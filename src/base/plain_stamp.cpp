#include "base/plain_stamp.h"

#include "base/timestamp.h"

namespace uptrail {
namespace {

// As TryParseTimestamp reads a year field: two digits are the years around now.
int ExpandedYear(int year) {
    if (year < 30) return year + 2000;
    if (year < 100) return year + 1900;
    return year;
}

}  // namespace

void PlainStampReader::LearnMonth(std::uint64_t yearMonth) {
    using plain_stamp_detail::TwoDigits;
    monthKey_ = yearMonth;
    monthStart_ =
        MakeDateTime(ExpandedYear(TwoDigits(yearMonth, 0) * 100 + TwoDigits(yearMonth, 2)),
                     TwoDigits(yearMonth, 5), 1);
}

DateTime ReadStamp(std::string_view text, DateTime now) {
    DateTime value;
    if (text.size() == kPlainStampLength && PlainStampReader().Read(text.data(), value))
        return value;
    return ParseTimestamp(text, TimestampPart::kDateAndTime, now);
}

}  // namespace uptrail
