#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_state.h"
#include "platform/locale.h"
#include "sessionlog/date_time.h"
#include "sessionlog/session_log.h"
#include "sessionlog/statistics.h"

namespace uptrail {

// What a report is made of besides the log's "Log" section.
struct ReportSettings {
    DateTime now{};
    DateTime bootTime{};
    // The running installation, offered first among the systems as the tray offers it;
    // empty where no Windows installation runs.
    std::string ownSystem;
    std::vector<std::string> shown;  // systems whose sessions are listed
    bool allSystems = false;         // list the sessions of every system
    std::optional<std::size_t> limit;
    // The own system's first program start in the running session ("Restart"), which
    // "Last Delay:" measures from the boot; nothing when it is not known.
    std::optional<DateTime> programStart;
    const Locale* locale = nullptr;
    DriveTable drives;
};

// The report: the tray's figures and texts, worked out the way the tray works them out.
struct SessionReport {
    SessionStatistics figures;
    DateTime statsFrom{};
    std::optional<std::int64_t> lastDelaySeconds;
    StatisticsCaptions statistics;        // the ten items of "&Statistics"
    std::vector<LoggedSession> entries;   // the entries counted, oldest first
    std::vector<std::size_t> listed;      // those listed (all with a system), newest first
    std::vector<SystemListItem> systems;  // as "Syste&ms to show" offers them
    // How the session list writes a line: with the system's name when the listed sessions
    // come from several systems, the name as the drives of this machine show it.
    bool showNames = false;
    DriveTable drives;
    const MonthNames* months = &EnglishMonthNames();

    // The listed session's line as the session list shows it.
    std::string SessionLine(const LoggedSession& entry) const;
};

// Builds the report from the text of section "Log". Like the tray after its start-up
// trim, it counts the newest 32000 entries; lines that are not entries are skipped.
SessionReport BuildSessionReport(std::string_view logSection, const ReportSettings& settings);

}  // namespace uptrail
