#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/date_time.h"
#include "platform/locale.h"
#include "platform/time_zone.h"
#include "sessionlog/end_reason.h"
#include "sessionlog/log_entries.h"
#include "sessionlog/session_periods.h"
#include "sessionlog/sleep_log.h"
#include "sessionlog/statistics.h"
#include "sessionlog/system_filter.h"
#include "sessionlog/system_identity.h"

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
    // Only sessions that overlap these bounds count, and only their part inside them.
    std::optional<DateTime> since;
    std::optional<DateTime> until;
    // A table by day or month in place of the session list.
    std::optional<PeriodKind> by;
    const TimeZone* zone = nullptr;  // for the length of a period; none: no daylight saving
};

// The report: the tray's figures and texts, worked out the way the tray works them out.
// It refers to the text it was built from, which must outlive it.
struct SessionReport {
    SessionStatistics figures;
    DateTime statsFrom{};
    std::optional<std::int64_t> lastDelaySeconds;
    StatisticsCaptions statistics;  // the items of "&Statistics"
    // The entries counted, oldest first: what the start-up trim would keep, in range.
    LogEntries log;
    std::vector<std::int64_t> sleepMinutes;  // by entry of `log`: its minutes asleep
    std::vector<TimeRange> listedSleeps;     // the listed systems' periods asleep, in range
    EndReasons reasons;                      // why sessions ended, by their start as logged
    // By entry of `log`, where a range cut its start: the start its reason is filed under.
    std::vector<DateTime> loggedStarts;
    std::vector<bool> listedSystems;    // by identity: whether its sessions are listed
    std::size_t listedCount = 0;        // the newest sessions with a listed system, up to the limit
    std::vector<SystemChoice> systems;  // as "Syste&ms to show" offers them
    // How the session list writes a line: with the system's name when the listed sessions
    // come from several systems, the name as the drives of this machine show it.
    bool showNames = false;
    DriveTable drives;
    const MonthNames* months = &EnglishMonthNames();
    // What the session chart needs besides: the running session when this system's is
    // listed, the time, the range asked for and the user's time zone.
    std::optional<DateTime> runningSince;
    DateTime now{};
    std::optional<DateTime> since;
    std::optional<DateTime> until;
    const TimeZone* zone = nullptr;
    // With a table by period: its rows, oldest first, for the listed systems.
    std::optional<PeriodKind> by;
    std::vector<PeriodFigures> periods;

    std::span<const LogEntry> Counted() const { return log.entries; }

    bool IsListed(const LogEntry& entry) const {
        return entry.system != kNoSystem && listedSystems[entry.system];
    }

    // The counted entries of the listed systems, oldest first, whatever the limit.
    std::vector<LogEntry> ListedEntries() const {
        std::vector<LogEntry> listed;
        for (const LogEntry& entry : log.entries)
            if (IsListed(entry)) listed.push_back(entry);
        return listed;
    }

    // Why each of ListedEntries() ended ("" where unknown); none at all without reasons.
    std::vector<std::string> ListedReasons() const {
        std::vector<std::string> listed;
        if (reasons.Empty()) return listed;
        for (const LogEntry& entry : log.entries)
            if (IsListed(entry)) listed.emplace_back(ReasonOf(entry));
        return listed;
    }

    // The minutes an entry of `log` slept.
    std::int64_t SleepOf(const LogEntry& entry) const {
        const std::size_t index = IndexOf(entry);
        return index < sleepMinutes.size() ? sleepMinutes[index] : 0;
    }

    // Why an entry of `log` ended, or "".
    std::string_view ReasonOf(const LogEntry& entry) const {
        const std::size_t index = IndexOf(entry);
        return reasons.Of(index < loggedStarts.size() ? loggedStarts[index] : entry.start);
    }

    // Calls `visit` with each listed entry, newest first.
    template <typename Visit>
    void ForEachListed(Visit&& visit) const {
        const std::span<const LogEntry> entries = Counted();
        std::size_t left = listedCount;
        for (std::size_t index = entries.size(); left > 0 && index-- > 0;) {
            const LogEntry& entry = entries[index];
            if (!IsListed(entry)) continue;
            visit(entry);
            --left;
        }
    }

private:
    std::size_t IndexOf(const LogEntry& entry) const {
        return static_cast<std::size_t>(&entry - log.entries.data());
    }
};

// Builds the report from the whole text of the log file, whose section "Log" is read where
// it stands, with the periods asleep of "Sleep" and the reasons of "Reason". Like the tray after
// its start-up trim, it counts the newest 32000 entries; lines that are not entries are skipped.
SessionReport BuildFileReport(std::string_view fileText, const ReportSettings& settings);

}  // namespace uptrail
