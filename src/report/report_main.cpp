// uptrail-report off Windows: reads a session log named with --log.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "posix/bump_arena.h"
#include "posix/posix_clock.h"
#include "posix/posix_file_system.h"
#include "posix/posix_time_zone.h"
#include "report/plain_locale.h"
#include "report/report_run.h"
#include "sessionlog/session_tracker.h"

namespace {

// A report is one short process, and a fresh process pays for every page it touches first:
// the large blocks of a report (the entries of the log, the output buffer; more for a
// chart or a table by period) are cut from one stretch of huge pages, which is given back
// when the process ends. Small blocks stay in the general heap, which reuses them, so that
// a small log or a mistyped option touches no huge page; blocks beyond the stretch too.
constexpr std::size_t kArenaSize = std::size_t{8} << 20;
// Unused where the sanitizers keep their own heap.
[[maybe_unused]] constexpr std::size_t kLargeBlock = std::size_t{64} << 10;
constinit uptrail::BumpArena arena;

// A file descriptor, written without a C stream: every piece the report hands on (a
// buffer of its text) is one write, with no copy into a stream's buffer of a few KiB.
class DescriptorOutput final : public uptrail::FinishedOutput {
public:
    explicit DescriptorOutput(int descriptor) : descriptor_(descriptor) {}

    void Write(std::string_view text) override {
        while (written_ && !text.empty()) {
            const ssize_t done = ::write(descriptor_, text.data(), text.size());
            if (done < 0 && errno == EINTR) continue;
            // A descriptor left without blocking by the program that started us.
            if (done < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                pollfd ready{descriptor_, POLLOUT, 0};
                written_ = ::poll(&ready, 1, -1) >= 0 || errno == EINTR;
                continue;
            }
            written_ = done > 0;
            if (written_) text.remove_prefix(static_cast<std::size_t>(done));
        }
    }

    bool Finish() override { return written_; }

private:
    int descriptor_;
    bool written_ = true;
};

}  // namespace

// The sanitizers keep their own heap, whose checks a replacement would take away.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define UPTRAIL_SANITIZER_HEAP
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || \
    __has_feature(memory_sanitizer)
#define UPTRAIL_SANITIZER_HEAP
#endif
#endif

#ifndef UPTRAIL_SANITIZER_HEAP
void* operator new(std::size_t size) {
    if (size >= kLargeBlock)
        if (void* block = arena.Allocate(size)) return block;
    for (;;) {
        if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
        const std::new_handler handler = std::get_new_handler();
        if (handler == nullptr) throw std::bad_alloc();
        handler();
    }
}

void operator delete(void* block) noexcept {
    if (!arena.Holds(block)) std::free(block);
}

void operator delete(void* block, std::size_t) noexcept { operator delete(block); }
#endif

int main(int argc, char** argv) {
    using namespace uptrail;
    arena.Reserve(kArenaSize);
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
    DescriptorOutput out(STDOUT_FILENO);
    DescriptorOutput err(STDERR_FILENO);
    return RunReportTo(arguments, environment, out, err);
}
