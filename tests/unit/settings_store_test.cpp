#include "storage/settings_store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "storage/profile_file.h"
#include "storage/registry_store.h"
#include "support/memory_file_system.h"
#include "support/memory_registry.h"

namespace uptrail {
namespace {

using namespace std::string_literals;
using testing::MemoryFileSystem;
using testing::MemoryRegistry;

constexpr auto kMachine = RegistryRoot::kLocalMachine;
constexpr auto kUser = RegistryRoot::kCurrentUser;
const std::string kPath = "SOFTWARE\\Tamsk\\Uptrail";
const RegistryKey kMachineKey{kMachine, kPath, RegistryView::k64Bit};
const RegistryKey kUserKey{kUser, kPath, RegistryView::k64Bit};

// Each name says where its value lives; reads go straight to the files and the registry,
// so a setting stored in the wrong place cannot read back as right.
TEST(Settings, EachIsKeptWhereItsNameSaysAndAnotherInstallationsIsReadFromItsSection) {
    MemoryFileSystem files;
    files.AddFolder("logs");
    MemoryRegistry registry;
    const SettingsStore own{files, registry, "logs/Uptrail.txt", "1A2B3C4D//c:\\windows", kPath};

    Put(own, setting::kKeyHeartbeat, "2026:12:04:08:03:37");
    Put(own, setting::kCommonHeartbeat, "2026:12:04:08:03:30");
    Put(own, setting::kLastStart, "2026:12:04:08:03:07");
    EXPECT_EQ(RegRead(registry, kMachine, kPath, "CurStroke"), "2026:12:04:08:03:37");
    EXPECT_EQ(ReadProfile(files, own.logFile, "Common", "CurStroke"), "2026:12:04:08:03:30");
    EXPECT_EQ(ReadProfile(files, own.logFile, own.systemId, "LastStart"), "2026:12:04:08:03:07");
    EXPECT_EQ(Get(own, setting::kCommonHeartbeat), "2026:12:04:08:03:30");

    const SettingsStore other{files, registry, own.logFile, "5E6F7A8B//d:\\windows", kPath};
    EXPECT_EQ(Get(other, setting::kLastStart), "");
    EXPECT_EQ(GetOf(other, setting::kLastStart, own.systemId), "2026:12:04:08:03:07");
    // The program key is the machine's, whichever installation asks.
    EXPECT_EQ(Get(other, setting::kKeyHeartbeat), "2026:12:04:08:03:37");
}

std::string ReadBack(std::uint32_t type, std::string data) {
    MemoryRegistry registry;
    registry.Seed(kUserKey, "Value", {type, std::move(data)});
    return RegRead(registry, kUser, kPath, "Value");
}

TEST(RegRead, ConvertsEachValueTypeToText) {
    EXPECT_EQ(ReadBack(reg_type::kSz, "hello \0"s), "hello ");
    EXPECT_EQ(ReadBack(reg_type::kExpandSz, "%TEMP%\\x\0"s), "%TEMP%\\x") << "not expanded";
    EXPECT_EQ(ReadBack(reg_type::kMultiSz, "first\0second\0\0"s), "first");
    EXPECT_EQ(ReadBack(reg_type::kDword, "\xff\xff\xff\xff"s), "4294967295");
    EXPECT_EQ(ReadBack(reg_type::kDword, "\x34\x12"s), "4660") << "a short DWORD";
    EXPECT_EQ(ReadBack(reg_type::kDwordBigEndian, "\x01\x02\x03\x04"s), "16909060");
    // A run of bytes is taken as chosen, never past the end.
    EXPECT_EQ(BytesToText("abc\0def"s, {.start = 2, .count = 3}), "c\0d"s);
    EXPECT_EQ(BytesToText("abc", {.start = 1000, .count = 5}), "");
}

// The 64-bit view whenever Windows is 64-bit, even for a process under WOW64.
TEST(RegistryView, IsThe64BitViewWheneverWindowsIs64Bit) {
    MemoryRegistry wow64({.windows64Bit = true, .wow64 = true});
    EXPECT_TRUE(IsWow64(wow64));
    EXPECT_EQ(ProgramRegistryView(wow64), RegistryView::k64Bit);
    MemoryRegistry windows32({.windows64Bit = false, .wow64 = false});
    EXPECT_FALSE(IsWow64(windows32));
    EXPECT_EQ(ProgramRegistryView(windows32), RegistryView::k32Bit);
}

// The bytes RegWrite stores over a text that differs only in case, which is still a change.
std::string Written(std::string_view text, std::uint32_t type = reg_type::kSz) {
    MemoryRegistry registry;
    registry.Seed(kUserKey, "Value", {reg_type::kSz, "c:\\program files\0"s});
    EXPECT_EQ(RegWrite(registry, kUser, kPath, "Value", text, type), kOk) << text;
    const auto stored = registry.Stored(kUserKey, "Value");
    EXPECT_EQ(stored->type, type) << text;
    return stored->data;
}

TEST(RegWrite, StoresATextAsItsBytesADwordAsItsNumberAndAnEmptyTextAsOneZeroByte) {
    EXPECT_EQ(Written("C:\\Program Files"), "C:\\Program Files");
    EXPECT_EQ(Written(""), "\0"s);
    // The leading number, rounded half to even, as its 32-bit pattern.
    EXPECT_EQ(Written(" \t17 apples", reg_type::kDword), "\x11\0\0\0"s);
    EXPECT_EQ(Written("-2.5", reg_type::kDword), "\xfe\xff\xff\xff"s);
    EXPECT_EQ(Written("2.51", reg_type::kDword), "\x03\0\0\0"s) << "past the half";
}

// A folder the ANSI code page cannot spell goes in through the wide-character calls, so
// the next start finds the same folder.
TEST(RegWritePath, StoresThePathAsUtf8ForTheWideCalls) {
    MemoryRegistry registry;
    ASSERT_EQ(registry.CreateKey(kUserKey), kOk);
    const std::filesystem::path folder(u8"D:\\\u03a7\u03c1\u03cc\u03bd\u03bf\u03c2");
    ASSERT_EQ(RegWritePath(registry, kUser, kPath, "LogFolder", folder), kOk);
    const auto stored = registry.Stored(kUserKey, "LogFolder");
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->utf8);
    EXPECT_EQ(stored->data, "D:\\\xCE\xA7\xCF\x81\xCF\x8C\xCE\xBD\xCE\xBF\xCF\x82");
}

TEST(RegWrite, WritesNothingForAValueThatAlreadyReadsTheSame) {
    MemoryRegistry registry;
    registry.Seed(kMachineKey, "LogFolder", {reg_type::kSz, "D:\\Logs\0"s});
    EXPECT_EQ(RegWrite(registry, kMachine, kPath, "LogFolder", "D:\\Logs"), kOk);
    // A missing value reads as an empty text, so storing one there changes nothing.
    EXPECT_EQ(RegWrite(registry, kMachine, "SOFTWARE\\Tamsk\\Other", "Name", ""), kOk);

    EXPECT_EQ(registry.SetValueCalls(), 0);
    EXPECT_EQ(registry.CreateKeyCalls(), 0);
}

// Without administrator rights a machine value is kept under the same path for the user,
// read from there first and removed from there too; a machine write or removal with the
// rights also removes the user's older copy.
TEST(RegWrite, ARefusedMachineValueIsKeptForTheUserUntilTheMachinesIsWritten) {
    MemoryRegistry registry;
    registry.DenyLocalMachineChanges();
    registry.Seed(kMachineKey, "", {reg_type::kSz, "C:\\Old\0"s});
    EXPECT_EQ(RegWrite(registry, kMachine, kPath, "", "C:\\New"), kOk);
    EXPECT_EQ(RegRead(registry, kMachine, kPath, ""), "C:\\New");
    EXPECT_EQ(RegRemoveValue(registry, kMachine, kPath, ""), kErrorAccessDenied);
    EXPECT_EQ(RegRead(registry, kMachine, kPath, ""), "C:\\Old");

    registry.DenyLocalMachineChanges(false);
    EXPECT_EQ(RegRemoveValue(registry, kMachine, kPath + "\\None", "LogFolder"), kOk) << "no key";
    registry.Seed(kUserKey, "LogFolder", {reg_type::kSz, "D:\\Old"});
    ASSERT_EQ(RegWrite(registry, kMachine, kPath, "LogFolder", "E:\\New"), kOk);
    EXPECT_EQ(RegRead(registry, kMachine, kPath, "LogFolder"), "E:\\New");

    registry.Seed(kUserKey, "LogFolder", {reg_type::kSz, "D:\\Old"});
    EXPECT_EQ(RegRemoveValue(registry, kMachine, kPath, "LogFolder"), kOk);
    EXPECT_EQ(RegRead(registry, kMachine, kPath, "LogFolder"), "");
}

}  // namespace
}  // namespace uptrail
