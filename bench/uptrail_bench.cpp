// Benchmarks of the work Uptrail does on a large log: the start-up (trim, the previous
// session's entry, statistics and session menus, alarms), the heartbeat, a whole section
// save, the report, the clock tick, loading and saving a thousand alarms, and reading an export of
// the System log as sessions. Files are real files
// through the POSIX file system; the rewrites run once flushed to the disk (flush:1) and once in
// memory without the flush (flush:0), so the figures show the program's own work apart from the
// disk's.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <memory>

#include "alarm/alarm_commands.h"
#include "alarm/alarm_list.h"
#include "app/main_context.h"
#include "app/session_menus.h"
#include "base/timestamp.h"
#include "generated_export.h"
#include "generated_log.h"
#include "platform/file_bytes.h"
#include "posix/posix_file_system.h"
#include "report/event_export.h"
#include "report/plain_locale.h"
#include "report/report_format.h"
#include "report/report_run.h"
#include "report/report_writer.h"
#include "report/session_report.h"
#include "sessionlog/past_sessions.h"
#include "sessionlog/session_log.h"
#include "sessionlog/session_tracker.h"
#include "storage/profile_file.h"
#include "storage/section_file.h"
#include "storage/section_text.h"
#include "support/fake_machine.h"
#include "support/fake_platform.h"
#include "support/memory_registry.h"
#include "visuals/clock_dial.h"

