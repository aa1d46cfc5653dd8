#include "report/session_report.h"

#include <algorithm>
#include <span>

#include "sessionlog/duration_text.h"
#include "sessionlog/session_menus.h"
#include "sessionlog/system_filter.h"

namespace uptrail {
namespace {

constexpr std::int64_t kMillisecondsPerSecond = 1000;

// What the tray's start-up trim leaves of the log: the newest entries up to its limit.
void KeepAsTrimmed(std::vector<LoggedSession>& sessions) {
    const std::size_t limit = static_cast<std::size_t>(kStartupLogLimit);
    if (sessions.size() > limit)
        sessions.erase(sessions.begin(), sessions.end() - static_cast<std::ptrdiff_t>(limit));
}

// "Statistics From:" is where statistics would start after Erase Oldest Data, which keeps
// the newest 50 entries; the boot when there are none.
DateTime StatsFromOf(std::span<const LoggedSession> entries, DateTime bootTime) {
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

bool IsListed(const ReportSettings& settings, std::string_view system) {
    return settings.allSystems || IsShown(settings.shown, system);
}

}  // namespace

SessionReport BuildSessionReport(std::string_view logSection, const ReportSettings& settings) {
    const Locale& locale = *settings.locale;
    SessionReport report;
    report.entries = ParseSessionEntries(logSection, settings.now);
    KeepAsTrimmed(report.entries);
    const std::span<const LoggedSession> entries = report.entries;

    report.figures = CountSessions(entries, settings.bootTime);
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

    // Names are shown, as in the tray, only when they tell listed sessions apart.
    report.showNames = HoldsSeveralSystems(entries) &&
                       (settings.allSystems || settings.shown.size() >= 2);
    report.drives = settings.drives;
    report.months = &locale.Months();
    const std::size_t limit = settings.limit.value_or(entries.size());
    report.listed.reserve(std::min(limit, entries.size()));
    SystemExits exits(settings.ownSystem);
    for (std::size_t index = entries.size(); index-- > 0;) {
        const LoggedSession& entry = entries[index];
        if (!entry.system) continue;
        exits.Note(*entry.system, entry.end);
        if (report.listed.size() < limit && IsListed(settings, *entry.system))
            report.listed.push_back(index);
    }
    report.systems = exits.MenuItems(settings.shown, settings.allSystems, settings.drives, locale);
    // Without a running installation the first item stands for nobody.
    if (settings.ownSystem.empty()) report.systems.erase(report.systems.begin());
    return report;
}

std::string SessionReport::SessionLine(const LoggedSession& entry) const {
    const std::string_view named =
        showNames && entry.system ? std::string_view(*entry.system) : std::string_view();
    return FormatSessionLine(entry.start, entry.end, named, *months, drives);
}

}  // namespace uptrail
