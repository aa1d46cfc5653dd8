// Writes a generated log for the comparison with other tools: uptrail-bench-log ENTRIES FILE.
// The sessions end before the running system's boot, as logged sessions do.
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "generated_log.h"
#include "posix/posix_clock.h"
#include "sessionlog/session_tracker.h"

int main(int argc, char** argv) {
    using namespace uptrail;
    if (argc != 3) {
        std::fprintf(stderr, "usage: uptrail-bench-log ENTRIES FILE\n");
        return 1;
    }
    const PosixClock clock;
    const DateTime boot = BootTimeFrom(clock.Now(), clock.TickCount());
    const bench::GeneratedLog log = bench::GenerateLog(std::atoi(argv[1]), boot);
    std::ofstream file(argv[2], std::ios::binary);
    file << log.text;
    return file.flush() ? 0 : 1;
}
