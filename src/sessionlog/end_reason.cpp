#include "sessionlog/end_reason.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "base/timestamp.h"
#include "sessionlog/session_log.h"
#include "storage/section_text.h"
#include "storage/text_lines.h"

namespace uptrail {
namespace {

// Windows writes the records of a crash or a stop error while the next boot comes up,
// the report of a stop error once its dump is saved.
constexpr std::chrono::minutes kAfterNextBoot{5};
// How far before the boot time the program works out a record of that boot may lie.
constexpr std::chrono::minutes kBootTimeSlack{1};
constexpr std::size_t kLongestReason = 240;

constexpr std::string_view kPowerLost = "Power lost or the PC was turned off without shutting down";
constexpr std::string_view kUnexpected = "The previous shut-down was unexpected";
constexpr std::string_view kBlueScreen = "Blue screen";

// The data of a User32 1074 record, by index.
enum ShutdownValue : std::size_t {
    kProcess = 0,
    kReasonText = 2,
    kShutdownType = 4,
    kUser = 6,
};

// Programs through which Windows Update restarts the PC.
constexpr std::array<std::string_view, 6> kUpdatePrograms{
    "TrustedInstaller.exe", "MoUsoCoreWorker.exe", "UsoClient.exe",
    "wuauclt.exe",          "MusNotification.exe", "MusNotificationUx.exe"};

std::string Lowered(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lowered;
}

std::string_view ValueAt(const ShutdownRecord& record, std::size_t index) {
    return index < record.values.size() ? TrimBlanks(record.values[index]) : std::string_view();
}

std::string StopCodeText(std::uint64_t code) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%08llX", static_cast<unsigned long long>(code));
    return text;
}

// "0x0000009f (0x0000000000000003, ...)" reads as the code in front.
std::string BugCheckText(std::string_view data) {
    std::string_view code = data.substr(0, data.find_first_of(" (,"));
    if (code.size() > 2 && code[0] == '0' && (code[1] == 'x' || code[1] == 'X')) {
        std::uint64_t value = 0;
        const auto [end, error] =
            std::from_chars(code.data() + 2, code.data() + code.size(), value, 16);
        if (error == std::errc() && end == code.data() + code.size())
            return std::string(kBlueScreen) + ", stop code " + StopCodeText(value);
    }
    if (code.empty()) return std::string(kBlueScreen);
    return std::string(kBlueScreen) + ", stop code " + std::string(code);
}

// Kernel-Power 41 holds the stop code as a number, 0 when there was none.
std::optional<std::uint64_t> UncleanStopCode(const ShutdownRecord& record) {
    const std::string_view text = ValueAt(record, 0);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value == 0) return std::nullopt;
    return value;
}

// "C:\Windows\servicing\TrustedInstaller.exe (DESKTOP)" is the program "TrustedInstaller.exe".
std::string_view ProgramName(std::string_view process) {
    if (!process.empty() && process.back() == ')') {
        const std::size_t open = process.rfind(" (");
        if (open != std::string_view::npos) process = process.substr(0, open);
    }
    const std::size_t slash = process.find_last_of("\\/");
    return slash == std::string_view::npos ? process : process.substr(slash + 1);
}

// The kind of shut-down is a word of the system's language; English systems say "restart"
// or "power off". Any other word is kept as the system wrote it.
std::string ActionOf(std::string_view type) {
    const std::string lowered = Lowered(type);
    if (lowered.find("restart") != std::string::npos) return "Restarted";
    if (lowered.find("power off") != std::string::npos ||
        lowered.find("shutdown") != std::string::npos ||
        lowered.find("shut down") != std::string::npos)
        return "Shut down";
    if (type.empty()) return "Ended";
    return "Ended (" + std::string(type) + ")";
}

bool IsUpdateProgram(std::string_view program) {
    const std::string lowered = Lowered(program);
    return std::any_of(kUpdatePrograms.begin(), kUpdatePrograms.end(),
                       [&](std::string_view name) { return Lowered(name) == lowered; });
}

std::string ShutdownText(const ShutdownRecord& record) {
    const std::string_view program = ProgramName(ValueAt(record, kProcess));
    const std::string_view reason = ValueAt(record, kReasonText);
    const std::string_view user = ValueAt(record, kUser);
    std::string text = ActionOf(ValueAt(record, kShutdownType));
    if (IsUpdateProgram(program)) {
        text.append(" by Windows Update (").append(program).append(")");
    } else if (Lowered(program) == "explorer.exe") {
        text.append(" by ").append(user.empty() ? "a user" : user).append(" from the Start menu");
        return text;
    } else if (!user.empty()) {
        text.append(" by ").append(user);
        if (!program.empty()) text.append(" (").append(program).append(")");
    } else if (!program.empty()) {
        text.append(" by ").append(program);
    }
    if (!reason.empty()) text.append(" for ").append(reason);
    return text;
}

