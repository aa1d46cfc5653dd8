#include "storage/profile_format.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

namespace uptrail {
namespace {

using namespace std::string_view_literals;

struct ReadCase {
    const char* behaviour;
    std::string_view file;
    std::string_view section;
    std::string_view key;
    std::optional<std::string_view> expected;  // nothing: the platform falls back to the default
};

// Where these differ from Wine (comments, "[]", zero bytes), they follow Windows.
const ReadCase kReadCases[] = {
    {"names compare without case", "[Sec]\r\nKey=v\r\n", "sEC", "kEY", "v"},
    {"blanks around key and value go", "[s]\r\n  a \t= \t hello  world \t\r\n", "s", "a",
     "hello  world"},
    {"blanks inside the brackets go", "[ s ]\r\na=1\r\n", "s", "a", "1"},
    {"text after the closing bracket is ignored", "[s] old\r\na=1\r\n", "s", "a", "1"},
    {"a bracket without its closing one is no header", "[s]\r\n[t\r\na=1\r\n", "s", "a", "1"},
    {"single quotes are stripped", "[s]\r\na='x'\r\n", "s", "a", "x"},
    {"quotes keep the blanks inside", "[s]\r\na = \" x \" \r\n", "s", "a", " x "},
    {"doubled quotes lose one pair", "[s]\r\na=\"\"x\"\"\r\n", "s", "a", "\"x\""},
    {"empty quotes give an empty value", "[s]\r\na=\"\"\r\n", "s", "a", ""},
    {"a lone quote stays", "[s]\r\na=\"\r\n", "s", "a", "\""},
    {"unlike quotes stay", "[s]\r\na=\"x'\r\n", "s", "a", "\"x'"},
    {"a blank value", "[s]\r\na=    \r\n", "s", "a", ""},
    {"the value runs from the first equals sign", "[s]\r\na=1=2\r\n", "s", "a", "1=2"},
    {"a line without an equals sign is no key", "[s]\r\nname3\r\n", "s", "name3", std::nullopt},
    {"an indented comment line is no key", "[s]\r\n  ;a=1\r\n", "s", ";a", std::nullopt},
    {"a comment line does not end the section", "[s]\r\n;[t]\r\na=1\r\n", "s", "a", "1"},
    {"a number sign starts no comment", "[s]\r\n#a=1\r\n", "s", "#a", "1"},
    {"the first of two equal keys wins", "[s]\r\na=1\r\nA=2\r\n", "s", "a", "1"},
    {"the first of two equal sections wins", "[s]\r\na=1\r\n[t]\r\n[S]\r\na=2\r\n", "s", "a", "1"},
    {"keys of a repeated section stay hidden", "[s]\r\na=1\r\n[t]\r\n[s]\r\nb=2\r\n", "s", "b",
     std::nullopt},
    {"a section ends at the next header", "[s]\r\n[t]\r\na=1\r\n", "s", "a", std::nullopt},
    {"lines before the first header belong to no section", "a=0\r\n[s]\r\nb=1\r\n", "s", "a",
     std::nullopt},
    {"an empty section name finds the header []", "key=none\r\n[]\r\nkey=empty\r\n[s]\r\n", "",
     "key", "empty"},
    {"an empty key finds a line that starts with =", "[s]\r\n=v\r\n", "s", "", "v"},
    {"line feeds alone end lines", "[s]\na=1\nb=2\n", "s", "b", "2"},
    {"carriage returns alone end lines", "[s]\ra=1\rb=2\r", "s", "b", "2"},
    {"a file without a final line break", "[s]\r\na=1", "s", "a", "1"},
    {"zero bytes before the first section are no obstacle", "Data \0 x\r\n[s]\r\na=1\r\n"sv, "s",
     "a", "1"},
    {"a zero byte inside a value is kept", "[s]\r\na=x\0y\r\n"sv, "s", "a", "x\0y"sv},
    {"a missing section", "[s]\r\na=1\r\n", "t", "a", std::nullopt},
};

TEST(ProfileFormat, FindsTheValueThePlatformReturns) {
    for (const ReadCase& c : kReadCases) {
        SCOPED_TRACE(c.behaviour);
        const std::optional<std::string> expected =
            c.expected ? std::optional<std::string>(*c.expected) : std::nullopt;
        EXPECT_EQ(FindProfileValue(c.file, c.section, c.key), expected);
    }
}

TEST(ProfileFormat, CutsValuesToTheBufferLeavingRoomForTheTerminatingZero) {
    const std::string full(kProfileBufferSize - 1, 'x');
    const struct {
        const char* behaviour;
        std::string value;
        std::size_t bufferSize;
        std::string expected;
    } cases[] = {
        {"a value that fills the buffer", full, kProfileBufferSize, full},
        {"one character more", full + "y", kProfileBufferSize, full},
        {"quotes go before the cut", "\"" + full + "\"", kProfileBufferSize, full},
        {"a buffer for the zero alone", "12345", 1, ""},
        {"no buffer at all", "12345", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.behaviour);
        const std::string file = "[s]\r\na=" + c.value + "\r\n";
        EXPECT_EQ(FindProfileValue(file, "s", "a", c.bufferSize), c.expected);
    }
}

TEST(ProfileFormat, HandsBackTheDefaultWithoutTrailingBlanksAndCutToTheBuffer) {
    EXPECT_EQ(ProfileDefaultValue("  one two \t "), "  one two");
    // The platform strips the blanks from what fits in the buffer.
    EXPECT_EQ(ProfileDefaultValue("abc   x", 5), "abc");
}

struct WriteCase {
    const char* behaviour;
    std::string_view file;
    std::string_view section;
    std::string_view key;
    std::string_view value;
    std::string_view expected;
};

// The platform edits the file in place; where Wine rewrites the whole file instead (blank
// lines, line breaks, spacing, zero bytes), these follow Windows.
const WriteCase kSetCases[] = {
    {"a missing file gets the section and the key", "", "s", "k", "v", "[s]\r\nk=v\r\n"},
    {"a new key stays in its section, right after the last key line, before comments",
     "[s]\r\n; first\r\na=1\r\n; last\r\nstray\r\n\r\n[t]\r\n", "s", "c", "3",
     "[s]\r\n; first\r\na=1\r\nc=3\r\n; last\r\nstray\r\n\r\n[t]\r\n"},
    {"a section without keys gets the key right after its header", "[s]\r\n; note\r\n\r\n[t]\r\n",
     "s", "c", "3", "[s]\r\nc=3\r\n; note\r\n\r\n[t]\r\n"},
    {"a header on the last line without a break gets one", "[s]", "s", "c", "3", "[s]\r\nc=3\r\n"},
    {"zero bytes before the first section survive", "Data \0 before \0 first \0 section"sv,
     "section1", "key1", "string1",
     "Data \0 before \0 first \0 section\r\n[section1]\r\nkey1=string1\r\n"sv},
    {"the key's spelling and the blanks around the value stay", "[s]\r\n  A = 1  \r\n", "s", "a",
     "22", "[s]\r\n  A = 22  \r\n"},
    {"enclosing quotes are replaced with the value", "[s]\r\na=\"q\"\r\n", "s", "a", "x",
     "[s]\r\na=x\r\n"},
    {"a blank value is filled in after the blanks", "[s]\r\na =  \r\n", "s", "a", "x",
     "[s]\r\na =  x\r\n"},
    {"a new line in a file of line feeds ends with CR LF", "[s]\na=1\n[t]\n", "s", "b", "2",
     "[s]\na=1\nb=2\r\n[t]\n"},
    {"a new line in a file of carriage returns ends with CR LF", "[s]\ra=1\r[t]\r", "s", "b", "2",
     "[s]\ra=1\rb=2\r\n[t]\r"},
    {"a new section after carriage returns alone", "[s]\ra=1\r", "t", "b", "2",
     "[s]\ra=1\r[t]\r\nb=2\r\n"},
    {"the first of two equal sections gets the key", "[s]\r\na=1\r\n[t]\r\n[s]\r\nb=2\r\n", "S",
     "b", "9", "[s]\r\na=1\r\nb=9\r\n[t]\r\n[s]\r\nb=2\r\n"},
    {"the first of two equal keys is replaced", "[s]\r\na=1\r\na=2\r\n", "s", "A", "9",
     "[s]\r\na=9\r\na=2\r\n"},
    {"new lines use the caller's spelling", "[App]\r\n", "APP", "Key", "v", "[App]\r\nKey=v\r\n"},
    {"the value is written as given, blanks included", "[s]\r\n", "s", "b", "  padded  ",
     "[s]\r\nb=  padded  \r\n"},
    {"an empty value leaves the key", "[s]\r\na=1\r\n", "s", "a", "", "[s]\r\na=\r\n"},
    {"a comment that looks like the key is left alone", "[s]\r\n;a=1\r\n", "s", ";a", "2",
     "[s]\r\n;a=2\r\n;a=1\r\n"},
    {"a key in front of the first header is left alone", "a=0\r\n[s]\r\n", "s", "a", "1",
     "a=0\r\n[s]\r\na=1\r\n"},
    {"the empty section name writes into []", "[]\r\nk=1\r\n", "", "k", "2", "[]\r\nk=2\r\n"},
};

TEST(ProfileFormat, SetsAValueAsThePlatformEditsTheFile) {
    for (const WriteCase& c : kSetCases) {
        SCOPED_TRACE(c.behaviour);
        EXPECT_EQ(SetProfileValue(c.file, c.section, c.key, c.value), c.expected);
    }
}

struct DeleteCase {
    const char* behaviour;
    std::string_view file;
    std::string_view section;
    std::optional<std::string_view> key;  // nothing: the whole section goes
    std::string_view expected;
};

const DeleteCase kDeleteCases[] = {
    {"a missing key changes nothing", "[s]\r\na=1\r\n", "s", "b", "[s]\r\na=1\r\n"},
    {"a key of a missing section changes nothing", "[s]\r\na=1\r\n", "t", "a", "[s]\r\na=1\r\n"},
    {"an indented key line goes whole", "[s]\r\n  a = 1\r\nb=2\r\n", "s", "A", "[s]\r\nb=2\r\n"},
    {"a last line without a break", "[s]\r\na=1\r\nb=2", "s", "b", "[s]\r\na=1\r\n"},
    {"a line feed goes with its line", "[s]\na=1\nb=2\n", "s", "a", "[s]\nb=2\n"},
    {"only the first of two equal keys goes", "[s]\r\na=1\r\na=2\r\n", "s", "a", "[s]\r\na=2\r\n"},
    {"a section goes with everything up to the next header",
     "[a]\r\nx=1\r\n[s]\r\nk=1\r\n; note\r\nstray\r\n\r\n[t]\r\ny=2\r\n", "S", std::nullopt,
     "[a]\r\nx=1\r\n[t]\r\ny=2\r\n"},
    {"the last section goes to the end of the file", "[s]\r\na=1\r\n[t]\r\nb=2", "t", std::nullopt,
     "[s]\r\na=1\r\n"},
    {"lines in front of the first header stay", ";head\r\n[s]\r\na=1\r\n", "s", std::nullopt,
     ";head\r\n"},
    {"only the first of two equal sections goes", "[s]\r\na=1\r\n[t]\r\n[s]\r\nb=2\r\n", "s",
     std::nullopt, "[t]\r\n[s]\r\nb=2\r\n"},
    {"a missing section changes nothing", "[s]\r\na=1\r\n", "t", std::nullopt, "[s]\r\na=1\r\n"},
};

TEST(ProfileFormat, DeletesKeysAndSectionsAsThePlatformDoes) {
    for (const DeleteCase& c : kDeleteCases) {
        SCOPED_TRACE(c.behaviour);
        const std::string result = c.key ? DeleteProfileKey(c.file, c.section, *c.key)
                                         : DeleteProfileSection(c.file, c.section);
        EXPECT_EQ(result, c.expected);
    }
}

}  // namespace
}  // namespace uptrail
