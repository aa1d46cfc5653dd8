#include "win32/win32_registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "storage/registry_store.h"

namespace uptrail {
namespace {

using namespace std::string_literals;

constexpr auto kUser = RegistryRoot::kCurrentUser;
constexpr auto kMachine = RegistryRoot::kLocalMachine;

std::string Ansi(std::wstring_view text) {
    const int length = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<std::size_t>(bytes), '\0');
    BOOL lost = FALSE;
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, converted.data(), bytes, nullptr, &lost);
    EXPECT_FALSE(lost) << "the ANSI code page of the test machine lacks a test character";
    return converted;
}

std::wstring Wide(std::string_view text) {
    const int length = static_cast<int>(text.size());
    const int characters = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring converted(static_cast<std::size_t>(characters), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, converted.data(), characters);
    return converted;
}

HKEY RootHandle(RegistryRoot root) {
    return root == kMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

REGSAM ViewFlag(RegistryView view) {
    return view == RegistryView::k64Bit ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

// A value as the wide API sees it, read past our implementation.
struct NativeValue {
    LSTATUS status = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    std::string bytes;
};

NativeValue ReadNative(const RegistryKey& key, const std::wstring& name) {
    NativeValue value;
    HKEY handle = nullptr;
    value.status = RegOpenKeyExW(RootHandle(key.root), Wide(key.path).c_str(), 0,
                                 KEY_QUERY_VALUE | ViewFlag(key.view), &handle);
    if (value.status != ERROR_SUCCESS) return value;
    DWORD size = 0;
    value.status = RegQueryValueExW(handle, name.c_str(), nullptr, &value.type, nullptr, &size);
    if (value.status == ERROR_SUCCESS) {
        value.bytes.assign(size, '\0');
        value.status = RegQueryValueExW(handle, name.c_str(), nullptr, &value.type,
                                        reinterpret_cast<BYTE*>(value.bytes.data()), &size);
    }
    RegCloseKey(handle);
    return value;
}

std::string WideBytes(std::wstring_view text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

void WriteNative(const RegistryKey& key, const std::wstring& name, DWORD type,
                 const std::string& bytes) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExW(RootHandle(key.root), Wide(key.path).c_str(), 0, nullptr, 0,
                              KEY_SET_VALUE | ViewFlag(key.view), nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(handle, name.c_str(), 0, type,
                             reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(handle);
}

// A key of its own under "Software\Tamsk-test" for each test, removed afterwards from
// both roots and both views (the machine-value routines also leave a copy under the
// user's root), so runs do not see each other's values.
class TestKey {
public:
    explicit TestKey(RegistryRoot root, std::string leaf = {}) : root_(root) {
        leaf_ = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter_++) + leaf;
    }
    ~TestKey() {
        for (const RegistryRoot root : {kUser, kMachine})
            for (const RegistryView view : {RegistryView::k64Bit, RegistryView::k32Bit})
                Remove(RootHandle(root), ViewFlag(view));
    }
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    std::string Path() const { return kParent + "\\" + leaf_; }
    RegistryKey In(RegistryView view) const { return {root_, Path(), view}; }

private:
    void Remove(HKEY root, REGSAM view) const {
        HKEY parent = nullptr;
        if (RegOpenKeyExW(root, Wide(kParent).c_str(), 0, KEY_ALL_ACCESS | view, &parent) !=
            ERROR_SUCCESS)
            return;
        RegDeleteTreeW(parent, Wide(leaf_).c_str());
        RegCloseKey(parent);
        // Only succeeds once no other test key is left below it.
        RegDeleteKeyExW(root, Wide(kParent).c_str(), view, 0);
    }

    static inline const std::string kParent = "Software\\Tamsk-test";
    static inline int counter_ = 0;
    RegistryRoot root_;
    std::string leaf_;
};

TEST(Win32Registry, KnowsItRunsAsA64BitProcessOn64BitWindows) {
    Win32Registry registry;
    EXPECT_TRUE(registry.WindowsIs64Bit());
    EXPECT_FALSE(registry.RunsUnderWow64());
}

struct StoredCase {
    const char* name;
    DWORD type;
    std::string written;
    std::string native;  // the bytes the wide API holds afterwards
    std::string readBack;
};

TEST(Win32Registry, StringsAreStoredTerminatedInUtf16AndOtherTypesAsTheirBytes) {
    const std::string ansiText = Ansi(L"Caf\u00e9 \u00fc\u00df \u20ac");
    const StoredCase cases[] = {
        {"plain text", REG_SZ, "plain", WideBytes(L"plain\0"s), "plain\0"s},
        {"one zero byte", REG_SZ, "\0"s, WideBytes(L"\0"s), "\0"s},
        {"expandable text", REG_EXPAND_SZ, "%SystemRoot%\\x\0"s,
         WideBytes(L"%SystemRoot%\\x\0"s), "%SystemRoot%\\x\0"s},
        {"multi-string", REG_MULTI_SZ, "first\0second\0\0"s, WideBytes(L"first\0second\0\0"s),
         "first\0second\0\0"s},
        {"ANSI text", REG_SZ, ansiText, WideBytes(L"Caf\u00e9 \u00fc\u00df \u20ac\0"s),
         ansiText + '\0'},
        {"binary", REG_BINARY, "\x01\0\xff\xe9"s, "\x01\0\xff\xe9"s, "\x01\0\xff\xe9"s},
    };
    for (const auto& c : cases) {
        TestKey test(kUser);
        Win32Registry registry;
        const RegistryKey key = test.In(RegistryView::k64Bit);
        ASSERT_EQ(registry.CreateKey(key), kOk) << c.name;
        ASSERT_EQ(registry.SetValue(key, "Value", {c.type, c.written}), kOk) << c.name;

        const NativeValue native = ReadNative(key, L"Value");
        ASSERT_EQ(native.status, ERROR_SUCCESS) << c.name;
        EXPECT_EQ(native.type, c.type) << c.name;
        EXPECT_EQ(native.bytes, c.native) << c.name;

        RegistryValue read;
        ASSERT_EQ(registry.ReadValue(key, "Value", read), kOk) << c.name;
        EXPECT_EQ(read.type, c.type) << c.name;
        EXPECT_EQ(read.data, c.readBack) << c.name;
    }
}

TEST(Win32Registry, NonAsciiKeyAndValueNamesGoThroughTheAnsiCodePage) {
    TestKey test(kUser, Ansi(L"-\u00c4pfel"));
    Win32Registry registry;
    const RegistryKey key = test.In(RegistryView::k64Bit);
    const std::string name = Ansi(L"Gr\u00f6\u00dfe");

    ASSERT_EQ(RegWrite(registry, kUser, key.path, name, Ansi(L"gro\u00df")), kOk);

    const NativeValue native = ReadNative(key, L"Gr\u00f6\u00dfe");
    ASSERT_EQ(native.status, ERROR_SUCCESS);
    EXPECT_EQ(native.bytes, WideBytes(L"gro\u00df\0"s));
    WriteNative(key, L"na\u00efve", REG_SZ, WideBytes(L"caf\u00e9\0"s));
    EXPECT_EQ(RegRead(registry, kUser, key.path, Ansi(L"na\u00efve")), Ansi(L"caf\u00e9"));
}

TEST(Win32Registry, ReportsMissingKeysAndValuesAsNotFound) {
    TestKey test(kUser);
    Win32Registry registry;
    const RegistryKey key = test.In(RegistryView::k64Bit);
    RegistryValue read;
    EXPECT_EQ(registry.ReadValue(key, "Value", read), kErrorFileNotFound);
    EXPECT_EQ(registry.SetValue(key, "Value", {REG_SZ, "x"}), kErrorFileNotFound);
    EXPECT_EQ(registry.DeleteValue(key, "Value"), kErrorFileNotFound);
    ASSERT_EQ(registry.CreateKey(key), kOk);
    EXPECT_EQ(registry.ReadValue(key, "Value", read), kErrorFileNotFound);
    EXPECT_EQ(registry.DeleteValue(key, "Value"), kErrorFileNotFound);
}

TEST(Win32Registry, DeletesAValueWhateverTheCaseOfItsName) {
    TestKey test(kUser);
    Win32Registry registry;
    const RegistryKey key = test.In(RegistryView::k64Bit);
    ASSERT_EQ(registry.CreateKey(key), kOk);
    ASSERT_EQ(registry.SetValue(key, "Value", {REG_SZ, "x"}), kOk);
    EXPECT_EQ(registry.DeleteValue(key, "value"), kOk);
    EXPECT_EQ(ReadNative(key, L"Value").status, ERROR_FILE_NOT_FOUND);
}

TEST(Win32Registry, EachViewOfTheMachineSoftwareKeyHoldsItsOwnValues) {
    TestKey test(kMachine);
    Win32Registry registry;
    for (const RegistryView view : {RegistryView::k64Bit, RegistryView::k32Bit}) {
        ASSERT_EQ(registry.CreateKey(test.In(view)), kOk);
        const std::string text = view == RegistryView::k64Bit ? "64-bit" : "32-bit";
        ASSERT_EQ(registry.SetValue(test.In(view), "View", {REG_SZ, text}), kOk);
    }

    EXPECT_EQ(ReadNative(test.In(RegistryView::k64Bit), L"View").bytes, WideBytes(L"64-bit\0"s));
    EXPECT_EQ(ReadNative(test.In(RegistryView::k32Bit), L"View").bytes, WideBytes(L"32-bit\0"s));
    // The program reads through the 64-bit view, never the redirected branch.
    EXPECT_EQ(RegRead(registry, kMachine, test.Path(), "View"), "64-bit");
}

// ---------------------------------------------------------------------------------------
// The portable registry routines over the real registry

TEST(RegistryRoutinesOnWin32, ADwordWithAllBitsSetReadsAs4294967295) {
    TestKey test(kUser);
    Win32Registry registry;
    WriteNative(test.In(RegistryView::k64Bit), L"Value", REG_DWORD, "\xff\xff\xff\xff"s);
    EXPECT_EQ(RegRead(registry, kUser, test.Path(), "Value"), "4294967295");
}

TEST(RegistryRoutinesOnWin32, AStringWrittenByOthersWithoutItsTerminatorReadsWhole) {
    TestKey test(kUser);
    Win32Registry registry;
    WriteNative(test.In(RegistryView::k64Bit), L"Value", REG_SZ, WideBytes(L"no end"));
    EXPECT_EQ(RegRead(registry, kUser, test.Path(), "Value"), "no end");
}

TEST(RegistryRoutinesOnWin32, RemovingAMachineValueRemovesTheUsersCopyToo) {
    TestKey machine(kMachine);
    Win32Registry registry;
    const std::string path = machine.Path();
    // The user's copy lives at the same path under HKEY_CURRENT_USER.
    const RegistryKey userKey{kUser, path, RegistryView::k64Bit};
    ASSERT_EQ(RegWrite(registry, kMachine, path, "Value", "machine"), kOk);
    WriteNative(userKey, L"Value", REG_SZ, WideBytes(L"user\0"s));
    EXPECT_EQ(RegRead(registry, kMachine, path, "Value"), "user");

    EXPECT_EQ(RegRemoveValue(registry, kMachine, path, "Value"), kOk);

    EXPECT_EQ(ReadNative(machine.In(RegistryView::k64Bit), L"Value").status,
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ReadNative(userKey, L"Value").status, ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace uptrail
