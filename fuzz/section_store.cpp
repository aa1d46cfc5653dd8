// The section store: lines saved into any file text load back as they were saved, and
// saving the same lines again changes no byte, in memory and through the file system.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "fuzz_support.h"
#include "storage/section_file.h"
#include "storage/section_text.h"
#include "storage/text_lines.h"

namespace uptrail::fuzz {
namespace {

constexpr std::string_view kNameCharacters =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 _.-";

// A line the section keeps as it is: not blank, no comment, no header, no line break and
// no delimiter. Anything else in it, tabs and bytes of any value, stays.
std::string KeptLine(FuzzedDataProvider& input) {
    std::string line = input.ConsumeRandomLengthString(60);
    for (char& c : line)
        if (c == '\r' || c == '\n' || c == '~') c = '\t';
    if (TrimBlanks(line).empty() || line.front() == ';' || IsSectionHeader(line))
        line.insert(0, "x");
    return line;
}

std::string Joined(const std::vector<std::string>& lines, std::string_view separator) {
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty()) text += separator;
        text += line;
    }
    return text;
}

}  // namespace
}  // namespace uptrail::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace uptrail;
    using namespace uptrail::fuzz;
    FuzzedDataProvider input(data, size);
    std::string section(
        TrimBlanks(Restricted(input.ConsumeRandomLengthString(10), kNameCharacters)));
    if (section.empty()) section = "Log";
    std::vector<std::string> lines(input.ConsumeIntegralInRange<std::size_t>(0, 8));
    for (std::string& line : lines) line = KeptLine(input);
    // The data as the start-up's trim saves it (CR LF) or as a caller with "~" does.
    const bool tildes = input.ConsumeBool();
    const std::string saved = Joined(lines, tildes ? "~" : "\r\n");
    const std::string text = input.ConsumeRemainingBytesAsString();
    if (HoldsSectionTwice(text, section)) return 0;
    const std::string expected = Joined(lines, "\r\n");
    const std::string context = "[" + section + "] " + saved + " into:\n" + text;

    const std::string once = SaveSectionText(text, section, saved);
    Require(LoadSectionText(once, section) == expected, "the lines saved do not load back",
            context);
    // A save rewrites the rest of a file that holds the section already (CR LF line ends,
    // runs of blank lines folded), but only appends to one that does not; and a save of no
    // lines leaves a bare header, which the next save turns into a blank line. So the
    // second save may change a file the first one gave the section, or one the first
    // emptied; from then on the same save changes nothing.
    const std::string twice = SaveSectionText(once, section, saved);
    const std::string thrice = SaveSectionText(twice, section, saved);
    const std::string changes = context + "\nbecame:\n" + once + "\nthen:\n" + twice;
    Require(thrice == twice, "saving the same lines again and again keeps changing the file",
            changes + "\nthen:\n" + thrice);
    if (HoldsSection(text, section) && !lines.empty())
        Require(twice == once, "saving the same lines again changed the file", changes);

    MemoryLog memory(&text, file_attr::kReadOnly | file_attr::kSystem);
    auto& [file, files] = memory;
    Require(SaveSection(files, file, section, saved) == kOk, "a save to the file failed", context);
    const std::string stored = files.Contents(file);
    Require(stored == once, "the file holds other bytes than the text saved", context);
    Require(LoadSection(files, file, section).text == expected,
            "the lines saved to the file do not load back", context);
    Require(SaveSection(files, file, section, saved) == kOk, "a second save failed", context);
    Require(files.Contents(file) == twice, "a second save wrote other bytes than the text saved",
            context);
    Require(files.Attributes(file) == (file_attr::kReadOnly | file_attr::kSystem),
            "a save lost the file's attributes", context);
    return 0;
}
