#include "report/session_report.h"

#include <algorithm>

#include "base/duration_text.h"
#include "sessionlog/session_log.h"
#include "sessionlog/statistics.h"
#include "sessionlog/system_filter.h"

namespace uptrail {
namespace {

constexpr std::int64_t kMillisecondsPerSecond = 1000;

// "Statistics From:" is where statistics would start after Erase Oldest Data, which keeps
// the newest 50 entries; the boot when there are none.
DateTime StatsFromOf(std::span<const LogEntry> entries, DateTime bootTime) {
    if (entries.empty()) return bootTime;
    const std::size_t window = static_cast<std::size_t>(kEraseOldestLimit);
    return entries[entries.size() > window ? entries.size() - window : 0].start;
}

// A first start before the boot belongs to an earlier session: the program has not come
// up in this one, and there is no delay to show.
std::optional<std::int64_t> LastDelayOf(const ReportSettings& settings) {
    if (!settings.programStart || *settings.programStart < settings.bootTime) return std::nullopt;
    return (*settings.programStart - settings.bootTime).count();
}

void WriteFigures(SessionReport& report, const ReportSettings& settings) {
    const std::span<const LogEntry> entries = report.Counted();
    const Locale& locale = *settings.locale;
    report.figures = CountSessions(entries, settings.bootTime, report.sleepMinutes);
    report.statsFrom = StatsFromOf(entries, settings.bootTime);
    report.lastDelaySeconds = LastDelayOf(settings);
    const std::string lastDelay =
        report.lastDelaySeconds
            ? FormatClockDuration(*report.lastDelaySeconds * kMillisecondsPerSecond)
            : std::string();
    report.statistics = DesignedStatisticsCaptions();
    WriteStatistics(report.figures,
                    {report.statsFrom, lastDelay, locale.DecimalSeparator(), &locale.Months()},
                    report.statistics);
}

// Where a system's entries stand among those counted.
struct SystemSeen {
    std::size_t newest = 0;  // its newest entry
    std::optional<DateTime> lastExit;
    std::size_t sessions = 0;
};

std::vector<SystemSeen> SystemsSeen(const SessionReport& report) {
    std::vector<SystemSeen> seen(report.log.identities.size());
    const std::span<const LogEntry> entries = report.Counted();
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const LogEntry& entry = entries[index];
        if (entry.system == kNoSystem) continue;
        SystemSeen& system = seen[entry.system];
        system.newest = index;
        if (!system.lastExit || *system.lastExit < entry.end) system.lastExit = entry.end;
        ++system.sessions;
    }
    return seen;
}

// The systems as the tray's walk over the entries, newest first, notes them: each in the
// place of its newest entry with its latest end, whatever spellings the log mixes.
SystemExits ExitsOf(const SessionReport& report, const std::vector<SystemSeen>& seen,
                    const std::string& ownSystem) {
    std::vector<std::uint32_t> order;
    for (std::uint32_t system = 0; system < seen.size(); ++system)
        if (seen[system].lastExit) order.push_back(system);
    std::sort(order.begin(), order.end(),
              [&](std::uint32_t a, std::uint32_t b) { return seen[a].newest > seen[b].newest; });
    SystemExits exits(ownSystem);
    for (const std::uint32_t system : order)
        exits.Note(report.log.identities[system], *seen[system].lastExit);
    return exits;
}

// The newest entries up to the start-up trim's limit: what the tray would count.
void KeepTrimmed(SessionReport& report) {
    auto& entries = report.log.entries;
    const std::size_t trimLimit = static_cast<std::size_t>(kStartupLogLimit);
    if (entries.size() > trimLimit)
        entries.erase(entries.begin(), entries.end() - static_cast<std::ptrdiff_t>(trimLimit));
}

// Only what lies inside --since and --until counts, cut to it; the rest is as if the log
// did not hold it. A session cut at --since keeps the start its reason is filed under.
void KeepRange(SessionReport& report, const ReportSettings& settings) {
    if (!settings.since && !settings.until) return;
    const TimeRange range{settings.since.value_or(DateTime::min()),
                          settings.until.value_or(DateTime::max())};
    std::vector<LogEntry> kept;
    std::vector<DateTime> loggedStarts;
    const bool keepStarts = !report.reasons.Empty();
    for (const LogEntry& entry : report.log.entries) {
        const auto part = ClipToRange(entry, range);
        if (!part) continue;
        kept.push_back(*part);
        if (keepStarts) loggedStarts.push_back(entry.start);
    }
    report.log.entries = std::move(kept);
    report.loggedStarts = std::move(loggedStarts);
}

// The session this system is in, which runs to now, when its system is listed; a range
// that ends earlier leaves it out.
std::optional<DateTime> RunningSince(const ReportSettings& settings) {
    const bool ownListed = !settings.ownSystem.empty() &&
                           (settings.allSystems || IsShown(settings.shown, settings.ownSystem));
    if (!ownListed || settings.until) return std::nullopt;
    return std::max(settings.bootTime, settings.since.value_or(DateTime::min()));
}

// The periods from --since (else the day of the first listed session) to --until or now,
// the running session counted with the logged ones: today's time on is no time off.
void TabulateListed(SessionReport& report, const ReportSettings& settings) {
    report.by = settings.by;
    std::vector<LogEntry> listed = report.ListedEntries();
    if (report.runningSince) listed.push_back({*report.runningSince, settings.now});
    if (listed.empty() && !settings.since) return;
    DateTime from{};
    if (settings.since) {
        from = *settings.since;
    } else {
        from = DateTime::max();
        for (const LogEntry& entry : listed) from = std::min(from, entry.start);
        from = std::chrono::floor<std::chrono::days>(from);
    }
    TimeRange range{from, std::min(settings.until.value_or(settings.now), settings.now)};
    // A damaged time stamp may lie thousands of years back: the table keeps to the newest
    // periods that make sense to read.
    const std::int64_t count = CountPeriods(*settings.by, range);
    if (count > kMostPeriods) range.from = PeriodsBefore(*settings.by, range.to, kMostPeriods);
    static const FixedTimeZone noDaylightSaving;
    report.periods = TabulatePeriods(listed, *settings.by, range,
                                     settings.zone ? *settings.zone : noDaylightSaving);
}

// The periods asleep of the listed systems, cut to the range.
std::vector<TimeRange> ListedSleeps(std::span<const SleepPeriod> sleeps,
                                    const ReportSettings& settings) {
    const TimeRange range{settings.since.value_or(DateTime::min()),
                          settings.until.value_or(DateTime::max())};
    std::vector<TimeRange> listed;
    for (const SleepPeriod& period : sleeps) {
        if (!settings.allSystems && !IsShown(settings.shown, period.system)) continue;
        const TimeRange part{std::max(period.start, range.from), std::min(period.end, range.to)};
        if (part.from < part.to) listed.push_back(part);
    }
    return listed;
}

SessionReport ReportOn(LogEntries log, std::span<const SleepPeriod> sleeps, EndReasons reasons,
                       const ReportSettings& settings) {
    SessionReport report;
    report.log = std::move(log);
    report.reasons = std::move(reasons);
    KeepTrimmed(report);
    KeepRange(report, settings);
    // After the range, so that only the sleep inside it counts.
    if (!sleeps.empty()) report.sleepMinutes = SleepIndex(sleeps).MinutesOf(report.log);
    report.listedSleeps = ListedSleeps(sleeps, settings);
    WriteFigures(report, settings);

    const std::vector<SystemSeen> seen = SystemsSeen(report);
    report.listedSystems.resize(seen.size());
    std::size_t systemsWithEntries = 0;
    std::size_t listable = 0;
    for (std::size_t system = 0; system < seen.size(); ++system) {
        if (seen[system].sessions == 0) continue;
        ++systemsWithEntries;
        const bool listed =
            settings.allSystems || IsShown(settings.shown, report.log.identities[system]);
        report.listedSystems[system] = listed;
        if (listed) listable += seen[system].sessions;
    }
    report.listedCount = std::min(settings.limit.value_or(listable), listable);
    // Names are shown, as in the tray, only when they tell listed sessions apart.
    report.showNames =
        systemsWithEntries > 1 && (settings.allSystems || settings.shown.size() >= 2);
    report.drives = settings.drives;
    report.months = &settings.locale->Months();

    const SystemExits exits = ExitsOf(report, seen, settings.ownSystem);
    report.systems =
        exits.MenuItems(settings.shown, settings.allSystems, settings.drives, *settings.locale);
    // Without a running installation the first item stands for nobody.
    if (settings.ownSystem.empty()) report.systems.erase(report.systems.begin());
    report.now = settings.now;
    report.since = settings.since;
    report.until = settings.until;
    report.zone = settings.zone;
    report.runningSince = RunningSince(settings);
    if (settings.by) TabulateListed(report, settings);
    return report;
}

}  // namespace

SessionReport BuildFileReport(std::string_view fileText, const ReportSettings& settings) {
    return ReportOn(ReadLogEntries(fileText, settings.now),
                    ReadSleepPeriods(fileText, settings.now), EndReasons::Read(fileText), settings);
}

}  // namespace uptrail
