#include "win32/win32_system_info.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "app/session_tracker.h"
#include "app/system_identity.h"

namespace uptrail {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return text;
}

// A letter no drive of this machine has.
std::string UnusedDrive() {
    const DWORD used = GetLogicalDrives();
    for (int letter = 'Z'; letter >= 'D'; --letter) {
        if (!(used & (1u << (letter - 'A')))) return std::string(1, static_cast<char>(letter)) + ":";
    }
    return {};
}

TEST(Win32SystemInfo, TheIdentityIsTheSerialOfDriveCAndTheWindowsFolder) {
    Win32SystemInfo system;

    EXPECT_EQ(Lower(system.WindowsFolder()), "c:\\windows");
    const auto serial = system.VolumeSerial("C:");
    ASSERT_TRUE(serial);
    EXPECT_EQ(system.VolumeSerial("c:\\"), serial) << "a root folder names the same volume";
    EXPECT_EQ(SystemIdentity(system), DriveSerialText(serial) + "/c:\\windows");
}

TEST(Win32SystemInfo, ADriveThatDoesNotExistHasNoSerial) {
    Win32SystemInfo system;
    const std::string drive = UnusedDrive();
    ASSERT_FALSE(drive.empty());

    EXPECT_FALSE(system.VolumeSerial(drive));
    EXPECT_EQ(DriveSerial(system, drive), "--/");
}

TEST(Win32SystemInfo, DrivesAreListedWithoutTheirBackslash) {
    Win32SystemInfo system;
    const auto drives = system.DrivePaths();

    EXPECT_NE(std::find(drives.begin(), drives.end(), "C:"), drives.end());
    for (const auto& drive : drives) EXPECT_EQ(drive.size(), 2u) << drive;

    const DriveTable table = BuildDriveTable(system);
    ASSERT_FALSE(table.empty());
    EXPECT_EQ(table.front().second, drives.front());
}

TEST(Win32SystemInfo, TheProgramFolderHoldsTheRunningProgram) {
    const auto folder = Win32SystemInfo().ProgramFolder();

    EXPECT_TRUE(std::filesystem::is_regular_file(folder / L"uptrail_win32_tests.exe")) << folder;
}

TEST(Win32SystemInfo, TheProgramDataFolderExists) {
    const auto folder = Win32SystemInfo().ProgramDataFolder();

    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(std::filesystem::is_directory(folder)) << folder;
}

// Wine keeps no boot records; the program must carry on with the tick-count start.
TEST(Win32SystemInfo, WithoutReadableBootRecordsTheTickCountStartIsUsed) {
    Win32SystemInfo system;
    const auto records = system.RecentBootRecords();
    const DateTime now = MakeDateTime(2026, 12, 6, 9, 30, 0);
    const DateTime start = SessionStart(now, GetTickCount64(), records);
    if (records.empty()) {
        EXPECT_EQ(start, BootTimeFrom(now, GetTickCount64()));
    } else {
        for (const BootRecord& record : records) EXPECT_GE(record.type, 0);
    }
}

}  // namespace
}  // namespace uptrail
