#pragma once
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "platform/file_bytes.h"
#include "platform/file_system.h"
#include "platform/locale.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "platform/time_zone.h"
#include "report/report_options.h"
#include "report/report_writer.h"
#include "sessionlog/system_filter.h"
#include "sessionlog/system_identity.h"

namespace uptrail {

// Exit statuses of uptrail-report.
inline constexpr int kReportSucceeded = 0;
inline constexpr int kReportWrongArguments = 1;
inline constexpr int kReportUnreadableLog = 2;
inline constexpr int kReportNotWritten = 3;  // the output could not be written

inline constexpr std::uint64_t kLargestLogFile = std::uint64_t{1} << 30;

// What the report takes from the machine it runs on.
struct ReportEnvironment {
    const FileSystem& files;  // read only: the report never writes
    const Locale& locale;
    DateTime now{};
    // The start of the running system session; asked only when --boot-time is not given.
    std::function<DateTime()> bootTime;
    // Uptrail's own log file here, when a Windows installation runs; asked only when
    // --log is not given.
    std::function<std::optional<std::filesystem::path>()> defaultLogFile;
    // The running Windows installation, whose stored filter is the default; empty elsewhere.
    std::string ownSystem;
    DriveTable drives;
    // Told the format just before the report is written (a console picks its code page).
    std::function<void(ReportFormat)> prepareOutput;
    // Reads the log the platform's safe way: a regular file only, up to a limit; without
    // it the log is read through `files`.
    std::function<LimitedRead(const std::filesystem::path&, std::uint64_t, FileBytes&)> readFile;
    // The largest log file read; a log is some megabytes, and no sane one comes near it.
    std::uint64_t largestLog = kLargestLogFile;
    // The user's time zone, for the length of a day or month in a table by period; without
    // one, days have 24 hours.
    const TimeZone* zone = nullptr;
};

// Runs uptrail-report with the arguments after the program name: the report goes to `out`,
// complaints to `err`; gives the exit status. The log file is only read. A run that
// complains writes no report; a warning (an export cut short) goes with one.
int RunReport(std::span<const CommandArgument> arguments, const ReportEnvironment& environment,
              ReportOutput& out, std::string& err);
int RunReport(std::span<const CommandArgument> arguments, const ReportEnvironment& environment,
              std::string& out, std::string& err);

// Uptrail's log file as Uptrail finds it, without storing anything: in the folder that
// "LogFolder" names; else in the program's folder (the program key's default value, or the
// folder this program runs from) when the file is there; else in the per-machine data
// folder, where a program under Program Files keeps it.
std::filesystem::path FindUptrailLogFile(const Registry& registry, const FileSystem& files,
                                         const SystemInfo& system);

// Runs the report and writes it to `out` as it is made; complaints go to `err`. A report
// that cannot be written out (a full disk, a closed pipe) is no success.
int RunReportTo(const std::vector<CommandArgument>& arguments, const ReportEnvironment& environment,
                FinishedOutput& out, FinishedOutput& err);

// The same through the C library's standard output and error streams.
int RunReportToStandardStreams(const std::vector<CommandArgument>& arguments,
                               const ReportEnvironment& environment);

}  // namespace uptrail
