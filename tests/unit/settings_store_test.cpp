#include "storage/settings_store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "storage/registry_store.h"
#include "support/memory_registry.h"

namespace uptrail {
namespace {

using namespace std::string_literals;
using testing::MemoryRegistry;

constexpr auto kMachine = RegistryRoot::kLocalMachine;
constexpr auto kUser = RegistryRoot::kCurrentUser;
const std::string kPath = "SOFTWARE\\Tamsk\\Uptrail";
const RegistryKey kMachineKey{kMachine, kPath, RegistryView::k64Bit};
const RegistryKey kUserKey{kUser, kPath, RegistryView::k64Bit};

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
