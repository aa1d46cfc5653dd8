// Entries the start-up appends to any log are read back by the log reader, and after every
// entry the log held when their time stamps are new to it.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "base/timestamp.h"
#include "fuzz_support.h"
#include "sessionlog/log_entries.h"
#include "sessionlog/session_log.h"
#include "support/log_fields.h"

namespace uptrail::fuzz {
namespace {

using testing::Fields;
using testing::FieldsOf;

// What identities look like ("1A2B3C4D//c:\windows"), with blanks and the odd byte.
constexpr std::string_view kSystemCharacters =
    "0123456789ABCDEFabcdef/\\:. _-()!#$%&'+,@^`{}|\x80\xe9\xff";

}  // namespace
}  // namespace uptrail::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace uptrail;
    using namespace uptrail::fuzz;
    FuzzedDataProvider input(data, size);

    // Sessions one after another from some day between 1990 and 2100, each start new.
    DateTime at =
        MakeDateTime(1990, 1, 1) +
        std::chrono::seconds{input.ConsumeIntegralInRange<std::int64_t>(0, 3'500'000'000)};
    std::vector<SessionEntry> added(input.ConsumeIntegralInRange<std::size_t>(1, 6));
    std::vector<Fields> expected;
    for (SessionEntry& entry : added) {
        at += std::chrono::seconds{input.ConsumeIntegralInRange<int>(1, 400'000)};
        const DateTime end =
            at + std::chrono::seconds{input.ConsumeIntegralInRange<int>(0, 400'000)};
        entry.start = FormatTimestamp(at);
        entry.end = FormatTimestamp(end);
        entry.cause = static_cast<SessionCause>(input.ConsumeIntegralInRange<int>(0, 2));
        entry.system = Restricted(input.ConsumeRandomLengthString(24), kSystemCharacters);
        expected.emplace_back(at, end, entry.cause, entry.system);
        at = end;
    }
    const bool fileThere = input.ConsumeBool();
    const std::string log = input.ConsumeRemainingBytesAsString();

    MemoryLog memory(fileThere ? &log : nullptr);
    auto& [logFile, files] = memory;
    const std::string original = fileThere ? log : std::string();
    for (const SessionEntry& entry : added)
        Require(AppendSessionEntry(files, logFile, entry) == kOk, "an append failed", log);
    Require(files.Exists(logFile), "the appends left no log file", log);
    Require(files.Attributes(logFile) == kLogFileAttributes, "the log is not protected", log);

    const std::string& written = files.Contents(logFile);
    const std::vector<Fields> read = FieldsOf(ReadLogEntries(written, kNow));
    for (const Fields& entry : expected)
        Require(std::find(read.begin(), read.end(), entry) != read.end(),
                "an appended entry is not read back", written);

    // An entry with a start the log already holds replaces that line; with none, every
    // entry there is read as before and the new ones follow, oldest first.
    const bool startsAreNew = std::none_of(added.begin(), added.end(), [&](const SessionEntry& e) {
        return original.find(e.start) != std::string::npos;
    });
    if (startsAreNew) {
        std::vector<Fields> before = FieldsOf(ReadLogEntries(original, kNow));
        before.insert(before.end(), expected.begin(), expected.end());
        Require(read == before, "the appends changed the entries there or their order", written);
    }
    return 0;
}
