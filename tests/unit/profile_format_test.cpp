// The places where Wine's kernel32 differs from Windows (comments, "[]", zero bytes, blank
// lines, line breaks, spacing) or that the comparison with kernel32 cannot reach; these
// follow Windows. The rest is held against kernel32 itself (profile_compat_test).
#include "storage/profile_format.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "storage/profile_file.h"
#include "support/memory_file_system.h"

namespace uptrail {
namespace {

using namespace std::string_view_literals;

// Comments, "[]" and zero bytes, where Wine differs.
TEST(ProfileFormat, FindsTheValueThePlatformReturns) {
    EXPECT_EQ(FindProfileValue("[s]\r\n  ;a=1\r\n", "s", ";a"), std::nullopt);
    EXPECT_EQ(FindProfileValue("key=none\r\n[]\r\nkey=empty\r\n", "", "key"), "empty");
    EXPECT_EQ(FindProfileValue("Data \0 x\r\n[s]\r\na=1\r\n"sv, "s", "a"), "1");
    EXPECT_EQ(FindProfileValue("[s]\r\na=x\0y\r\n"sv, "s", "a"), "x\0y"sv);
    // Quotes go before the cut to the buffer.
    const std::string full(kProfileBufferSize - 1, 'x');
    EXPECT_EQ(FindProfileValue("[s]\r\na=\"" + full + "\"\r\n", "s", "a"), full);
}

// The platform edits the file in place, where Wine rewrites the whole file. Unlike the
// platform, a new value replaces the blanks around the old one, so no line grows.
TEST(ProfileFormat, EditsTheFileAsThePlatformDoes) {
    const struct {
        const char* behaviour;
        std::string_view file;
        const char* section;
        const char* key;    // nullptr deletes the section
        const char* value;  // nullptr deletes the key
        std::string_view expected;
    } cases[] = {
        {"a new key goes right after the last key line", "[s]\r\n;1\r\na=1\r\n;2\r\nx\r\n\r\n", "s",
         "c", "3", "[s]\r\n;1\r\na=1\r\nc=3\r\n;2\r\nx\r\n\r\n"},
        {"or right after the header", "[s]\r\n;1\r\n\r\n[t]\r\n", "s", "c", "3",
         "[s]\r\nc=3\r\n;1\r\n\r\n[t]\r\n"},
        {"zero bytes stay", "Data \0 x\0"sv, "s", "k", "v", "Data \0 x\0\r\n[s]\r\nk=v\r\n"sv},
        {"the key's spelling and what stands before the = stay; the value takes the rest",
         "[s]\r\n  A = 1 \r\n", "s", "a", "22", "[s]\r\n  A =22\r\n"},
        {"blanks after the = go with the old value", "[s]\r\na=   x\r\n", "s", "a", "y",
         "[s]\r\na=y\r\n"},
        {"new lines end with CR LF", "[s]\ra=1\r", "t", "b", "2", "[s]\ra=1\r[t]\r\nb=2\r\n"},
        {"the value is written as given", "[s]\r\n", "s", "b", "  x  ", "[s]\r\nb=  x  \r\n"},
        {"a key of a missing section", "[s]\r\na=1\r\n", "t", "a", nullptr, "[s]\r\na=1\r\n"},
        {"an indented key line goes whole", "[s]\n  a = 1\nb=2\n", "s", "A", nullptr, "[s]\nb=2\n"},
        {"a section goes up to the next header", ";0\r\n[s]\r\nk=1\r\n;1\r\nx\r\n\r\n[t]\r\n", "S",
         nullptr, nullptr, ";0\r\n[t]\r\n"},
        {"or to the end of the file", "[s]\r\n[t]\r\nb=2", "t", nullptr, nullptr, "[s]\r\n"},
    };
    for (const auto& c : cases) {
        const std::string result = !c.key     ? DeleteProfileSection(c.file, c.section)
                                   : !c.value ? DeleteProfileKey(c.file, c.section, c.key)
                                              : SetProfileValue(c.file, c.section, c.key, c.value);
        // That the heartbeat's rewrite in place gives the same bytes, the profile fuzz
        // target holds.
        EXPECT_EQ(result, c.expected) << c.behaviour;
    }
}

const std::filesystem::path kIni = "/data/Uptrail.txt";

// The platform reads into a buffer of blanks, trimmed afterwards; the zero that ends the
// value shields the blanks behind it. Wine's writer drops the blank that stands for an empty
// value.
TEST(ProfileFile, TrimsTheFrontOfAValueSkipsAnEqualOneAndLeavesALockedFileAlone) {
    testing::MemoryFileSystem files;
    files.AddFolder("/data");
    EXPECT_EQ(WriteProfile(files, "", "Log", "A", "1"), kOk) << "no file name";
    files.AddFile(kIni, "[Log]\r\nQ=\"  x  \"\r\nA=  \"same\"  \r\nC=\r\n");
    EXPECT_EQ(ReadProfile(files, kIni, "Log", "Q", "dflt"), "x  ");
    EXPECT_EQ(WriteProfile(files, kIni, "Log", "A", "same"), kOk);
    EXPECT_EQ(files.StepsTaken(), 0) << "the file was touched";
    EXPECT_EQ(WriteProfile(files, kIni, "Log", "A", "SAME"), kOk);
    // Even over an empty value: that write turns a missing key into an empty one.
    EXPECT_EQ(WriteProfile(files, kIni, "Log", "C", ""), kOk);
    EXPECT_EQ(files.Contents(kIni), "[Log]\r\nQ=\"  x  \"\r\nA=SAME\r\nC= \r\n");
    // The blank that stands for an empty value replaces the one before it, at every write.
    for (int write = 0; write < 3; ++write)
        EXPECT_EQ(WriteProfile(files, kIni, "Log", "C", ""), kOk);
    EXPECT_EQ(files.Contents(kIni), "[Log]\r\nQ=\"  x  \"\r\nA=SAME\r\nC= \r\n");

    files.LockFile(kIni, kErrorSharingViolation);
    const int steps = files.StepsTaken();
    EXPECT_EQ(ReadProfile(files, kIni, "Log", "Q", "dflt"), "dflt");
    EXPECT_EQ(WriteProfile(files, kIni, "Log", "Q", "2"), kErrorSharingViolation);
    EXPECT_EQ(files.StepsTaken(), steps) << "a file that cannot be read must not be rewritten";
}

}  // namespace
}  // namespace uptrail
