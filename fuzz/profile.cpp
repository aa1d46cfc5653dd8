// The profile reader and writer: a value written reads back, the in-place rewrite gives the
// bytes of the full one, and a write changes no other key's value.
#include <fuzzer/FuzzedDataProvider.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "storage/profile_format.h"
#include "storage/text_lines.h"

namespace uptrail::fuzz {
namespace {

// Names a program would use, blanks inside included; never "[", "]", ";" or "=", which
// would make a header, a comment or another key of the line.
constexpr std::string_view kNameCharacters =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 _.-";

std::string Name(FuzzedDataProvider& input) {
    std::string name(TrimBlanks(Restricted(input.ConsumeRandomLengthString(12), kNameCharacters)));
    return name.empty() ? "Common" : name;
}

// A value as it reads back: one line, without blanks around it or quotes around it.
std::string Value(FuzzedDataProvider& input) {
    std::string value = input.ConsumeRandomLengthString(40);
    for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; };
    while (!value.empty() && blank(value.front())) value.erase(value.begin());
    while (!value.empty() && blank(value.back())) value.pop_back();
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value.back() = 'x';
    return value;
}

// The (section, key) pairs the text seems to hold, found roughly: only a choice of what to
// probe, which the profile reader itself then reads before and after the write.
std::vector<std::pair<std::string, std::string>> Probes(std::string_view text) {
    std::vector<std::pair<std::string, std::string>> probes;
    std::string section;
    for (const std::string_view line : SplitLines(text)) {
        const std::string_view trimmed = TrimBlanks(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            section = std::string(TrimBlanks(trimmed.substr(1, trimmed.find(']') - 1)));
        } else if (const auto equals = line.find('='); equals != std::string_view::npos) {
            probes.emplace_back(section, std::string(TrimBlanks(line.substr(0, equals))));
        }
        if (probes.size() == 64) break;
    }
    return probes;
}

}  // namespace
}  // namespace uptrail::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace uptrail;
    using namespace uptrail::fuzz;
    FuzzedDataProvider input(data, size);
    const std::string section = Name(input);
    const std::string key = Name(input);
    const std::string value = Value(input);
    const std::string other = Name(input);
    const std::string text = input.ConsumeRemainingBytesAsString();
    const std::string context = "[" + section + "] " + key + "=" + value + " in:\n" + text;

    const std::string written = SetProfileValue(text, section, key, value);
    const std::optional<std::string> readBack = FindProfileValue(written, section, key);
    Require(readBack == value, "a value written does not read back", context);

    std::string inPlace = text;
    const bool replaced = ReplaceProfileValueInPlace(inPlace, section, key, value);
    Require(replaced == FindProfileValue(text, section, key).has_value(),
            "the in-place rewrite misses a key that is there, or finds one that is not", context);
    Require(inPlace == (replaced ? written : text),
            "the in-place rewrite differs from the full rewrite", context);

    auto probes = Probes(text);
    probes.emplace_back(section, other);
    probes.emplace_back(other, key);
    for (const auto& [probeSection, probeKey] : probes) {
        if (SameNameIgnoringCase(probeSection, section) && SameNameIgnoringCase(probeKey, key))
            continue;
        Require(FindProfileValue(written, probeSection, probeKey) ==
                    FindProfileValue(text, probeSection, probeKey),
                "a write changed another key's value",
                context + "\nprobe [" + probeSection + "] " + probeKey);
    }
    return 0;
}
