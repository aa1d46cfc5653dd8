// Alarm lines and repeats read, normalise and write back without change, the alarm list
// survives a save and a load, and the update description's reader and the version order
// hold for any text.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <compare>
#include <string>
#include <vector>

#include "alarm/alarm_list.h"
#include "app/commands/update_check.h"
#include "base/timestamp.h"
#include "fuzz_support.h"

namespace uptrail::fuzz {
namespace {

constexpr std::string_view kVersionCharacters = "0123456789.";

std::strong_ordering Reversed(std::strong_ordering order) { return 0 <=> order; }

void CheckAlarmLine(std::string_view line) {
    const AlarmEntry entry = ParseAlarmLine(line);
    Require(NormalisedRepeat(entry.Repeat) == entry.Repeat, "a normalised repeat changes again",
            entry.Repeat);
    Require(ParseAlarmLine(AlarmLine(entry)) == entry, "an alarm line does not read back",
            AlarmLine(entry));
    if (std::count(line.begin(), line.end(), '=') >= 2 &&
        line.substr(line.find('=') + 1).starts_with(entry.Repeat + "="))
        Require(AlarmLine(entry) == line, "a line in the stored form is written otherwise", line);
}

// Alarms as the program stores them (a due time, a normalised repeat, a title of one line),
// saved into any log and loaded again: the save's own order, every one of them.
void CheckSaveAndLoad(FuzzedDataProvider& input) {
    AlarmList alarms;
    std::vector<AlarmEntry> entries(input.ConsumeIntegralInRange<std::size_t>(1, 5));
    for (AlarmEntry& entry : entries) {
        entry.Key =
            FormatTimestamp(MakeDateTime(2020, 1, 1) +
                            std::chrono::minutes{input.ConsumeIntegralInRange<int>(0, 10'000'000)});
        entry.Repeat = NormalisedRepeat(input.ConsumeRandomLengthString(12));
        entry.Title = input.ConsumeRandomLengthString(30);
        std::replace(entry.Title.begin(), entry.Title.end(), '\r', ' ');
        std::replace(entry.Title.begin(), entry.Title.end(), '\n', ' ');
    }
    alarms.Replace(entries);
    const std::string log = input.ConsumeRemainingBytesAsString();
    if (HoldsSectionTwice(log, "Alarm")) return;

    MemoryLog memory(&log);
    auto& [logFile, files] = memory;
    SaveAlarms(alarms, files, logFile);
    AlarmList loaded;
    LoadAlarms(loaded, files, logFile, false, kNow);
    Require(loaded.Entries() == alarms.Entries(), "the alarms saved do not load back",
            files.Contents(logFile));
}

}  // namespace
}  // namespace uptrail::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace uptrail;
    using namespace uptrail::fuzz;
    FuzzedDataProvider input(data, size);
    CheckAlarmLine(input.ConsumeRandomLengthString(80));

    const std::string description = input.ConsumeRandomLengthString(80);
    if (const auto version = ParseUpdateDescription(description)) {
        Require(!version->empty() && version->size() <= kMaxVersionLength,
                "a version of the wrong length", description);
        Require(version->find_first_not_of(kVersionCharacters) == std::string::npos &&
                    version->front() != '.' && version->back() != '.' &&
                    version->find("..") == std::string::npos,
                "a version that is not digits and dots", description);
    }

    const bool plain = input.ConsumeBool();
    std::string left = input.ConsumeRandomLengthString(24);
    std::string right = input.ConsumeRandomLengthString(24);
    if (plain) {
        left = Restricted(left, kVersionCharacters);
        right = Restricted(right, kVersionCharacters);
    }
    Require(CompareVersions(left, right) == Reversed(CompareVersions(right, left)),
            "the version order is not antisymmetric", left + " " + right);
    Require(CompareVersions(left, left) == std::strong_ordering::equal,
            "a version differs from itself", left);

    CheckSaveAndLoad(input);
    return 0;
}