// The newest record of each kind inside the window, by ShutdownEvent.
using NewestRecords = std::array<const ShutdownRecord*, 4>;

NewestRecords NewestInside(std::span<const ShutdownRecord> records, DateTime from, DateTime to) {
    NewestRecords newest{};
    for (const ShutdownRecord& record : records) {
        if (record.time < from || record.time > to) continue;
        const auto kind = static_cast<std::size_t>(record.event);
        if (kind >= newest.size()) continue;
        if (!newest[kind] || newest[kind]->time < record.time) newest[kind] = &record;
    }
    return newest;
}

}  // namespace

std::string StoredReasonText(std::string_view text) {
    std::string line;
    for (const char c : text) {
        const bool blank = static_cast<unsigned char>(c) < 0x20 || c == ' ';
        if (blank && (line.empty() || line.back() == ' ')) continue;
        line += blank ? ' ' : c;
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    if (line.size() > kLongestReason) line.resize(kLongestReason);
    return line;
}

std::optional<std::string> DescribeSessionEnd(std::span<const ShutdownRecord> records,
                                              DateTime sessionStart, DateTime nextBoot) {
    // A request to shut down comes before the next boot; a crash is reported by the next
    // boot itself. Its own boot's reports about the session before it lie inside the
    // session too, and tell nothing of how it ended.
    const NewestRecords requested = NewestInside(records, sessionStart, nextBoot);
    const NewestRecords reported = NewestInside(
        records, std::max(sessionStart, nextBoot - kBootTimeSlack), nextBoot + kAfterNextBoot);
    const auto* const bugCheck = reported[static_cast<std::size_t>(ShutdownEvent::kBugCheck)];
    const auto* const unclean = reported[static_cast<std::size_t>(ShutdownEvent::kUncleanReboot)];
    const auto* const started =
        requested[static_cast<std::size_t>(ShutdownEvent::kShutdownStarted)];
    const auto* const unexpected = reported[static_cast<std::size_t>(ShutdownEvent::kUnexpected)];
    if (bugCheck) return BugCheckText(ValueAt(*bugCheck, 0));
    if (unclean)
        if (const auto code = UncleanStopCode(*unclean))
            return std::string(kBlueScreen) + ", stop code " + StopCodeText(*code);
    if (started) return StoredReasonText(ShutdownText(*started));
    if (unclean) return std::string(kPowerLost);
    if (unexpected) return std::string(kUnexpected);
    return std::nullopt;
}

OsError StoreEndReason(FileSystem& files, const std::filesystem::path& logFile,
                       std::string_view sessionStart, std::string_view reason) {
    const std::string line = StoredReasonText(reason);
    if (line.empty()) return kOk;
    return SetLogValue(files, logFile, kReasonSection, sessionStart, line);
}

EndReasons EndReasons::Read(std::string_view fileText) {
    EndReasons read;
    const std::string text = LoadSectionText(fileText, kReasonSection);
    for (const std::string_view line : SplitLines(text)) {
        const std::size_t separator = line.find('=');
        if (separator == std::string_view::npos) continue;
        const auto start = TryParseTimestamp(TrimBlanks(line.substr(0, separator)));
        if (!start) continue;
        // Loading a section reads each "~" as a Tab; a reason holds no Tab of its own.
        std::string reason(TrimBlanks(line.substr(separator + 1)));
        std::replace(reason.begin(), reason.end(), '\t', '~');
        // Every session that shares the start shows it: a hand-made reason of any length
        // would multiply the report by the number of such sessions.
        if (reason.size() > kLongestReason) reason.resize(kLongestReason);
        read.reasons_.emplace_back(*start, std::move(reason));
    }
    std::stable_sort(read.reasons_.begin(), read.reasons_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return read;
}

std::string_view EndReasons::Of(DateTime sessionStart) const {
    const auto after =
        std::upper_bound(reasons_.begin(), reasons_.end(), sessionStart,
                         [](DateTime value, const auto& reason) { return value < reason.first; });
    if (after == reasons_.begin() || std::prev(after)->first != sessionStart) return {};
    return std::prev(after)->second;
}

void EndReasons::MoveStart(DateTime from, DateTime to) {
    const std::string reason(Of(from));
    if (reason.empty()) return;
    reasons_.emplace_back(to, reason);
    std::stable_sort(reasons_.begin(), reasons_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
}

}  // namespace uptrail
