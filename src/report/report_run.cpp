#include "report/report_run.h"

#include <algorithm>
#include <cstdio>

#include "base/settings_key.h"
#include "base/text_encoding.h"
#include "base/timestamp.h"
#include "base/version_info.h"
#include "base/version_text.h"
#include "report/event_export.h"
#include "report/report_format.h"
#include "report/session_report.h"
#include "sessionlog/log_location.h"
#include "sessionlog/past_import.h"
#include "sessionlog/session_log.h"
#include "sessionlog/system_filter.h"
#include "storage/file_checks.h"
#include "storage/profile_format.h"
#include "storage/registry_store.h"
#include "storage/setting_names.h"

namespace uptrail {
namespace {

std::string Complaint(std::string_view text) {
    return std::string(kReportProgramName) + ": " + std::string(text) + "\n";
}

std::string WhyUnreadable(OsError error) {
    if (IsNotFound(error)) return "it does not exist";
    if (error == kErrorAccessDenied) return "access is denied";
    if (error == kErrorSharingViolation) return "another program holds it";
    return "system error " + std::to_string(error);
}

std::string SizeText(std::uint64_t bytes) {
    constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
    constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
    if (bytes >= kGiB && bytes % kGiB == 0) return std::to_string(bytes / kGiB) + " GiB";
    if (bytes >= kMiB && bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
    return std::to_string(bytes) + " bytes";
}

std::string WhyRefused(const LimitedRead& read, std::uint64_t limit) {
    switch (read.kind) {
    case FileKind::kRegular: break;
    case FileKind::kFolder: return "it is a folder";
    case FileKind::kDevice: return "it is a device, not a file";
    case FileKind::kPipe: return "it is a pipe, not a file";
    case FileKind::kOther: return "it is not a regular file";
    }
    if (read.tooLarge)
        return "it is larger than " + SizeText(limit) + ", the most a log is read to";
    return WhyUnreadable(read.error);
}

// Through `files`: where the platform has no way to tell devices and pipes apart, tests.
LimitedRead ReadThroughFiles(const FileSystem& files, const std::filesystem::path& path,
                             std::uint64_t limit, FileBytes& bytes) {
    const auto attributes = files.GetAttributes(path);
    if (!attributes) return {kErrorFileNotFound};
    if (*attributes & file_attr::kDirectory) return {kOk, FileKind::kFolder};
    std::string contents;
    if (const OsError error = files.ReadWholeFile(path, contents); error != kOk) return {error};
    if (contents.size() > limit) return {kOk, FileKind::kRegular, true};
    bytes = FileBytes(std::move(contents));
    return {};
}

// The whole file, or what keeps it from being read: only a regular file of a sane size is
// a log file.
std::optional<FileBytes> ReadInputFile(const ReportEnvironment& environment,
                                       const std::filesystem::path& path, std::string_view what,
                                       std::string& err) {
    FileBytes bytes;
    const LimitedRead read =
        environment.readFile
            ? environment.readFile(path, environment.largestLog, bytes)
            : ReadThroughFiles(environment.files, path, environment.largestLog, bytes);
    if (read.error != kOk || read.kind != FileKind::kRegular || read.tooLarge) {
        err += Complaint("cannot read the " + std::string(what) + " '" + AnsiFromPath(path) +
                         "': " + WhyRefused(read, environment.largestLog));
        return std::nullopt;
    }
    return bytes;
}

// A value of the running installation's own section, read as the program reads it.
std::string OwnValue(std::string_view fileText, const ReportEnvironment& environment,
                     const SettingName& name) {
    return FindProfileValue(fileText, environment.ownSystem, name.key).value_or("");
}

std::string JoinedSystems(const std::vector<std::string>& systems) {
    std::string joined;
    for (const std::string& system : systems)
        joined.append(joined.empty() ? "" : "|").append(system);
    return joined;
}

// The systems listed: as asked; else as the running installation's tray lists them; else,
// with no installation to take them from, all.
void ChooseSystems(const ReportOptions& options, const ReportEnvironment& environment,
                   std::string_view fileText, ReportSettings& settings) {
    const std::string& own = environment.ownSystem;
    if (options.allSystems || !options.systems.empty()) {
        settings.allSystems = options.allSystems;
        settings.shown = ShownSystems(JoinedSystems(options.systems), own);
    } else if (!own.empty()) {
        settings.allSystems =
            TimestampFieldValue(OwnValue(fileText, environment, setting::kListMode)) > 0;
        settings.shown = ShownSystems(OwnValue(fileText, environment, setting::kSysList), own);
    } else {
        settings.allSystems = true;
    }
}

ReportSettings SettingsFor(const ReportOptions& options, const ReportEnvironment& environment,
                           std::string_view fileText) {
    ReportSettings settings;
    settings.now = options.now.value_or(environment.now);
    settings.bootTime = options.bootTime ? *options.bootTime : environment.bootTime();
    settings.ownSystem = environment.ownSystem;
    settings.limit = options.limit;
    settings.locale = &environment.locale;
    settings.drives = environment.drives;
    settings.since = options.since;
    settings.until = options.until;
    settings.by = options.by;
    settings.zone = environment.zone;
    ChooseSystems(options, environment, fileText, settings);
    if (!environment.ownSystem.empty()) {
        const std::string restart = OwnValue(fileText, environment, setting::kRestart);
        if (!restart.empty())
            settings.programStart =
                ParseTimestamp(restart, TimestampPart::kDateAndTime, settings.now);
    }
    return settings;
}

int WriteFileReport(std::string_view fileText, const ReportOptions& options,
                    const ReportEnvironment& environment, ReportOutput& out) {
    const SessionReport report =
        BuildFileReport(fileText, SettingsFor(options, environment, fileText));
    if (environment.prepareOutput) environment.prepareOutput(options.format);
    WriteReport(report, options.format, out);
    return kReportSucceeded;
}

// What keeps an export from giving sessions, or "" when it gives them.
std::string WhyNoRecords(const EventExport& read) {
    if (read.events == 0 && !read.xml.wellFormed)
        return "it is no XML (" + read.xml.error + " at line " + std::to_string(read.xml.line) +
               ")";
    if (read.events == 0) return "it holds no events";
    if (std::none_of(read.records.begin(), read.records.end(),
                     [](const auto& record) { return record.event != ShutdownEvent::kActivity; }))
        return "none of its " + std::to_string(read.events) +
               " events is a start, shut-down or sleep of the System log (is it another log's?)";
    return {};
}

// The sessions of an XML export of the System log, reported as a log of them would be,
// under the PC's name. An export cut short gives what stands before the cut.
int ReportEvents(const std::filesystem::path& path, const ReportOptions& options,
                 const ReportEnvironment& environment, ReportOutput& out, std::string& err) {
    const auto file = ReadInputFile(environment, path, "export", err);
    if (!file) return kReportUnreadableLog;
    const FixedTimeZone utc;
    const EventExport read = ReadEventExport(file->Text(), SystemXmlReader(),
                                             environment.zone ? *environment.zone : utc);
    const std::string where = "the export '" + AnsiFromPath(path) + "'";
    if (const std::string why = WhyNoRecords(read); !why.empty()) {
        err += Complaint("cannot report " + where + ": " + why);
        return kReportUnreadableLog;
    }
    if (!read.xml.wellFormed)
        err += Complaint("warning: " + where + " breaks off (" + read.xml.error + " at line " +
                         std::to_string(read.xml.line) + "); the sessions before are reported");

    const std::string computer = read.computer.empty() ? "PC" : read.computer;
    const PastSessions past = SessionsFromRecords(read.records, computer);
    const DateTime now = options.now.value_or(environment.now);
    // Its running session is the one the records end in; it is no running installation's.
    const DateTime boot =
        past.runningSince.value_or(past.sessions.empty() ? now : past.sessions.back().end);
    ReportEnvironment exported = environment;
    exported.ownSystem.clear();
    exported.bootTime = [boot] { return boot; };
    return WriteFileReport(AddPastSessions({}, past, computer, now).text, options, exported, out);
}

}  // namespace

int RunReport(std::span<const CommandArgument> arguments, const ReportEnvironment& environment,
              ReportOutput& out, std::string& err) {
    const ParsedReportOptions parsed = ParseReportOptions(arguments);
    if (!parsed.error.empty()) {
        err += Complaint(parsed.error) + "Try '" + std::string(kReportProgramName) +
               " --help' for the options.\n";
        return kReportWrongArguments;
    }
    const ReportOptions& options = parsed.options;
    if (options.help) {
        out.Write(ReportUsage());
        return kReportSucceeded;
    }
    if (options.version) {
        out.Write(std::string(kReportProgramName) + " (" + std::string(kVersion.title) + ") " +
                  VersionText(true) + "\n");
        return kReportSucceeded;
    }

    if (options.eventsFile)
        return ReportEvents(*options.eventsFile, options, environment, out, err);

    std::optional<std::filesystem::path> logFile = options.logFile;
    if (!logFile && environment.defaultLogFile) logFile = environment.defaultLogFile();
    if (!logFile) {
        err += Complaint("no log file: name one with --log FILE");
        return kReportWrongArguments;
    }
    const auto file = ReadInputFile(environment, *logFile, "log file", err);
    if (!file) return kReportUnreadableLog;
    return WriteFileReport(file->Text(), options, environment, out);
}

int RunReport(std::span<const CommandArgument> arguments, const ReportEnvironment& environment,
              std::string& out, std::string& err) {
    StringOutput output(out);
    return RunReport(arguments, environment, output, err);
}

std::filesystem::path FindUptrailLogFile(const Registry& registry, const FileSystem& files,
                                         const SystemInfo& system) {
    const std::filesystem::path stored = StoredLogFolder(registry);
    if (!stored.empty()) return LogFileIn(stored);

    const std::string programKeyFolder = RegRead(registry, RegistryRoot::kLocalMachine,
                                                 SettingsKeyPath(), setting::kProgramFolder.key);
    const std::filesystem::path programFolder =
        programKeyFolder.empty() ? system.ProgramFolder() : PathFromAnsi(programKeyFolder);
    const std::filesystem::path besideProgram = LogFileIn(programFolder);
    const std::filesystem::path dataFolder = DataLogFolder(system);
    if (FileExists(files, besideProgram) || dataFolder.empty()) return besideProgram;
    return LogFileIn(dataFolder);
}

namespace {

// A C stream, which keeps whether every piece reached it.
class StreamOutput final : public FinishedOutput {
public:
    explicit StreamOutput(std::FILE* stream) : stream_(stream) {}

    void Write(std::string_view text) override {
        written_ = written_ && std::fwrite(text.data(), 1, text.size(), stream_) == text.size();
    }

    bool Finish() override { return std::fflush(stream_) == 0 && written_; }

private:
    std::FILE* stream_;
    bool written_ = true;
};

}  // namespace

int RunReportTo(const std::vector<CommandArgument>& arguments, const ReportEnvironment& environment,
                FinishedOutput& out, FinishedOutput& err) {
    std::string complaints;
    const int status = RunReport(arguments, environment, out, complaints);
    if (!complaints.empty()) err.Write(complaints);
    err.Finish();
    if (!out.Finish() && status == kReportSucceeded) return kReportNotWritten;
    return status;
}

int RunReportToStandardStreams(const std::vector<CommandArgument>& arguments,
                               const ReportEnvironment& environment) {
    StreamOutput out(stdout);
    StreamOutput err(stderr);
    return RunReportTo(arguments, environment, out, err);
}

}  // namespace uptrail
