#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "base/date_time.h"
#include "sessionlog/past_sessions.h"

namespace uptrail {

// A log file's text with a PC's past added to it.
struct PastImport {
    std::string text;
    std::size_t sessions = 0;  // the sessions added
};

// Adds the past sessions of `system` that end before the oldest session the log holds for
// it (every one, when it holds none) and overlap no logged session of any system, each
// with its periods asleep and its reason. They go before the logged ones, which stand
// oldest first; where the start-up trim would not keep them all, the newest go in. Every
// byte of the file's own stays as it was. `now` stands in for unreadable time stamps.
PastImport AddPastSessions(std::string_view fileText, const PastSessions& past,
                           std::string_view system, DateTime now);

}  // namespace uptrail
