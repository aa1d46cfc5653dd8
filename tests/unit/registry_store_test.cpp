#include "storage/registry_store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/memory_registry.h"

namespace uptrail {
namespace {

using namespace std::string_literals;
using testing::MemoryRegistry;

constexpr auto kMachine = RegistryRoot::kLocalMachine;
constexpr auto kUser = RegistryRoot::kCurrentUser;
const std::string kPath = "SOFTWARE\\Tamsk\\Uptrail";

RegistryKey Key64(RegistryRoot root, std::string path = kPath) {
    return {root, std::move(path), RegistryView::k64Bit};
}

std::string Dword(std::uint32_t number) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((number >> (8 * i)) & 0xFF);
    return bytes;
}

TEST(BytesToText, TakesTheChosenRunOfBytesAndNeverReadsPastTheEnd) {
    const std::string bytes = "abc\0def"s;
    const struct {
        BytesToTextOptions options;
        std::string expected;
    } cases[] = {
        {{}, bytes},  // zeros included
        {{.stopAtZero = true}, "abc"},
        {{.start = 1, .count = 2}, "bc"},
        {{.start = 4, .count = 2, .stopAtZero = true}, "de"},  // the stop counts from the start
        {{.start = 3, .count = 100}, "\0def"s},
        {{.start = 1000, .count = 5}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BytesToText(bytes, c.options), c.expected) << c.options.start;
}

TEST(RegRead, ConvertsEachValueTypeToText) {
    const struct {
        const char* name;
        std::uint32_t storedType;
        std::string storedData;
        std::optional<std::uint32_t> readAs;
        std::string expected;
    } cases[] = {
        {"terminated string", reg_type::kSz, "hello \0"s, {}, "hello "},
        {"string without a terminator", reg_type::kSz, "hello", {}, "hello"},
        {"expandable string is not expanded", reg_type::kExpandSz, "%TEMP%\\x\0"s, {},
         "%TEMP%\\x"},
        {"multi-string gives its first string", reg_type::kMultiSz, "first\0second\0\0"s, {},
         "first"},
        {"DWORD with all bits set", reg_type::kDword, Dword(0xFFFFFFFF), {}, "4294967295"},
        {"short DWORD counts the bytes it has", reg_type::kDword, "\x34\x12"s, {}, "4660"},
        {"long DWORD takes its first four bytes", reg_type::kDword, Dword(7) + "\x01\x02"s,
         {}, "7"},
        {"big-endian DWORD", reg_type::kDwordBigEndian, "\x01\x02\x03\x04"s, {}, "16909060"},
        {"other types end at the first zero", reg_type::kBinary, "ab\0cd"s, {}, "ab"},
        {"string read as DWORD", reg_type::kSz, "AB", reg_type::kDword, "16961"},
    };
    for (const auto& c : cases) {
        MemoryRegistry registry;
        registry.Seed(Key64(kUser), "Value", {c.storedType, c.storedData});
        EXPECT_EQ(RegRead(registry, kUser, kPath, "Value", {.valueType = c.readAs}), c.expected)
            << c.name;
    }
}

TEST(RegRead, GivesTheDefaultForAMissingKeyOrValueAndHandsOverTheStoredBytesUnconverted) {
    MemoryRegistry registry;
    EXPECT_EQ(RegRead(registry, kUser, kPath, "Value", {.defaultValue = "C:\\Program"}),
              "C:\\Program");
    registry.Seed(Key64(kUser), "List", {reg_type::kMultiSz, "a\0b\0\0"s});
    std::string raw = "untouched";
    EXPECT_EQ(RegRead(registry, kUser, kPath, "Value", {.defaultValue = "d", .rawBytes = &raw}),
              "d");
    EXPECT_EQ(raw, "untouched");
    EXPECT_EQ(RegRead(registry, kUser, kPath, "List", {.rawBytes = &raw}), "a");
    EXPECT_EQ(raw, "a\0b\0\0"s);
}

TEST(RegistryView, IsThe64BitViewWheneverWindowsIs64Bit) {
    const struct {
        MemoryRegistry::Bitness bitness;
        RegistryView expectedView;
    } cases[] = {
        {{.windows64Bit = true, .wow64 = false}, RegistryView::k64Bit},
        {{.windows64Bit = true, .wow64 = true}, RegistryView::k64Bit},
        {{.windows64Bit = false, .wow64 = false}, RegistryView::k32Bit},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "64-bit Windows " << c.bitness.windows64Bit
                                          << ", WOW64 " << c.bitness.wow64);
        MemoryRegistry registry(c.bitness);
        EXPECT_EQ(ProgramRegistryView(registry), c.expectedView);
        ASSERT_EQ(RegWrite(registry, kMachine, kPath, "CurStroke", "2026:12:04:08:03:07"), kOk);
        EXPECT_TRUE(registry.Stored({kMachine, kPath, c.expectedView}, "CurStroke"));
        EXPECT_EQ(RegRead(registry, kMachine, kPath, "CurStroke"), "2026:12:04:08:03:07");
    }
}

TEST(RegWrite, StoresATextAsItsBytesAndAnEmptyTextAsOneZeroByte) {
    const struct {
        std::uint32_t type;
        std::string text;
        std::string data;
    } cases[] = {
        {reg_type::kSz, "C:\\Program Files\\Uptrail", "C:\\Program Files\\Uptrail"},
        {reg_type::kSz, "  blanks around  ", "  blanks around  "},
        {reg_type::kSz, "caf\xe9 \xfc\xdf", "caf\xe9 \xfc\xdf"},
        {reg_type::kBinary, "\x01\x02xyz", "\x01\x02xyz"},
        {reg_type::kSz, "", "\0"s},
    };
    for (const auto& c : cases) {
        MemoryRegistry registry;
        // Differs from the first text only in case, which is still a change to write.
        registry.Seed(Key64(kUser), "Value", {reg_type::kSz, "c:\\program files\\uptrail\0"s});
        ASSERT_EQ(RegWrite(registry, kUser, kPath, "Value", c.text, c.type), kOk) << c.text;
        EXPECT_EQ(RegRead(registry, kUser, kPath, "Value"), c.text);
        const auto stored = registry.Stored(Key64(kUser), "Value");
        ASSERT_TRUE(stored) << c.text;
        EXPECT_EQ(stored->type, c.type) << c.text;
        EXPECT_EQ(stored->data, c.data) << c.text;
    }
}

TEST(RegWrite, AValueThatAlreadyReadsTheSameIsNotWrittenAndNoKeyIsCreated) {
    MemoryRegistry registry;
    registry.Seed(Key64(kMachine), "LogFolder", {reg_type::kSz, "D:\\Logs\0"s});
    registry.Seed(Key64(kMachine), "Count", {reg_type::kDword, Dword(0xFFFFFFFF)});

    EXPECT_EQ(RegWrite(registry, kMachine, kPath, "LogFolder", "D:\\Logs"), kOk);
    EXPECT_EQ(RegWrite(registry, kMachine, kPath, "Count", "4294967295", reg_type::kDword), kOk);
    // A missing value reads as an empty text, so storing one there changes nothing.
    EXPECT_EQ(RegWrite(registry, kMachine, "SOFTWARE\\Tamsk\\Other", "Name", ""), kOk);

    EXPECT_EQ(registry.SetValueCalls(), 0);
    EXPECT_FALSE(registry.KeyExists(Key64(kMachine, "SOFTWARE\\Tamsk\\Other")));
}

TEST(RegWrite, ADwordTakesTheLeadingNumberRoundedHalfToEvenAndHeldTo32Bits) {
    const struct {
        std::string text;
        std::uint32_t stored;
    } cases[] = {
        {" \t17 apples", 17}, {"+8", 8}, {"abc", 0}, {"4294967295", 0xFFFFFFFF},
        {"99999999999999999999", 0xFFFFFFFF}, {"-2147483648", 0x80000000},
        {"-99999999999", 0x80000000}, {"2.49", 2}, {"2.5", 2}, {"3.5", 4}, {"2.51", 3},
        {"-2.5", 0xFFFFFFFE},
    };
    for (const auto& c : cases) {
        MemoryRegistry registry;
        registry.Seed(Key64(kUser), "Number", {reg_type::kSz, "not a number"});
        ASSERT_EQ(RegWrite(registry, kUser, kPath, "Number", c.text, reg_type::kDword), kOk)
            << c.text;
        const auto stored = registry.Stored(Key64(kUser), "Number");
        EXPECT_EQ(stored->type, reg_type::kDword) << c.text;
        EXPECT_EQ(stored->data, Dword(c.stored)) << c.text;
    }
}

TEST(RegWrite, TypesWithoutATextFormWriteNothing) {
    for (const std::uint32_t type :
         {reg_type::kExpandSz, reg_type::kDwordBigEndian, reg_type::kQword}) {
        MemoryRegistry registry;
        EXPECT_EQ(RegWrite(registry, kUser, kPath, "Value", "text", type),
                  kErrorUnwritableValueType)
            << type;
        EXPECT_FALSE(registry.KeyExists(Key64(kUser))) << type;
    }
}

// Without administrator rights a machine value is kept under the same path for the user.
TEST(RegWrite, ARefusedMachineValueIsKeptForTheUserAndReadBackFromThere) {
    MemoryRegistry registry;
    registry.DenyLocalMachineChanges();
    registry.Seed(Key64(kMachine), "", {reg_type::kSz, "C:\\Old\0"s});

    EXPECT_EQ(RegWrite(registry, kMachine, kPath, "", "C:\\New"), kOk);

    EXPECT_EQ(registry.Stored(Key64(kUser), "")->data, "C:\\New");
    EXPECT_EQ(registry.Stored(Key64(kMachine), "")->data, "C:\\Old\0"s);
    EXPECT_EQ(RegRead(registry, kMachine, kPath, ""), "C:\\New");
}

TEST(RegWrite, AMachineWriteRemovesTheUsersOlderCopy) {
    MemoryRegistry registry;
    registry.Seed(Key64(kUser), "LogFolder", {reg_type::kSz, "D:\\Old"});

    ASSERT_EQ(RegWrite(registry, kMachine, kPath, "LogFolder", "E:\\New"), kOk);

    EXPECT_EQ(registry.Stored(Key64(kMachine), "LogFolder")->data, "E:\\New");
    EXPECT_FALSE(registry.Stored(Key64(kUser), "LogFolder"));
}

TEST(RegRead, UnderTheMachineRootPrefersTheUsersCopyButNotTheOtherWayRound) {
    MemoryRegistry registry;
    registry.Seed(Key64(kMachine), "Only machine", {reg_type::kSz, "machine"});
    registry.Seed(Key64(kMachine), "Both", {reg_type::kSz, "machine"});
    registry.Seed(Key64(kUser), "Both", {reg_type::kSz, "user"});

    EXPECT_EQ(RegRead(registry, kMachine, kPath, "Only machine"), "machine");
    EXPECT_EQ(RegRead(registry, kMachine, kPath, "Both"), "user");
    EXPECT_EQ(RegRead(registry, kUser, kPath, "Only machine"), "");
}

TEST(RegRemoveValue, UnderTheMachineRootRemovesBothCopiesAndAMissingValueCountsAsRemoved) {
    MemoryRegistry registry;
    EXPECT_EQ(RegRemoveValue(registry, kMachine, kPath, "Sessiometer"), kOk) << "no key";
    registry.Seed(Key64(kMachine), "Sessiometer", {reg_type::kSz, "Uptrail.exe"});
    registry.Seed(Key64(kUser), "Sessiometer", {reg_type::kSz, "Uptrail.exe"});
    EXPECT_EQ(RegRemoveValue(registry, kUser, kPath, "Missing"), kOk) << "no value";

    EXPECT_EQ(RegRemoveValue(registry, kMachine, kPath, "Sessiometer"), kOk);

    EXPECT_FALSE(registry.Stored(Key64(kMachine), "Sessiometer"));
    EXPECT_FALSE(registry.Stored(Key64(kUser), "Sessiometer"));
}

TEST(RegRemoveValue, WithoutRightsRemovesTheUsersCopyAndReportsTheRefusal) {
    MemoryRegistry registry;
    registry.DenyLocalMachineChanges();
    registry.Seed(Key64(kMachine), "Value", {reg_type::kSz, "machine"});
    registry.Seed(Key64(kUser), "Value", {reg_type::kSz, "user"});

    EXPECT_EQ(RegRemoveValue(registry, kMachine, kPath, "Value"), kErrorAccessDenied);

    EXPECT_FALSE(registry.Stored(Key64(kUser), "Value"));
    EXPECT_EQ(RegRead(registry, kMachine, kPath, "Value"), "machine");
}

}  // namespace
}  // namespace uptrail
