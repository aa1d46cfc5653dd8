#include "app/commands/session_chart.h"

#include <string>

#include "base/text_encoding.h"
#include "base/version_info.h"
#include "chart/chart_page.h"
#include "sessionlog/log_entries.h"
#include "sessionlog/session_log.h"
#include "sessionlog/sleep_log.h"
#include "sessionlog/system_filter.h"
#include "storage/atomic_file.h"
#include "storage/settings_store.h"

namespace uptrail {
namespace {

// The sessions of the systems the menus list, and the running one when its system is
// among them.
ChartInput ChartOf(MainContext& context, const LogEntries& log, std::string_view text) {
    const MainState& state = context.state;
    const std::vector<std::string> shown =
        ShownSystems(Get(context.Settings(), setting::kSysList), state.session.systemId);
    const bool all = state.menus.mListMode.checked;
    const std::vector<bool> listed = ListedIdentities(log.identities, shown, all);

    ChartInput input;
    input.statistics = state.menus.statistics;
    for (const LogEntry& entry : log.entries)
        if (entry.system != kNoSystem && listed[entry.system]) input.sessions.push_back(entry);
    input.reasons = ReasonsOf(input.sessions, EndReasons::Read(text));
    if (all || IsShown(shown, state.session.systemId)) input.runningSince = state.session.bootTime;
    input.now = context.platform.clock.Now();
    for (const SleepPeriod& period : ReadSleepPeriods(text, input.now))
        if (all || IsShown(shown, period.system))
            input.sleeps.push_back({period.start, period.end});
    input.zone = &context.platform.zone;
    input.months = &context.platform.locale.Months();
    return input;
}

}  // namespace

std::filesystem::path ChartFile(const SystemInfo& system) {
    return system.TemporaryFolder() / "Uptrail Chart.html";
}

void OnSessionChartClick(MainContext& context) {
    Platform& platform = context.platform;
    const LogFileText file = ReadLogFile(platform.files, context.state.session.logFile);
    // The entries are views of the text: it must outlive them. A log that cannot be read now
    // makes a chart of the running session alone.
    const std::string_view text =
        file.error == kOk ? std::string_view(file.text) : std::string_view();
    const LogEntries log = ReadLogEntries(text, platform.clock.Now());
    const std::filesystem::path chart = ChartFile(platform.system);
    if (ReplaceFileContents(platform.files, chart, ChartPage(ChartOf(context, log, text))) != kOk) {
        platform.desktop.ShowMessage("Cannot write the session chart to\r\n" + AnsiFromPath(chart),
                                     kVersion.title, MessageIcon::kStop);
        return;
    }
    static_cast<void>(platform.desktop.OpenFile(chart));
}

}  // namespace uptrail