namespace uptrail::bench {
namespace {

using namespace std::chrono_literals;

constexpr DateTime kBoot = MakeDateTime(2026, 12, 6, 8, 0, 0);
constexpr DateTime kNow = kBoot + 65s;
// The tray icon's size at 200% scaling, the largest the shell asks for in practice.
constexpr int kIconSize = 32;

// The benchmarks' files live in folders of their own, removed at the end. Those flushed to
// the disk (flush:1) and those only read are on the disk, under the temporary folder; those
// rewritten without the flush (flush:0) are in memory (/dev/shm), because a file system on a
// disk starts writing a file out when it replaces another, and that is the flush's work.
// UPTRAIL_BENCH_DIR names one folder for all of them instead.
class BenchFolder {
public:
    explicit BenchFolder(const std::filesystem::path& root) {
        const char* chosen = std::getenv("UPTRAIL_BENCH_DIR");
        owned_ = chosen == nullptr;
        path_ = chosen ? std::filesystem::path(chosen)
                       : root / ("uptrail-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path_);
    }
    ~BenchFolder() {
        std::error_code ignored;
        if (owned_) std::filesystem::remove_all(path_, ignored);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    std::filesystem::path LogFile(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
    bool owned_ = false;
};

BenchFolder& OnDisk() {
    static BenchFolder folder(std::filesystem::temp_directory_path());
    return folder;
}

BenchFolder& InMemory() {
    static const std::filesystem::path shared = "/dev/shm";
    static BenchFolder folder(
        std::filesystem::is_directory(shared) ? shared : std::filesystem::temp_directory_path());
    return folder;
}

const GeneratedLog& LogOf(int entries) {
    static std::map<int, GeneratedLog> logs;
    auto found = logs.find(entries);
    if (found == logs.end()) found = logs.emplace(entries, GenerateLog(entries, kBoot)).first;
    return found->second;
}

bool Flushes(const benchmark::State& state) { return state.range(1) != 0; }

PosixFileSystem::Flush FlushOf(const benchmark::State& state) {
    return Flushes(state) ? PosixFileSystem::Flush::kToDisk : PosixFileSystem::Flush::kNone;
}

// Where a benchmark that rewrites the log keeps it.
std::filesystem::path RewrittenLog(const benchmark::State& state, const std::string& name) {
    return (Flushes(state) ? OnDisk() : InMemory()).LogFile(name);
}

// Puts the log in place as the program finds it: read-only plus system, and written out (a
// file the benchmark had just written would still be waiting in the cache).
void PlaceLog(FileSystem& files, const std::filesystem::path& path, const std::string& text) {
    PosixFileSystem flushing(PosixFileSystem::Flush::kToDisk);
    static_cast<void>(files.SetAttributes(path, 0));  // none there before the first placing
    if (flushing.WriteNewFile(path, text) != kOk) std::abort();
    if (files.SetAttributes(path, kLogFileAttributes) != kOk) std::abort();
}

// The main window's logic on the POSIX file system, with the rest of the platform doubled.
struct Program {
    explicit Program(PosixFileSystem::Flush flush) : files(flush) {
        clock.now = kNow;
        MainState& state = context.state;
        state.session.systemId = GeneratedSystems()[0];
        state.session.bootTime = state.session.statsFrom = kBoot;
        state.session.driveTable = {{"1A2B3C4D/", "C:"}, {"5E6F7A8B/", "D:"}};
    }

    testing::FakeClock clock;
    PosixFileSystem files;
    testing::MemoryRegistry registry;
    testing::FakeSystemInfo system;
    testing::FakeTrayIcon tray;
    testing::FakeMainWindow window;
    testing::FakeDesktop desktop;
    PlainLocale locale;
    testing::FakeHttpClient http;
    FixedTimeZone zone;
    testing::FakeEventSink events;
    testing::MemoryMachineLock logLock;
    testing::FakeMachineSessions sessions;
    testing::FakeSystemLog systemLog;
    MainContext context{{clock, files, registry, system, tray, window, window, desktop, locale,
                         http, zone, events, logLock, sessions, systemLog},
                        {}};
};

// A section "Alarm" of `count` alarms in no particular order, as a file holds it after
// `count` alarm windows were closed: the repeats and titles vary.
std::string AlarmSection(int count) {
    static const char* const kRepeats[] = {"0000:00:00", "#1", "#2", "#3", "#4", "0001:30:00"};
    std::string section = "[Alarm]\r\n";
    for (int i = 0; i < count; ++i) {
        const DateTime due = kNow + std::chrono::minutes{(i * 7919) % (count * 60 + 1)};
        section += FormatTimestamp(due) + "=" + kRepeats[i % 6] + "=Alarm number " +
                   std::to_string(i) + "\r\n";
    }
    return section;
}

// The generated log of a user with a dozen alarms, which a save put after section "Log"
// and the next trim moved before it.
const std::string& LogWithAlarmsOf(int entries) {
    static std::map<int, std::string> logs;
    auto found = logs.find(entries);
    if (found == logs.end())
        found = logs.emplace(entries, AlarmSection(12) + LogOf(entries).text).first;
    return found->second;
}

// Entries in the file: at 32001 the log is full (the last start added one entry after its
// trim) and this start's trim drops the oldest again, rewriting the section.
void BM_StartupWork(benchmark::State& state) {
    Program program(FlushOf(state));
    MainState& main = program.context.state;
    main.session.logFile = RewrittenLog(state, "startup.txt");
    const std::string& text = LogWithAlarmsOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        PlaceLog(program.files, main.session.logFile, text);
        state.ResumeTiming();
        const TrimResult trim = TrimLog(program.files, main.session.logFile, false, kBoot, kNow);
        main.session.statsFrom = trim.statsFrom;
        main.session.logCount = trim.logCount;
        RecordPreviousSession(program.context.Settings(), kBoot, kNow);
        RefreshSessionMenus(program.context);
        LoadAlarmsAtStartup(program.context.Alarms());
    }
    if (main.alarms.menu.items.size() != 12) state.SkipWithError("no alarms");
    const auto kept = std::min<std::int64_t>(state.range(0), kStartupLogLimit);
    if (main.menus.sessionItems.empty() || main.session.logCount != kept)
        state.SkipWithError("no menus");
}

void BM_TrimLog(benchmark::State& state) {
    PosixFileSystem files;
    const std::filesystem::path log = OnDisk().LogFile("trim.txt");
    PlaceLog(files, log, LogOf(static_cast<int>(state.range(0))).text);
    for (auto _ : state) benchmark::DoNotOptimize(TrimLog(files, log, false, kBoot, kNow));
}

void BM_StatisticsAndSessionList(benchmark::State& state) {
    Program program(PosixFileSystem::Flush::kNone);
    MainState& main = program.context.state;
    main.session.logFile = OnDisk().LogFile("menus.txt");
    PlaceLog(program.files, main.session.logFile, LogOf(static_cast<int>(state.range(0))).text);
    for (auto _ : state) RefreshSessionMenus(program.context);
}

// One heartbeat: "CurStroke" of section "Common" rewritten, a new value every time.
void BM_Heartbeat(benchmark::State& state) {
    PosixFileSystem files(FlushOf(state));
    const std::filesystem::path log = RewrittenLog(state, "heartbeat.txt");
    PlaceLog(files, log, LogOf(static_cast<int>(state.range(0))).text);
    DateTime beat = kNow;
    for (auto _ : state) {
        beat += 30s;
        if (WriteProfile(files, log, "Common", "CurStroke", FormatTimestamp(beat)) != kOk)
            state.SkipWithError("heartbeat not written");
    }
}

// The whole "Log" section saved, as the trim saves it.
void BM_SectionSave(benchmark::State& state) {
    PosixFileSystem files(FlushOf(state));
    const std::filesystem::path log = RewrittenLog(state, "section.txt");
    const GeneratedLog& generated = LogOf(static_cast<int>(state.range(0)));
    PlaceLog(files, log, generated.text);
    std::string section;
    for (const std::string& line : generated.entryLines) section.append(line).append("\r\n");
    for (auto _ : state) {
        if (SaveSection(files, log, kLogSection, section) != kOk) state.SkipWithError("not saved");
    }
}

// The report's settings of a run on Linux with --all, at the generated logs' time.
ReportSettings AllSystemsNow(const Locale& locale) {
    ReportSettings settings;
    settings.now = kNow;
    settings.bootTime = kBoot;
    settings.allSystems = true;
    settings.locale = &locale;
    return settings;
}

// uptrail-report's work in the process, as the program does it: the file read, the report
// built from it in one pass, written out in `format` (here: counted and dropped).
void ReportInFormat(benchmark::State& state, ReportFormat format) {
    PosixFileSystem files;
    const std::filesystem::path log = OnDisk().LogFile("report.txt");
    PlaceLog(files, log, LogOf(static_cast<int>(state.range(0))).text);
    PlainLocale locale;
    const ReportSettings settings = AllSystemsNow(locale);
    class CountingOutput final : public ReportOutput {
    public:
        void Write(std::string_view text) override { bytes += text.size(); }
        std::size_t bytes = 0;
    } output;
    for (auto _ : state) {
        FileBytes bytes;
        const LimitedRead read = files.ReadLimited(log, kLargestLogFile, bytes);
        if (read.error != kOk || read.tooLarge) state.SkipWithError("not read");
        WriteReport(BuildFileReport(bytes.Text(), settings), format, output);
    }
    benchmark::DoNotOptimize(output.bytes);
}

void BM_Report(benchmark::State& state) { ReportInFormat(state, ReportFormat::kText); }

// The session chart: the default page of a full log, its timeline, calendar and months.
void BM_ReportChart(benchmark::State& state) { ReportInFormat(state, ReportFormat::kHtml); }

// A log that names a new system on every line, as a log gathered from a whole fleet might:
// the report's work must grow with the lines, not with the lines times the systems.
void BM_ReportManySystems(benchmark::State& state) {
    const auto systems = static_cast<int>(state.range(0));
    std::string text = "[Log]\r\n";
    for (int i = 0; i < systems; ++i) {
        const DateTime start = kBoot - std::chrono::hours{2 * (systems - i)};
        text += FormatTimestamp(start) + "=" + FormatTimestamp(start + std::chrono::hours{1}) +
                "=0=" + std::to_string(10000000 + i) + "//c:\\windows\r\n";
    }
    PlainLocale locale;
    const ReportSettings settings = AllSystemsNow(locale);
    std::string out;
    for (auto _ : state) {
        out.clear();
        StringOutput output(out);
        WriteReport(BuildFileReport(text, settings), ReportFormat::kText, output);
    }
    benchmark::DoNotOptimize(out.data());
}

// A thousand alarms read from a log of 32000 entries.
void BM_LoadAlarms(benchmark::State& state) {
    PosixFileSystem files;
    const std::filesystem::path log = OnDisk().LogFile("alarms-load.txt");
    PlaceLog(files, log, LogOf(32000).text + AlarmSection(static_cast<int>(state.range(0))));
    AlarmList alarms;
    for (auto _ : state) LoadAlarms(alarms, files, log, true, kNow);
    if (alarms.AlarmUpperBound() + 1 != state.range(0)) state.SkipWithError("alarms not read");
}

// A thousand alarms cleaned, sorted and written into a log of 32000 entries, as an alarm
// window saves them when it closes.
void BM_SaveAlarms(benchmark::State& state) {
    PosixFileSystem files(FlushOf(state));
    const std::filesystem::path log = RewrittenLog(state, "alarms-save.txt");
    const int count = static_cast<int>(state.range(0));
    PlaceLog(files, log, LogOf(32000).text + AlarmSection(count));
    AlarmList loaded;
    LoadAlarms(loaded, files, log, false, kNow);
    for (auto _ : state) {
        state.PauseTiming();
        AlarmList alarms = loaded;
        state.ResumeTiming();
        SaveAlarms(alarms, files, log);
    }
}

// One tick of the tray clock: the time's hands drawn on the dial, and the dial stretched
// to the icon's picture.
void BM_ClockTick(benchmark::State& state) {
    ClockDial dial;
    Image icon(kIconSize, kIconSize, kMagenta);
    DateTime now = kNow;
    for (auto _ : state) {
        now += 1s;
        const DateTimeFields time = FieldsOf(now);
        dial.Tick(time.hour, time.minute, time.second, kMaxAnimationLevel);
        StretchInto(dial.Picture(), icon);
        benchmark::DoNotOptimize(icon.Pixels().data());
    }
}

// An export of the System log read as sessions, as uptrail-report reads one: the document
// read through the platform's XML reader, its records turned into sessions.
void BM_ReadEventExport(benchmark::State& state) {
    static std::map<int, GeneratedExport> exports;
    const int records = static_cast<int>(state.range(0));
    auto generated = exports.find(records);
    if (generated == exports.end())
        generated = exports.emplace(records, GenerateEventExport(records)).first;
    const std::string& text = generated->second.text;
    const FixedTimeZone centralEurope(1h);
    std::size_t sessions = 0;
    for (auto _ : state) {
        const EventExport found = ReadEventExport(text, SystemXmlReader(), centralEurope);
        if (!found.xml.wellFormed || found.events != static_cast<std::size_t>(records))
            state.SkipWithError("the export was not read whole");
        sessions = SessionsFromRecords(found.records, GeneratedSystems()[0]).sessions.size();
    }
    if (sessions != generated->second.sessions) state.SkipWithError("other sessions");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

void LogSizes(benchmark::internal::Benchmark* benchmark) {
    for (const int entries : {1000, 10000, 32000}) benchmark->Arg(entries);
}

void LogSizesFlushed(benchmark::internal::Benchmark* benchmark) {
    for (const int entries : {1000, 10000, 32000})
        for (const int flush : {0, 1}) benchmark->Args({entries, flush});
}

BENCHMARK(BM_StartupWork)
    ->ArgNames({"entries", "flush"})
    ->Apply(LogSizesFlushed)
    ->Args({32001, 0})
    ->Args({32001, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_TrimLog)->ArgName("entries")->Apply(LogSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatisticsAndSessionList)
    ->ArgName("entries")
    ->Apply(LogSizes)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Heartbeat)
    ->ArgNames({"entries", "flush"})
    ->Apply(LogSizesFlushed)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SectionSave)
    ->ArgNames({"entries", "flush"})
    ->Apply(LogSizesFlushed)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Report)->ArgName("entries")->Apply(LogSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportChart)->ArgName("entries")->Arg(32000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportManySystems)->ArgName("systems")->Arg(30000)->Unit(benchmark::kMillisecond);
// Timed by the clock on the wall: the export is read on several threads at once.
BENCHMARK(BM_ReadEventExport)
    ->ArgName("records")
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ClockTick)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadAlarms)->ArgName("alarms")->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveAlarms)
    ->ArgNames({"alarms", "flush"})
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace uptrail::bench

BENCHMARK_MAIN();
