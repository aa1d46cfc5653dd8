// Holds the portable profile reader and writer against kernel32's private-profile functions
// on real files. The corpus keeps to cases in which Wine's kernel32 behaves as Windows does;
// where the two differ, the unit tests pin the Windows behaviour instead.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "storage/profile_file.h"
#include "storage/profile_format.h"
#include "win32/win32_file_system.h"

namespace uptrail {
namespace {

using namespace std::string_view_literals;

// A folder of its own under the temporary folder. Its path stays ASCII: the ANSI profile
// functions take it as it is.
class ScratchFolder {
public:
    ScratchFolder() {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        path_ = std::filesystem::path(base) /
                ("uptrail-profile-" + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(counter_++));
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(path_, ignored))
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::filesystem::remove_all(path_, ignored);
    }
    // A new file name on every call: no two calls share a file, so no cached copy of an
    // earlier file can answer for a later one.
    std::filesystem::path NewFile() { return path_ / ("case" + std::to_string(files_++) + ".ini"); }

private:
    static inline int counter_ = 0;
    std::filesystem::path path_;
    int files_ = 0;
};

void CreateWithBytes(const std::filesystem::path& path, std::string_view bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

std::optional<std::string> BytesOf(const std::filesystem::path& path) {
    std::string bytes;
    Win32FileSystem files;
    if (files.ReadWholeFile(path, bytes) != kOk) return std::nullopt;
    return bytes;
}

// nullptr stands for NULL, as the platform takes it.
struct ReadCall {
    const char* section;
    const char* key;
    const char* defaultValue;
};

struct WriteCall {
    const char* section;
    const char* key;    // NULL deletes the section
    const char* value;  // NULL deletes the key
};

struct CompatCase {
    const char* behaviour;
    std::optional<std::string_view> file;  // nothing: there is no file
    std::variant<ReadCall, WriteCall> call;
};

const std::string kFullValue(kProfileBufferSize - 1, 'x');
const std::string kFilledBuffer = "[s]\r\na=" + kFullValue + "\r\n";
const std::string kOverfilledBuffer = "[s]\r\na=" + kFullValue + "y\r\n";
const std::string kFarBeyondBuffer = "[s]\r\na=" + std::string(40000, 'z') + "\r\n";

constexpr std::string_view kSections =
    "[section1]\r\nname1=val1\r\nname2=\"val2\"\r\nname3\r\nname4=a\r\n[section2]\r\n";
constexpr std::string_view kThreeApps =
    "[App1]\r\nkey1=string1\r\nkey2=string2\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n"
    "[App3]\r\nkey5=string5\r\n";

const CompatCase kCases[] = {
    // Reading.
    {"a plain value", kSections, ReadCall{"section1", "name1", "default"}},
    {"no file", std::nullopt, ReadCall{"section1", "name1", "default"}},
    {"a missing section", kSections, ReadCall{"notasection", "name1", "default"}},
    {"a missing key", kSections, ReadCall{"section1", "notakey", "default"}},
    {"a missing key without a default", kSections, ReadCall{"section1", "notakey", nullptr}},
    {"an empty section and an empty default", kSections, ReadCall{"section2", "x", ""}},
    {"the default loses its trailing blanks", kSections, ReadCall{"s", "k", "default  "}},
    {"the default keeps its inner blanks", kSections, ReadCall{"s", "k", "one two  "}},
    {"key names compare without case", kSections, ReadCall{"section1", "NaMe1", "default"}},
    {"section names compare without case", kSections, ReadCall{"SECTION1", "name4", "default"}},
    {"enclosing double quotes go", kSections, ReadCall{"section1", "name2", "default"}},
    {"enclosing single quotes go", "[s]\r\na='x'\r\n", ReadCall{"s", "a", "default"}},
    {"quotes keep the blanks inside", "[s]\r\na = \" x \" \r\n", ReadCall{"s", "a", "default"}},
    {"doubled quotes lose one pair", "[s]\r\na=\"\"x\"\"\r\n", ReadCall{"s", "a", "default"}},
    {"blanks around key and value go", "[s]\r\n  a  =  hello  world  \r\n",
     ReadCall{"s", "a", "default"}},
    {"tabs around key and value go", "[s]\r\n\ta\t=\t1\t\r\n", ReadCall{"s", "a", "default"}},
    {"an empty value", "[s]\r\nname2=\r\n", ReadCall{"s", "name2", "default"}},
    {"a blank value", "[s]\r\na=     \r\n", ReadCall{"s", "a", "default"}},
    {"a line without an equals sign is no key", kSections,
     ReadCall{"section1", "name3", "default"}},
    {"the value runs from the first equals sign", "[s]\r\na=1=2\r\n",
     ReadCall{"s", "a", "default"}},
    {"the first of two equal keys wins", "[s]\r\na=1\r\nA=2\r\n", ReadCall{"s", "a", "default"}},
    {"the first of two equal sections wins", "[s]\r\na=1\r\n[t]\r\n[s]\r\na=2\r\n",
     ReadCall{"s", "a", "default"}},
    {"keys of a repeated section stay hidden", "[s]\r\na=1\r\n[s]\r\nb=2\r\n",
     ReadCall{"s", "b", "default"}},
    {"a section ends at the next header", "[s]\r\n[t]\r\na=1\r\n", ReadCall{"s", "a", "default"}},
    {"lines before the first header belong to no section", "a=0\r\n[s]\r\nb=1\r\n",
     ReadCall{"s", "a", "default"}},
    {"carriage returns alone end lines",
     "[section1]\rname1=val1\rname2=\"val2\"\rname3\rname4=a\r[section2]\r",
     ReadCall{"section1", "name2", "default"}},
    {"line feeds alone end lines", "[s]\na=1\nb=2\n", ReadCall{"s", "b", "default"}},
    {"a file without a final line break", "[s]\r\na=1", ReadCall{"s", "a", "default"}},
    {"blanks inside the brackets go", "[ section1 ]\r\nname1=val1\r\n",
     ReadCall{"section1", "name1", "default"}},
    {"bytes of the upper half are kept", "[s]\r\na=\xe9t\xe9 \xe0 l'\xe2ge\r\n",
     ReadCall{"s", "a", "default"}},
    {"a value that fills the buffer", kFilledBuffer, ReadCall{"s", "a", "default"}},
    {"a value one character too long", kOverfilledBuffer, ReadCall{"s", "a", "default"}},
    {"a value far beyond the buffer", kFarBeyondBuffer, ReadCall{"s", "a", "default"}},

    // Writing.
    {"a missing file is created", std::nullopt, WriteCall{"App", "key", "string"}},
    {"an empty value in a missing file", std::nullopt, WriteCall{"App", "key", ""}},
    {"an empty file gets the section", "", WriteCall{"App1", "key1", "string1"}},
    {"a new key follows the last key", "[App1]\r\nkey1=string1\r\n",
     WriteCall{"App1", "key2", "string2"}},
    {"a new key stays inside its section", "[s]\r\na=1\r\n[t]\r\nb=2\r\n",
     WriteCall{"s", "c", "3"}},
    {"a new section goes at the end", kThreeApps, WriteCall{"App4", "key6", "string6"}},
    {"a file without a final break gets one before a new section", "Data before first section",
     WriteCall{"section1", "key1", "string1"}},
    {"a last key line without a break gets one", "[s]\r\na=1", WriteCall{"s", "b", "2"}},
    {"a value is replaced", "[s]\r\na=1\r\nb=2\r\n", WriteCall{"s", "a", "10"}},
    {"a value is replaced by a shorter one", "[s]\r\na=1000\r\nb=2\r\n", WriteCall{"s", "b", "3"}},
    {"the stored value written again", "[s]\r\na=1\r\n", WriteCall{"s", "a", "1"}},
    {"quotes are replaced with the value", "[s]\r\na=\"q\"\r\n", WriteCall{"s", "a", "x"}},
    {"the existing spelling of section and key stays", "[App]\r\nKey=1\r\n",
     WriteCall{"APP", "KEY", "2"}},
    {"the first of two equal keys is replaced", "[s]\r\na=1\r\na=2\r\n", WriteCall{"s", "a", "9"}},
    {"the first of two equal sections gets the key", "[s]\r\na=1\r\n[t]\r\n[s]\r\nb=2\r\n",
     WriteCall{"s", "b", "9"}},
    {"lines before the first header stay", "x=0\r\n[s]\r\na=1\r\n", WriteCall{"s", "a", "2"}},
    {"a value with an equals sign", "[s]\r\n", WriteCall{"s", "b", "x=y"}},
    {"a value with bytes of the upper half", "[s]\r\n", WriteCall{"s", "d", "\xe9t\xe9"}},
    {"names with inner blanks", "[s]\r\na=1\r\n", WriteCall{"s t", "k k", "v v"}},
    {"a key is deleted", kThreeApps, WriteCall{"App1", "key2", nullptr}},
    {"a missing key is deleted", "[App1]\r\nkey1=string1\r\n", WriteCall{"App1", "key2", nullptr}},
    {"the last key leaves the bare header", "[App3]\r\nkey5=string5\r\n",
     WriteCall{"App3", "key5", nullptr}},
    {"a section is deleted", kThreeApps, WriteCall{"App1", nullptr, "string1"}},
    {"a middle section is deleted without a value", kThreeApps,
     WriteCall{"App2", nullptr, nullptr}},
    {"a missing section is deleted", kThreeApps, WriteCall{"App9", nullptr, nullptr}},
};

std::string PlatformRead(const std::filesystem::path& path, const ReadCall& call) {
    std::string buffer(kProfileBufferSize, ' ');
    const DWORD length =
        GetPrivateProfileStringA(call.section, call.key, call.defaultValue, buffer.data(),
                                 kProfileBufferSize, path.string().c_str());
    buffer.resize(length);
    return buffer;
}

std::string PortableRead(std::string_view file, const ReadCall& call) {
    const std::optional<std::string> value = FindProfileValue(file, call.section, call.key);
    return value ? *value : ProfileDefaultValue(call.defaultValue ? call.defaultValue : "");
}

std::string PortableWrite(std::string_view file, const WriteCall& call) {
    if (!call.key) return DeleteProfileSection(file, call.section);
    if (!call.value) return DeleteProfileKey(file, call.section, call.key);
    return SetProfileValue(file, call.section, call.key, call.value);
}

// ReadProfile and WriteProfile as they stand on the platform's own functions: a buffer of
// blanks trimmed after the call, and a write that skips equal values and stores an empty
// value as one blank.
std::string ReferenceReadProfile(const std::filesystem::path& path, const ReadCall& call) {
    std::string buffer(kProfileBufferSize, ' ');
    GetPrivateProfileStringA(call.section, call.key, call.defaultValue ? call.defaultValue : "",
                             buffer.data(), kProfileBufferSize, path.string().c_str());
    buffer.erase(0, buffer.find_first_not_of(' '));
    buffer.erase(buffer.find_last_not_of(' ') + 1);
    if (!buffer.empty()) buffer.pop_back();
    return buffer;
}

void ReferenceWriteProfile(const std::filesystem::path& path, const WriteCall& call) {
    const std::string_view value = call.value;
    if (!value.empty() &&
        ReferenceReadProfile(path, ReadCall{call.section, call.key, nullptr}) == value)
        return;
    WritePrivateProfileStringA(call.section, call.key, value.empty() ? " " : call.value,
                               path.string().c_str());
}

// Windows writes a value's leading blanks as given; Wine drops them, the single blank that
// stands for an empty value included. Such writes stay out of the whole-routine comparison.
bool IsPlainValueWrite(const WriteCall& call) {
    return call.key && call.value && call.value[0] != '\0' && call.value[0] != ' ';
}

class ProfileCompat : public ::testing::Test {
protected:
    std::filesystem::path FileWith(const std::optional<std::string_view>& bytes) {
        const std::filesystem::path path = folder.NewFile();
        if (bytes) CreateWithBytes(path, *bytes);
        return path;
    }

    void CompareRead(const CompatCase& c, const ReadCall& call) {
        const std::string file(c.file.value_or(""));
        EXPECT_EQ(PortableRead(file, call), PlatformRead(FileWith(c.file), call));
        EXPECT_EQ(ReadProfile(files, FileWith(c.file), call.section, call.key,
                              call.defaultValue ? call.defaultValue : ""),
                  ReferenceReadProfile(FileWith(c.file), call));
    }

    void CompareWrite(const CompatCase& c, const WriteCall& call) {
        const std::filesystem::path platformFile = FileWith(c.file);
        WritePrivateProfileStringA(call.section, call.key, call.value,
                                   platformFile.string().c_str());
        EXPECT_EQ(PortableWrite(c.file.value_or(""), call), BytesOf(platformFile));

        if (!IsPlainValueWrite(call)) return;
        const std::filesystem::path referenceFile = FileWith(c.file);
        const std::filesystem::path ourFile = FileWith(c.file);
        ReferenceWriteProfile(referenceFile, call);
        EXPECT_EQ(WriteProfile(files, ourFile, call.section, call.key, call.value), kOk);
        EXPECT_EQ(BytesOf(ourFile), BytesOf(referenceFile));
    }

    ScratchFolder folder;
    Win32FileSystem files;
};

TEST_F(ProfileCompat, ThePortableFormatAgreesWithKernel32) {
    for (const CompatCase& c : kCases) {
        SCOPED_TRACE(c.behaviour);
        if (const auto* read = std::get_if<ReadCall>(&c.call)) CompareRead(c, *read);
        if (const auto* write = std::get_if<WriteCall>(&c.call)) CompareWrite(c, *write);
    }
}

FILETIME LastWriteTime(const std::filesystem::path& path) {
    FILETIME written{};
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    GetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    return written;
}

TEST_F(ProfileCompat, WritingTheStoredValueLeavesTheFileTimeAlone) {
    const std::filesystem::path path = FileWith("[Log]\r\nLastStart=1\r\n"sv);
    // A time long past: any write would move it to now.
    const FILETIME longAgo{0x12345678, 0x01c00000};
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &longAgo));
    CloseHandle(file);

    EXPECT_EQ(WriteProfile(files, path, "Log", "LastStart", "1"), kOk);

    const FILETIME after = LastWriteTime(path);
    EXPECT_EQ(after.dwLowDateTime, longAgo.dwLowDateTime);
    EXPECT_EQ(after.dwHighDateTime, longAgo.dwHighDateTime);
}

TEST_F(ProfileCompat, AReadOnlySystemFileIsWrittenAndStaysReadOnlySystem) {
    const std::filesystem::path path = FileWith("[Log]\r\nLastStart=1\r\n"sv);
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM));

    EXPECT_EQ(WriteProfile(files, path, "Log", "LastStart", "2"), kOk);

    EXPECT_EQ(BytesOf(path), "[Log]\r\nLastStart=2\r\n");
    const DWORD attributes = GetFileAttributesW(path.c_str());
    EXPECT_EQ(
        attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
        static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(ReadProfile(files, path, "Log", "LastStart"), "2");
}

}  // namespace
}  // namespace uptrail
