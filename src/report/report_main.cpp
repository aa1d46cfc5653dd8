// uptrail-report off Windows: reads a session log named with --log.
#include <cstdio>
#include <string>
#include <vector>

#include "app/session_tracker.h"
#include "report/plain_locale.h"
#include "report/posix_clock.h"
#include "report/posix_file_system.h"
#include "report/report_run.h"

namespace {

bool WriteAll(const std::string& text, std::FILE* stream) {
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size() &&
           std::fflush(stream) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace uptrail;
    PosixFileSystem files;
    PosixClock clock;
    PlainLocale locale;
    std::vector<CommandArgument> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back({argv[i], argv[i]});

    const DateTime now = clock.Now();
    const ReportEnvironment environment{
        files, locale, now, [&] { return BootTimeFrom(now, clock.TickCount()); }, {}, {}, {}, {}};
    std::string out;
    std::string err;
    const int status = RunReport(arguments, environment, out, err);
    WriteAll(err, stderr);
    // A report that could not be written out (a full disk, a closed pipe) is no success.
    if (!WriteAll(out, stdout) && status == kReportSucceeded) return kReportNotWritten;
    return status;
}
