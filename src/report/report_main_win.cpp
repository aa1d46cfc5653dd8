// uptrail-report on Windows: a console program that reads Uptrail's own log file unless
// told another, and lists the systems this installation's tray lists.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "report/report_run.h"
#include "sessionlog/session_tracker.h"
#include "sessionlog/system_identity.h"
#include "win32/platform/wide_text.h"
#include "win32/platform/win32_clock.h"
#include "win32/platform/win32_file_system.h"
#include "win32/platform/win32_locale.h"
#include "win32/platform/win32_registry.h"
#include "win32/platform/win32_system_info.h"
#include "win32/platform/win32_time_zone.h"

namespace {

// The log's texts are ANSI and JSON is UTF-8; a console shows them right only in that
// code page. The console is shared with the shell that started us, so its own code page
// is put back at the end.
class ConsoleCodePage {
public:
    ConsoleCodePage() : previous_(GetConsoleOutputCP()) {}
    ~ConsoleCodePage() {
        if (changed_) SetConsoleOutputCP(previous_);
    }
    ConsoleCodePage(const ConsoleCodePage&) = delete;
    ConsoleCodePage& operator=(const ConsoleCodePage&) = delete;

    void For(uptrail::ReportFormat format) {
        DWORD mode = 0;
        if (!GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) return;  // redirected
        const bool utf8 =
            format == uptrail::ReportFormat::kJson || format == uptrail::ReportFormat::kHtml;
        changed_ = SetConsoleOutputCP(utf8 ? CP_UTF8 : GetACP());
    }

private:
    UINT previous_;
    bool changed_ = false;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    using namespace uptrail;
    Win32FileSystem files;
    Win32Registry registry;
    Win32SystemInfo system;
    Win32Clock clock;
    Win32Locale locale;
    ConsoleCodePage console;
    std::vector<CommandArgument> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back({AnsiFromWide(argv[i]), argv[i]});

    const DateTime now = clock.Now();
    Win32TimeZone zone;
    ReportEnvironment environment{
        files,
        locale,
        now,
        [&] { return SessionStart(now, clock.TickCount(), system.RecentBootRecords()); },
        [&] { return std::optional(FindUptrailLogFile(registry, files, system)); },
        SystemIdentity(system),
        BuildDriveTable(system),
        [&](ReportFormat format) { console.For(format); },
        [&](const std::filesystem::path& path, std::uint64_t limit, FileBytes& bytes) {
            return files.ReadLimited(path, limit, bytes);
        }};
    environment.zone = &zone;
    return RunReportToStandardStreams(arguments, environment);
}
