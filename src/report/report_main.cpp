// uptrail-report off Windows: reads a session log named with --log.
#include <csignal>
#include <string>
#include <vector>

#include "posix/posix_clock.h"
#include "posix/posix_file_system.h"
#include "posix/posix_time_zone.h"
#include "report/plain_locale.h"
#include "report/report_run.h"
#include "sessionlog/session_tracker.h"

int main(int argc, char** argv) {
    using namespace uptrail;
    PosixFileSystem files;
    PosixClock clock;
    PlainLocale locale;
    std::vector<CommandArgument> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back({argv[i], argv[i]});

    const DateTime now = clock.Now();
    PosixTimeZone zone;
    ReportEnvironment environment{
        files,
        locale,
        now,
        [&] { return BootTimeFrom(now, clock.TickCount()); },
        {},
        {},
        {},
        {},
        [&](const std::filesystem::path& path, std::uint64_t limit, FileBytes& bytes) {
            return files.ReadLimited(path, limit, bytes);
        }};
    environment.zone = &zone;
    // A reader that went away (`uptrail-report | head`) makes a write fail, which ends the
    // report with its "not written" status, instead of killing it unannounced.
    std::signal(SIGPIPE, SIG_IGN);
    return RunReportToStandardStreams(arguments, environment);
}
