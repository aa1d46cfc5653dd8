#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/date_time.h"
#include "support/memory_file_system.h"

// What the fuzz targets share: a check that stops the run loudly, a log in memory, the
// report run on it, and a strict check of the JSON the report writes.
namespace uptrail::fuzz {

// The clock of every target: a fixed moment, so that a failing input fails again.
inline constexpr DateTime kNow = MakeDateTime(2031, 7, 15, 12, 34, 56);
inline constexpr std::string_view kLogPath = "C:/Logs/Uptrail.txt";

// A file system in memory with the log's folder and, when `log` is given, the log at
// kLogPath holding it, with `attributes`.
struct MemoryLog {
    explicit MemoryLog(const std::string* log, std::uint32_t attributes = 0);
    const std::filesystem::path file{std::string(kLogPath)};
    testing::MemoryFileSystem files;
};

// Stops the run with `what` when `holds` is false: libFuzzer keeps the input as a crash.
void Require(bool holds, const char* what, std::string_view detail = {});

struct ReportResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// uptrail-report run with `arguments` on a machine whose only file is the log at kLogPath,
// holding `log` (when `log` is given). The environment names that log as Uptrail's own and
// the boot as an hour before kNow, so that arguments without --log or --boot-time still run.
ReportResult RunReportInMemory(const std::vector<std::string>& arguments, const std::string* log);

// Whether `text` is one JSON text as RFC 8259 defines it, in well-formed UTF-8, with no
// byte order mark.
bool IsValidJson(std::string_view text);

// Whether the file text holds the header of `section` more than once. Sections of the same
// name after the first keep their bodies through a save, and a load reads the first: the
// section store keeps only a file with at most one of them consistent.
bool HoldsSectionTwice(std::string_view text, std::string_view section);
// Whether it holds the header of `section` at all.
bool HoldsSection(std::string_view text, std::string_view section);

// `text` with every byte outside `allowed` replaced by allowed[byte % size], so that fuzzed
// bytes make names and fields of the form a format expects.
std::string Restricted(std::string_view text, std::string_view allowed);

}  // namespace uptrail::fuzz
