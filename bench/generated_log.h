#pragma once
#include <string>
#include <vector>

#include "base/date_time.h"

namespace uptrail::bench {

// A log file as Uptrail keeps it on a machine with three Windows installations: "Common",
// a section per installation, and section "Log" last (every trim moves it there) with the
// sessions oldest first. Sessions last from minutes to most of a day, with gaps of a minute
// to a few days; most end with Windows, some are closed by hand, some crash. The own
// installation ran last, and its session is not logged yet. The same count always gives
// the same bytes.
struct GeneratedLog {
    std::string text;
    std::vector<std::string> entryLines;  // the lines of section "Log"
    std::string ownSystem;                // the installation that ran last
    DateTime lastEnd{};                   // the end of the newest logged session
};

inline const std::vector<std::string>& GeneratedSystems() {
    static const std::vector<std::string> systems{"1A2B3C4D//c:\\windows", "5E6F7A8B//d:\\windows",
                                                  "9C0D1E2F//e:\\winnt"};
    return systems;
}

// `entries` logged sessions and the one not yet logged, all ending before `before`.
GeneratedLog GenerateLog(int entries, DateTime before);

}  // namespace uptrail::bench
