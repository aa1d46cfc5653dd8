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

// ---------------------------------------------------------------------------------------
// BytesToText

struct BytesToTextCase {
    const char* name;
    std::string bytes;
    BytesToTextOptions options;
    std::string expected;
};

TEST(BytesToText, TakesTheChosenRunOfBytesAndNeverReadsPastTheEnd) {
    const std::string bytes = "abc\0def"s;
    const std::vector<BytesToTextCase> cases = {
        {"all bytes, zeros included", bytes, {}, bytes},
        {"stop at zero", bytes, {.stopAtZero = true}, "abc"},
        {"from a start", bytes, {.start = 2}, "c\0def"s},
        {"start and count", bytes, {.start = 1, .count = 2}, "bc"},
        {"count of zero", bytes, {.count = 0}, ""},
        {"start and count past a zero, stopping", bytes,
         {.start = 4, .count = 2, .stopAtZero = true}, "de"},
        {"stop at a zero right at the start", bytes, {.start = 3, .stopAtZero = true}, ""},
        {"count past the end", bytes, {.start = 3, .count = 100}, "\0def"s},
        {"start at the end", bytes, {.start = bytes.size()}, ""},
        {"start past the end", bytes, {.start = 1000, .count = 5}, ""},
        {"empty list", "", {.count = 3, .stopAtZero = true}, ""},
        {"bytes above 127 stay the same", "caf\xe9\xff", {}, "caf\xe9\xff"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BytesToText(c.bytes, c.options), c.expected) << c.name;
}

// ---------------------------------------------------------------------------------------
// RegRead

struct ConversionCase {
    const char* name;
    std::uint32_t storedType;
    std::string storedData;
    std::optional<std::uint32_t> readAs;
    std::string expected;
};

TEST(RegRead, ConvertsEachValueTypeToText) {
    const std::vector<ConversionCase> cases = {
        {"terminated string", reg_type::kSz, "hello\0"s, {}, "hello"},
        {"string without a terminator", reg_type::kSz, "hello", {}, "hello"},
        {"string ending in a blank", reg_type::kSz, "hello \0"s, {}, "hello "},
        {"one zero byte", reg_type::kSz, "\0"s, {}, ""},
        {"no data at all", reg_type::kSz, "", {}, ""},
        {"ANSI text", reg_type::kSz, "caf\xe9\0"s, {}, "caf\xe9"},
        {"expandable string is not expanded", reg_type::kExpandSz, "%TEMP%\\x\0"s, {},
         "%TEMP%\\x"},
        {"multi-string gives its first string", reg_type::kMultiSz, "first\0second\0\0"s, {},
         "first"},
        {"DWORD with all bits set", reg_type::kDword, Dword(0xFFFFFFFF), {}, "4294967295"},
        {"DWORD is little-endian", reg_type::kDword, Dword(0x00000100), {}, "256"},
        {"DWORD zero", reg_type::kDword, Dword(0), {}, "0"},
        {"short DWORD counts the bytes it has", reg_type::kDword, "\x34\x12"s, {}, "4660"},
        {"empty DWORD", reg_type::kDword, "", {}, "0"},
        {"long DWORD takes its first four bytes", reg_type::kDword, Dword(7) + "\x01\x02"s,
         {}, "7"},
        {"big-endian DWORD", reg_type::kDwordBigEndian, "\x00\x00\x01\x02"s, {}, "258"},
        {"binary up to its first zero", reg_type::kBinary, "ab\0cd"s, {}, "ab"},
        {"binary without a zero", reg_type::kBinary, "\x01\x02"s, {}, "\x01\x02"},
        {"QWORD as bytes up to its first zero", reg_type::kQword, "AB\0\0\0\0\0\0"s, {}, "AB"},
        {"string read as DWORD", reg_type::kSz, "AB", reg_type::kDword, "16961"},
        {"DWORD read as string", reg_type::kDword, "ABC\0"s, reg_type::kSz, "ABC"},
    };
    for (const auto& c : cases) {
        MemoryRegistry registry;
        registry.Seed(Key64(kUser), "Value", {c.storedType, c.storedData});
        EXPECT_EQ(RegRead(registry, kUser, kPath, "Value", {.valueType = c.readAs}), c.expected)
            << c.name;
    }
}

TEST(RegRead, GivesTheDefaultWhenTheKeyOrTheValueIsMissing) {
    MemoryRegistry registry;
    EXPECT_EQ(RegRead(registry, kUser, kPath, "Value"), "");
    EXPECT_EQ(RegRead(registry, kUser, kPath, "Value", {.defaultValue = "C:\\Program"}),
              "C:\\Program");

    registry.Seed(Key64(kUser), "Other", {reg_type::kSz, "x"});
    std::string raw = "untouched";
    EXPECT_EQ(RegRead(registry, kUser, kPath, "Value", {.defaultValue = "d", .rawBytes = &raw}),
              "d");
    EXPECT_EQ(raw, "untouched");
}

TEST(RegRead, HandsOverTheStoredBytesUnconverted) {
    MemoryRegistry registry;
    registry.Seed(Key64(kUser), "List", {reg_type::kMultiSz, "a\0b\0\0"s});
    std::string raw;
    EXPECT_EQ(RegRead(registry, kUser, kPath, "List", {.rawBytes = &raw}), "a");
    EXPECT_EQ(raw, "a\0b\0\0"s);
}

TEST(RegRead, TheDefaultValueOfAKeyHasAnEmptyNameAndNamesIgnoreCase) {
    MemoryRegistry registry;
    registry.Seed(Key64(kMachine), "", {reg_type::kSz, "C:\\Tools\0"s});
    registry.Seed(Key64(kMachine), "LogFolder", {reg_type::kSz, "D:\\Logs\0"s});
    EXPECT_EQ(RegRead(registry, kMachine, kPath, ""), "C:\\Tools");
    EXPECT_EQ(RegRead(registry, kMachine, "software\\tamsk\\UPTRAIL", "logfolder"), "D:\\Logs");
}

// ---------------------------------------------------------------------------------------
// Registry view and bitness

struct BitnessCase {
    const char* name;
    MemoryRegistry::Bitness bitness;
    RegistryView expectedView;
};

TEST(RegistryView, IsThe64BitViewWheneverWindowsIs64Bit) {
    const std::vector<BitnessCase> cases = {
        {"64-bit process", {.windows64Bit = true, .wow64 = false}, RegistryView::k64Bit},
        {"32-bit process on 64-bit Windows", {.windows64Bit = true, .wow64 = true},
         RegistryView::k64Bit},
        {"32-bit Windows", {.windows64Bit = false, .wow64 = false}, RegistryView::k32Bit},
    };
    for (const auto& c : cases) {
        MemoryRegistry registry(c.bitness);
        EXPECT_EQ(ProgramRegistryView(registry), c.expectedView) << c.name;
        EXPECT_EQ(IsWow64(registry), c.bitness.wow64) << c.name;

        ASSERT_EQ(RegWrite(registry, kMachine, kPath, "CurStroke", "2026:12:04:08:03:07"), kOk)
            << c.name;
        const RegistryKey written{kMachine, kPath, c.expectedView};
        const RegistryKey other{kMachine, kPath,
                                c.expectedView == RegistryView::k64Bit ? RegistryView::k32Bit
                                                                       : RegistryView::k64Bit};
        EXPECT_TRUE(registry.Stored(written, "CurStroke")) << c.name;
        EXPECT_FALSE(registry.KeyExists(other)) << c.name;
        EXPECT_EQ(RegRead(registry, kMachine, kPath, "CurStroke"), "2026:12:04:08:03:07")
            << c.name;
    }
}

// ---------------------------------------------------------------------------------------
// RegWrite

TEST(RegWrite, TextsReadBackUnchanged) {
    const std::vector<std::string> texts = {
        "plain",         "ends in a blank ", "  starts with blanks", "caf\xe9 \xfc\xdf",
        "key=value;x",   "C:\\Program Files\\Uptrail", std::string(5000, 'x'),
    };
    for (const auto& text : texts) {
        MemoryRegistry registry;
        ASSERT_EQ(RegWrite(registry, kUser, kPath, "Value", text), kOk) << text;
        EXPECT_EQ(RegRead(registry, kUser, kPath, "Value"), text);
        const auto stored = registry.Stored(Key64(kUser), "Value");
        ASSERT_TRUE(stored);
        EXPECT_EQ(stored->type, reg_type::kSz);
        EXPECT_EQ(stored->data, text) << "string data is the text's bytes, nothing added";
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

    EXPECT_EQ(registry.CreateKeyCalls(), 0);
    EXPECT_EQ(registry.SetValueCalls(), 0);
    EXPECT_FALSE(registry.KeyExists(Key64(kMachine, "SOFTWARE\\Tamsk\\Other")));
    EXPECT_EQ(registry.Stored(Key64(kMachine), "LogFolder")->data, "D:\\Logs\0"s);
}

TEST(RegWrite, AValueThatDiffersOnlyInCaseIsWritten) {
    MemoryRegistry registry;
    registry.Seed(Key64(kUser), "Folder", {reg_type::kSz, "c:\\logs"});
    ASSERT_EQ(RegWrite(registry, kUser, kPath, "Folder", "C:\\Logs"), kOk);
    EXPECT_EQ(RegRead(registry, kUser, kPath, "Folder"), "C:\\Logs");
    EXPECT_EQ(registry.CreateKeyCalls(), 1);
}

TEST(RegWrite, AnEmptyTextReplacesAValueWithOneZeroByte) {
    MemoryRegistry registry;
    registry.Seed(Key64(kUser), "Value", {reg_type::kSz, "abc\0"s});

    ASSERT_EQ(RegWrite(registry, kUser, kPath, "Value", ""), kOk);

    EXPECT_EQ(registry.Stored(Key64(kUser), "Value")->data, "\0"s);
    EXPECT_EQ(RegRead(registry, kUser, kPath, "Value"), "");
}

struct DwordCase {
    std::string text;
    std::uint32_t stored;
};

TEST(RegWrite, ADwordTakesTheLeadingNumberRoundedTo32Bits) {
    const std::vector<DwordCase> cases = {
        {"0", 0},
        {"42", 42},
        {"4294967295", 0xFFFFFFFF},
        {"2147483648", 0x80000000},
        {"-1", 0xFFFFFFFF},
        {"-2147483648", 0x80000000},
        {"  17 apples", 17},
        {"+8", 8},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"2.5", 2},
        {"3.5", 4},
        {"2.51", 3},
        {"2.49", 2},
        {"-2.5", 0xFFFFFFFE},
        {".7", 1},
        {"1e3", 1},
        {"99999999999999999999", 0xFFFFFFFF},
        {"-99999999999", 0x80000000},
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

TEST(RegWrite, ABinaryValueTakesTheTextsBytes) {
    MemoryRegistry registry;
    ASSERT_EQ(RegWrite(registry, kUser, kPath, "Blob", "\x01\x02xyz", reg_type::kBinary), kOk);
    const auto stored = registry.Stored(Key64(kUser), "Blob");
    EXPECT_EQ(stored->type, reg_type::kBinary);
    EXPECT_EQ(stored->data, "\x01\x02xyz");
}

TEST(RegWrite, TypesWithoutATextFormWriteNothing) {
    for (const std::uint32_t type : {reg_type::kExpandSz, reg_type::kMultiSz, reg_type::kQword,
                                     reg_type::kDwordBigEndian, reg_type::kNone}) {
        MemoryRegistry registry;
        EXPECT_EQ(RegWrite(registry, kUser, kPath, "Value", "text", type),
                  kErrorUnwritableValueType)
            << type;
        EXPECT_EQ(registry.CreateKeyCalls(), 0) << type;
        EXPECT_FALSE(registry.KeyExists(Key64(kUser))) << type;
    }
}

// ---------------------------------------------------------------------------------------
// Without administrator rights

TEST(RegWrite, ARefusedMachineValueIsKeptForTheUserAndReadBackFromThere) {
    MemoryRegistry registry;
    registry.DenyLocalMachineChanges();
    registry.Seed(Key64(kMachine), "", {reg_type::kSz, "C:\\Old\0"s});

    EXPECT_EQ(RegWrite(registry, kMachine, kPath, "", "C:\\New"), kOk);
    EXPECT_EQ(RegWrite(registry, kMachine, kPath, "LogFolder", "D:\\Logs"), kOk);

    EXPECT_EQ(registry.Stored(Key64(kUser), "")->data, "C:\\New");
    EXPECT_EQ(registry.Stored(Key64(kUser), "LogFolder")->data, "D:\\Logs");
    EXPECT_EQ(registry.Stored(Key64(kMachine), "")->data, "C:\\Old\0"s);
    EXPECT_FALSE(registry.Stored(Key64(kMachine), "LogFolder"));
    EXPECT_EQ(RegRead(registry, kMachine, kPath, ""), "C:\\New");
    EXPECT_EQ(RegRead(registry, kMachine, kPath, "LogFolder"), "D:\\Logs");
}

TEST(RegWrite, AValueKeptForTheUserIsNotWrittenAgain) {
    MemoryRegistry registry;
    registry.DenyLocalMachineChanges();
    ASSERT_EQ(RegWrite(registry, kMachine, kPath, "CurrentVersion", "5.00.0026"), kOk);
    const int createCalls = registry.CreateKeyCalls();

    EXPECT_EQ(RegWrite(registry, kMachine, kPath, "CurrentVersion", "5.00.0026"), kOk);
    EXPECT_EQ(registry.CreateKeyCalls(), createCalls);
}

TEST(RegWrite, AMachineWriteRemovesTheUsersOlderCopy) {
    MemoryRegistry registry;
    registry.Seed(Key64(kUser), "LogFolder", {reg_type::kSz, "D:\\Old"});

    ASSERT_EQ(RegWrite(registry, kMachine, kPath, "LogFolder", "E:\\New"), kOk);

    EXPECT_EQ(registry.Stored(Key64(kMachine), "LogFolder")->data, "E:\\New");
    EXPECT_FALSE(registry.Stored(Key64(kUser), "LogFolder"));
    EXPECT_EQ(RegRead(registry, kMachine, kPath, "LogFolder"), "E:\\New");
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

TEST(RegWrite, AUserValueNeverTouchesTheMachineRoot) {
    MemoryRegistry registry;
    registry.Seed(Key64(kMachine), "Value", {reg_type::kSz, "machine"});
    ASSERT_EQ(RegWrite(registry, kUser, kPath, "Value", "user"), kOk);
    EXPECT_EQ(registry.Stored(Key64(kMachine), "Value")->data, "machine");
}

// ---------------------------------------------------------------------------------------
// RegRemoveValue

TEST(RegRemoveValue, UnderTheMachineRootRemovesBothCopies) {
    MemoryRegistry registry;
    registry.Seed(Key64(kMachine), "Sessiometer", {reg_type::kSz, "Uptrail.exe"});
    registry.Seed(Key64(kUser), "Sessiometer", {reg_type::kSz, "Uptrail.exe"});
    registry.Seed(Key64(kMachine), "Other", {reg_type::kSz, "kept"});

    EXPECT_EQ(RegRemoveValue(registry, kMachine, kPath, "Sessiometer"), kOk);

    EXPECT_FALSE(registry.Stored(Key64(kMachine), "Sessiometer"));
    EXPECT_FALSE(registry.Stored(Key64(kUser), "Sessiometer"));
    EXPECT_TRUE(registry.Stored(Key64(kMachine), "Other"));
    EXPECT_EQ(RegRead(registry, kMachine, kPath, "Sessiometer"), "");
}

TEST(RegRemoveValue, UnderTheUserRootLeavesTheMachineValue) {
    MemoryRegistry registry;
    registry.Seed(Key64(kMachine), "Value", {reg_type::kSz, "machine"});
    registry.Seed(Key64(kUser), "Value", {reg_type::kSz, "user"});

    EXPECT_EQ(RegRemoveValue(registry, kUser, kPath, "Value"), kOk);

    EXPECT_TRUE(registry.Stored(Key64(kMachine), "Value"));
    EXPECT_FALSE(registry.Stored(Key64(kUser), "Value"));
}

TEST(RegRemoveValue, AValueOrKeyThatIsNotThereCountsAsRemoved) {
    MemoryRegistry registry;
    EXPECT_EQ(RegRemoveValue(registry, kMachine, kPath, "Missing"), kOk);
    registry.Seed(Key64(kUser), "Other", {reg_type::kSz, "x"});
    EXPECT_EQ(RegRemoveValue(registry, kUser, kPath, "Missing"), kOk);
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
