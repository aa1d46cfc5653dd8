// Writes a generated log for the comparison with other tools, or with --events an export of
// the System log for timing `uptrail-report --events` as a user runs it:
//     uptrail-bench-log [--events] COUNT FILE
// The sessions of a log end before the running system's boot, as logged sessions do.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string_view>

#include "generated_export.h"
#include "generated_log.h"
#include "posix/posix_clock.h"
#include "sessionlog/session_tracker.h"

int main(int argc, char** argv) {
    using namespace uptrail;
    const bool events = argc == 4 && std::string_view(argv[1]) == "--events";
    if (argc != 3 && !events) {
        std::fprintf(stderr, "usage: uptrail-bench-log [--events] COUNT FILE\n");
        return 1;
    }
    const int count = std::atoi(argv[argc - 2]);
    std::ofstream file(argv[argc - 1], std::ios::binary);
    if (events) {
        file << bench::GenerateEventExport(count).text;
    } else {
        const PosixClock clock;
        const DateTime boot = BootTimeFrom(clock.Now(), clock.TickCount());
        file << bench::GenerateLog(count, boot).text;
    }
    return file.flush() ? 0 : 1;
}
