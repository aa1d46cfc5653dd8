#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <optional>

#include "report/plain_locale.h"
#include "report/report_run.h"
#include "storage/text_lines.h"

namespace uptrail::fuzz {

void Require(bool holds, const char* what, std::string_view detail) {
    if (holds) return;
    // Line ends, tabs and bytes outside ASCII are what these inputs turn on: shown escaped.
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    for (const char c : detail) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\n')
            std::fputs("\\n\n", stderr);
        else if (byte == '\\')
            std::fputs("\\\\", stderr);
        else if (byte < 0x20 || byte >= 0x7f)
            std::fprintf(stderr, "\\x%02x", byte);
        else
            std::fputc(byte, stderr);
    }
    std::fputc('\n', stderr);
    std::abort();
}

MemoryLog::MemoryLog(const std::string* log, std::uint32_t attributes) {
    files.AddFolder(file.parent_path());
    if (log != nullptr) files.AddFile(file, *log, attributes);
}

ReportResult RunReportInMemory(const std::vector<std::string>& arguments, const std::string* log) {
    const MemoryLog memory(log);
    const std::filesystem::path& logFile = memory.file;
    PlainLocale locale;
    const ReportEnvironment environment{
        .files = memory.files,
        .locale = locale,
        .now = kNow,
        .bootTime = [] { return kNow - std::chrono::hours{1}; },
        .defaultLogFile = [logFile] { return std::optional<std::filesystem::path>(logFile); },
        .ownSystem = {},
        .drives = {},
        .prepareOutput = {},
        .readFile = {},
    };
    std::vector<CommandArgument> commandArguments;
    for (const std::string& text : arguments) commandArguments.push_back({text, text});
    ReportResult result;
    result.exitCode = RunReport(commandArguments, environment, result.out, result.err);
    return result;
}

bool IsValidJson(std::string_view text) {
    // The parser skips a byte order mark, which RFC 8259 forbids a JSON text to send.
    return !text.starts_with("\xEF\xBB\xBF") && nlohmann::json::accept(text);
}

namespace {

int SectionCount(std::string_view text, std::string_view section) {
    const std::string header = "[" + std::string(section) + "]";
    int count = 0;
    for (const std::string_view line : SplitLines(text))
        if (TrimBlanks(line) == header) ++count;
    return count;
}

}  // namespace

bool HoldsSectionTwice(std::string_view text, std::string_view section) {
    return SectionCount(text, section) > 1;
}

bool HoldsSection(std::string_view text, std::string_view section) {
    return SectionCount(text, section) > 0;
}

std::string Restricted(std::string_view text, std::string_view allowed) {
    std::string result;
    for (const char c : text) {
        if (allowed.find(c) != std::string_view::npos)
            result += c;
        else
            result += allowed[static_cast<unsigned char>(c) % allowed.size()];
    }
    return result;
}

}  // namespace uptrail::fuzz
