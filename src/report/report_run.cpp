#include "report/report_run.h"

#include <cstdio>

#include "base/settings_key.h"
#include "base/text_encoding.h"
#include "base/timestamp.h"
#include "base/version_info.h"
#include "base/version_text.h"
#include "report/report_format.h"
#include "report/session_report.h"
#include "sessionlog/log_location.h"
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

// The whole file, or what keeps it from being read. A folder is no log file.
std::optional<FileBytes> ReadLogFile(const ReportEnvironment& environment,
                                     const std::filesystem::path& path, std::string& err) {
    const FileSystem& files = environment.files;
    const std::string unreadable = "cannot read the log file '" + AnsiFromPath(path) + "': ";
    const auto attributes = files.GetAttributes(path);
    if (!attributes) {
        err += Complaint(unreadable + WhyUnreadable(kErrorFileNotFound));
        return std::nullopt;
    }
    if (*attributes & file_attr::kDirectory) {
        err += Complaint(unreadable + "it is a folder");
        return std::nullopt;
    }
    FileBytes bytes;
    OsError error = kOk;
    if (environment.mapFile) {
        error = environment.mapFile(path, bytes);
    } else {
        std::string contents;
        error = files.ReadWholeFile(path, contents);
        bytes = FileBytes(std::move(contents));
    }
    if (error != kOk) {
        err += Complaint(unreadable + WhyUnreadable(error));
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
    ChooseSystems(options, environment, fileText, settings);
    if (!environment.ownSystem.empty()) {
        const std::string restart = OwnValue(fileText, environment, setting::kRestart);
        if (!restart.empty())
            settings.programStart =
                ParseTimestamp(restart, TimestampPart::kDateAndTime, settings.now);
    }
    return settings;
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

    std::optional<std::filesystem::path> logFile = options.logFile;
    if (!logFile && environment.defaultLogFile) logFile = environment.defaultLogFile();
    if (!logFile) {
        err += Complaint("no log file: name one with --log FILE");
        return kReportWrongArguments;
    }
    const auto file = ReadLogFile(environment, *logFile, err);
    if (!file) return kReportUnreadableLog;

    const std::string_view fileText = file->Text();
    const SessionReport report =
        BuildFileReport(fileText, SettingsFor(options, environment, fileText));
    if (environment.prepareOutput) environment.prepareOutput(options.format);
    WriteReport(report, options.format, out);
    return kReportSucceeded;
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
class StreamOutput final : public ReportOutput {
public:
    explicit StreamOutput(std::FILE* stream) : stream_(stream) {}

    void Write(std::string_view text) override {
        written_ = written_ && std::fwrite(text.data(), 1, text.size(), stream_) == text.size();
    }

    bool Finish() { return std::fflush(stream_) == 0 && written_; }

private:
    std::FILE* stream_;
    bool written_ = true;
};

}  // namespace

int RunReportToStandardStreams(const std::vector<CommandArgument>& arguments,
                               const ReportEnvironment& environment) {
    StreamOutput out(stdout);
    std::string err;
    const int status = RunReport(arguments, environment, out, err);
    StreamOutput complaints(stderr);
    complaints.Write(err);
    complaints.Finish();
    if (!out.Finish() && status == kReportSucceeded) return kReportNotWritten;
    return status;
}

}  // namespace uptrail
