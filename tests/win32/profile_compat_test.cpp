// Files on Windows: Win32FileSystem under the crash-safe replace, and the portable profile
// reader and writer held against kernel32's private-profile functions on real files.
#include <windows.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "base/text_encoding.h"
#include "storage/atomic_file.h"
#include "storage/profile_format.h"
#include "support/temp_folder_win.h"
#include "win32/platform/unique_handle.h"
#include "win32/platform/win32_file_system.h"

namespace uptrail {
namespace {

// The folder's name is not ASCII, so every path here also proves wide and ANSI paths work.
class FilesOnWindows : public ::testing::Test {
protected:
    testing::TempFolder folder;
    Win32FileSystem files;
    const std::filesystem::path log = folder.Path() / L"\u65e5\u672c.txt";
};

constexpr std::uint32_t kReadOnlySystem = file_attr::kReadOnly | file_attr::kSystem;

// What only the real file system can show: its errors, its attributes and a replace over a
// file that another program holds open; the steps of the replace are unit-tested.
TEST_F(FilesOnWindows, ReportsMissingAndLockedFilesAndReplacesAReadOnlySystemOne) {
    std::string contents;
    EXPECT_EQ(files.ReadWholeFile(log, contents), kErrorFileNotFound);
    EXPECT_TRUE(IsNotFound(files.ReadWholeFile(folder.Path() / L"no" / L"x.txt", contents)));
    EXPECT_TRUE(*files.GetAttributes(folder.Path()) & file_attr::kDirectory);

    ASSERT_EQ(ReplaceFileContents(files, log, "old"), kOk);
    UniqueFile locked(CreateFileW(log.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(locked);
    EXPECT_EQ(files.ReadWholeFile(log, contents), kErrorSharingViolation);
    EXPECT_NE(ReplaceFileContents(files, log, "new"), kOk);
    locked.reset();
    ASSERT_EQ(files.ReadWholeFile(log, contents), kOk);
    EXPECT_EQ(contents, "old");
    EXPECT_FALSE(files.GetAttributes(TemporaryPathFor(log))) << "temporary file left behind";

    ASSERT_EQ(files.SetAttributes(log, kReadOnlySystem), kOk);
    ASSERT_EQ(ReplaceFileContents(files, log, "new"), kOk);
    ASSERT_EQ(files.ReadWholeFile(log, contents), kOk);
    EXPECT_EQ(contents, "new");
    EXPECT_EQ(files.GetAttributes(log).value_or(0) & file_attr::kProtective, kReadOnlySystem);
}

// The profile corpus keeps to cases in which Wine's kernel32 behaves as Windows does; where
// the two differ, the unit tests pin the Windows behaviour instead. nullptr stands for NULL.
struct CompatCase {
    const char* behaviour;
    std::optional<std::string_view> file;  // nothing: there is no file
    const char* section;
    const char* key;    // a write with NULL deletes the section
    const char* value;  // a read's default; a write with NULL deletes the key
};

const std::string kFullValue(kProfileBufferSize - 1, 'x');
const std::string kFilledBuffer = "[s]\r\na=" + kFullValue + "\r\n";
const std::string kOverfilledBuffer = "[s]\r\na=" + kFullValue + "y\r\n";
constexpr std::string_view kSections = "[s1]\r\na=v1\r\nb=\"v2\"\r\nname3\r\nc=v3\r\n[s2]\r\n";
constexpr std::string_view kThreeApps = "[A1]\r\nk1=1\r\nk2=2\r\n[A2]\r\nk3=3\r\n[A3]\r\nk4=4\r\n";

const CompatCase kReads[] = {
    {"a missing section", kSections, "s9", "a", "dflt"},
    {"a missing key without a default", kSections, "s1", "z", nullptr},
    {"the default keeps inner blanks only", kSections, "s1", "z", "one two  "},
    {"names compare without case", kSections, "S1", "C", "dflt"},
    {"enclosing double quotes go", kSections, "s1", "b", "dflt"},
    {"enclosing single quotes go", "[s]\r\na='x'\r\n", "s", "a", "dflt"},
    {"quotes keep the blanks inside", "[s]\r\na = \" x \" \r\n", "s", "a", "dflt"},
    {"doubled quotes lose one pair", "[s]\r\na=\"\"x\"\"\r\n", "s", "a", "dflt"},
    {"blanks and tabs around key and value go", "[s]\r\n \ta  =\t hi  there \t\r\n", "s", "a", ""},
    {"a blank value", "[s]\r\na=     \r\n", "s", "a", "dflt"},
    {"a line without an equals sign is no key", kSections, "s1", "name3", "dflt"},
    {"the value runs from the first equals sign", "[s]\r\na=1=2\r\n", "s", "a", "dflt"},
    {"the first of two equal keys wins", "[s]\r\na=1\r\nA=2\r\n", "s", "a", "dflt"},
    {"the first of two equal sections wins", "[s]\r\na=1\r\n[t]\r\n[s]\r\na=2\r\n", "s", "a", ""},
    {"lines before the first header belong to none", "a=0\r\n[s]\r\nb=1\r\n", "s", "a", "dflt"},
    {"carriage returns alone end lines", "[s]\ra=1\rb=\"2\"\r[t]\r", "s", "b", "dflt"},
    {"line feeds alone end lines", "[s]\na=1\nb=2\n", "s", "b", "dflt"},
    {"a file without a final line break", "[s]\r\na=1", "s", "a", "dflt"},
    {"blanks inside the brackets go", "[ s ]\r\na=1\r\n", "s", "a", "dflt"},
    {"bytes of the upper half are kept", "[s]\r\na=\xe9t\xe9 \xe0 l'\xe2ge\r\n", "s", "a", ""},
    {"text after the closing bracket is ignored", "[s] old\r\na=1\r\n", "s", "a", "dflt"},
    {"a bracket without its closing one is no header", "[s]\r\n[t\r\na=1\r\n", "s", "a", ""},
    {"a lone quote stays", "[s]\r\na=\"\r\n", "s", "a", "dflt"},
    {"unlike quotes stay", "[s]\r\na=\"x'\r\n", "s", "a", "dflt"},
    {"an empty key finds a line that starts with =", "[s]\r\n=v\r\n", "s", "", "dflt"},
    {"a comment line does not end the section", "[s]\r\n;[t]\r\na=1\r\n", "s", "a", ""},
    {"a value that fills the buffer", kFilledBuffer, "s", "a", "dflt"},
    {"a value one character too long", kOverfilledBuffer, "s", "a", "dflt"},
};

const CompatCase kWrites[] = {
    {"a missing file is created", std::nullopt, "App", "key", "string"},
    {"a new key stays inside its section", "[s]\r\na=1\r\n[t]\r\nb=2\r\n", "s", "c", "3"},
    {"a new section goes at the end", kThreeApps, "A4", "k5", "5"},
    {"a last line without a break gets one before a new section", "Data", "s", "k", "v"},
    {"a last key line without a break gets one", "[s]\r\na=1", "s", "b", "2"},
    {"quotes are replaced with the value", "[s]\r\na=\"q\"\r\n", "s", "a", "x"},
    {"the existing spelling of section and key stays", "[App]\r\nKey=1\r\n", "APP", "KEY", "2"},
    {"the first of two equal keys is replaced", "[s]\r\na=1\r\na=2\r\n", "s", "a", "9"},
    {"the first of equal sections gets the key", "[s]\r\n[t]\r\n[s]\r\nb=2\r\n", "s", "b", "9"},
    {"a key is deleted", kThreeApps, "A1", "k2", nullptr},
    {"a missing key is deleted", "[A1]\r\nk1=1\r\n", "A1", "k2", nullptr},
    {"a middle section is deleted without a value", kThreeApps, "A2", nullptr, nullptr},
    {"a missing section is deleted", kThreeApps, "A9", nullptr, nullptr},
};

std::string PortableWrite(std::string_view file, const CompatCase& c) {
    if (!c.key) return DeleteProfileSection(file, c.section);
    if (!c.value) return DeleteProfileKey(file, c.section, c.key);
    return SetProfileValue(file, c.section, c.key, c.value);
}

TEST_F(FilesOnWindows, TheProfileFormatReadsAndEditsFilesAsKernel32Does) {
    int count = 0;
    // A new file for every case, so no cached copy of another can answer for it.
    const auto fileWith = [&](const std::optional<std::string_view>& bytes) {
        const auto path = folder.Path() / ("case" + std::to_string(count++) + ".ini");
        if (bytes) {
            EXPECT_EQ(files.WriteNewFile(path, *bytes), kOk);
        }
        return path;
    };
    for (const CompatCase& c : kReads) {
        std::string platform(kProfileBufferSize, ' ');
        platform.resize(GetPrivateProfileStringA(c.section, c.key, c.value, platform.data(),
                                                 kProfileBufferSize,
                                                 AnsiFromPath(fileWith(c.file)).c_str()));
        const auto value = FindProfileValue(c.file.value_or(""), c.section, c.key);
        EXPECT_EQ(value.value_or(ProfileDefaultValue(c.value ? c.value : "")), platform)
            << c.behaviour;
    }
    for (const CompatCase& c : kWrites) {
        const auto path = fileWith(c.file);
        WritePrivateProfileStringA(c.section, c.key, c.value, AnsiFromPath(path).c_str());
        std::string platform;
        EXPECT_EQ(files.ReadWholeFile(path, platform), kOk) << c.behaviour;
        EXPECT_EQ(PortableWrite(c.file.value_or(""), c), platform) << c.behaviour;
    }
}

}  // namespace
}  // namespace uptrail
