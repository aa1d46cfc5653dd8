// What the program reads from Windows itself: the registry through Win32Registry (how values
// are stored and named, the errors it reports, the views it reaches; the routines built on it
// are unit-tested on a double), the month names of the user's locale, and the system's
// identity, drives and folders.
#include "win32/platform/win32_registry.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "sessionlog/system_identity.h"
#include "storage/registry_store.h"
#include "win32/platform/locale_month_names.h"
#include "win32/platform/win32_system_info.h"

namespace uptrail {
namespace {

using namespace std::string_literals;

constexpr unsigned kWesternEuropeanCodePage = 1252;

std::wstring Widened(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

std::string WideBytes(std::wstring_view text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

HKEY RootOf(RegistryRoot root) {
    return root == RegistryRoot::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// The bytes of a value as the wide API holds them, read past our implementation.
std::string NativeBytes(const RegistryKey& key, const wchar_t* name) {
    std::string bytes(1024, '\0');
    DWORD size = static_cast<DWORD>(bytes.size());
    const DWORD view =
        key.view == RegistryView::k64Bit ? RRF_SUBKEY_WOW6464KEY : RRF_SUBKEY_WOW6432KEY;
    const LSTATUS status =
        RegGetValueW(RootOf(key.root), Widened(key.path).c_str(), name,
                     RRF_RT_ANY | RRF_NOEXPAND | view, nullptr, bytes.data(), &size);
    if (status != ERROR_SUCCESS) return "missing";
    bytes.resize(size);
    return bytes;
}

// A key of its own under Software, removed afterwards from both views.
struct TestKey {
    ~TestKey() {
        RegDeleteTreeW(RootOf(root), Widened(path).c_str());
        RegDeleteTreeW(RootOf(root), Widened("Software\\Wow6432Node\\" + leaf).c_str());
    }
    RegistryKey In(RegistryView view) const { return {root, path, view}; }

    RegistryRoot root;
    std::string leaf = "Uptrail-test-" + std::to_string(GetCurrentProcessId());
    std::string path = "Software\\" + leaf;
};

// Names and text are ANSI bytes to the program, in the Western code page on the test machine.
TEST(Win32Registry, StoresStringsInUtf16AndOtherTypesAsTheirBytes) {
    ASSERT_EQ(GetACP(), kWesternEuropeanCodePage);
    TestKey test{RegistryRoot::kCurrentUser};
    Win32Registry registry;
    const RegistryKey key = test.In(RegistryView::k64Bit);
    ASSERT_EQ(registry.CreateKey(key), kOk);
    const auto storesAndReadsBack = [&](DWORD type, const std::string& data, std::string native) {
        SCOPED_TRACE(type);
        ASSERT_EQ(registry.SetValue(key,
                                    "Gr\xf6\xdf"
                                    "e",
                                    {type, data}),
                  kOk);
        EXPECT_EQ(NativeBytes(key, L"Gr\u00f6\u00dfe"), native);
        RegistryValue read;
        ASSERT_EQ(registry.ReadValue(key,
                                     "Gr\xf6\xdf"
                                     "e",
                                     read),
                  kOk);
        EXPECT_EQ(read.type, type);
        EXPECT_EQ(read.data, data);
    };
    storesAndReadsBack(REG_SZ, "Caf\xe9 \x80\0"s, WideBytes(L"Caf\u00e9 \u20ac\0"s));
    storesAndReadsBack(REG_BINARY, "\x01\0\xff\xe9"s, "\x01\0\xff\xe9"s);
}

// A 64-bit process on 64-bit Windows: the program reads through the 64-bit view, never the
// redirected branch. A string gets its terminating zero.
TEST(Win32Registry, EachViewOfTheMachineSoftwareKeyHoldsItsOwnValues) {
    TestKey test{RegistryRoot::kLocalMachine};
    Win32Registry registry;
    EXPECT_TRUE(registry.WindowsIs64Bit());
    EXPECT_FALSE(registry.RunsUnderWow64());
    for (const RegistryView view : {RegistryView::k64Bit, RegistryView::k32Bit}) {
        ASSERT_EQ(registry.CreateKey(test.In(view)), kOk);
        const std::string text = view == RegistryView::k64Bit ? "64-bit" : "32-bit";
        ASSERT_EQ(registry.SetValue(test.In(view), "View", {REG_SZ, text}), kOk);
    }
    EXPECT_EQ(NativeBytes(test.In(RegistryView::k32Bit), L"View"), WideBytes(L"32-bit\0"s));
    EXPECT_EQ(RegRead(registry, RegistryRoot::kLocalMachine, test.path, "View"), "64-bit");

    EXPECT_EQ(registry.DeleteValue(test.In(RegistryView::k64Bit), "view"), kOk) << "any case";
    EXPECT_EQ(registry.DeleteValue(test.In(RegistryView::k64Bit), "View"), kErrorFileNotFound);
}

// The user's locale of a fresh Wine prefix is English.
TEST(LocaleMonthNames, ConvertsNamesToTheCodePageOrFallsBackToEnglishWhenItCannot) {
    EXPECT_EQ(LocaleMonthNames(), EnglishMonthNames());
    // March is "M\u00e4r..." in German: one byte 0xE4 in code page 1252.
    EXPECT_EQ(LocaleMonthNames(L"de-DE", kWesternEuropeanCodePage)[2].substr(0, 2), "M\xE4");
    // Cyrillic names have no bytes in the Western code page; "?" marks would be useless.
    EXPECT_EQ(LocaleMonthNames(L"ru-RU", kWesternEuropeanCodePage), EnglishMonthNames());
    EXPECT_EQ(LocaleMonthNames(L"no-such-locale-xx", kWesternEuropeanCodePage),
              EnglishMonthNames());
}

TEST(Win32SystemInfo, ReadsTheIdentityTheDrivesAndTheFolders) {
    Win32SystemInfo system;
    const auto serial = system.VolumeSerial("C:");
    ASSERT_TRUE(serial);
    EXPECT_EQ(system.VolumeSerial("c:\\"), serial) << "a root folder names the same volume";
    EXPECT_EQ(SystemIdentity(system), DriveSerialText(serial) + "/c:\\windows");

    const auto drives = system.DrivePaths();
    EXPECT_NE(std::find(drives.begin(), drives.end(), "C:"), drives.end());
    for (const auto& drive : drives) EXPECT_EQ(drive.size(), 2u) << "no backslash: " << drive;

    // The program's own folder is the one the real program stores at its first start.
    EXPECT_TRUE(std::filesystem::is_directory(system.ProgramDataFolder()));
}

}  // namespace
}  // namespace uptrail
