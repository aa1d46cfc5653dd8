#include "sessionlog/session_line.h"

#include "sessionlog/system_filter.h"

namespace uptrail {

std::string SystemNameEnding(std::string_view identity, const DriveTable& drives) {
    return "  ....  " + FormatSystemName(identity, drives);
}

std::string FormatSessionLine(DateTime start, DateTime end, std::string_view system,
                              const MonthNames& months, const DriveTable& drives) {
    SessionLineWriter writer(months);
    std::string line(writer.Room(), '\0');
    line.resize(static_cast<std::size_t>(writer.Put(line.data(), start, end) - line.data()));
    if (!system.empty()) line += SystemNameEnding(system, drives);
    return line;
}

}  // namespace uptrail
