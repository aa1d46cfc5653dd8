#include "win32/platform/win32_system_info.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "sessionlog/system_identity.h"

namespace uptrail {
namespace {

TEST(Win32SystemInfo, ReadsTheIdentityTheDrivesAndTheFolders) {
    Win32SystemInfo system;
    const auto serial = system.VolumeSerial("C:");
    ASSERT_TRUE(serial);
    EXPECT_EQ(system.VolumeSerial("c:\\"), serial) << "a root folder names the same volume";
    EXPECT_EQ(SystemIdentity(system), DriveSerialText(serial) + "/c:\\windows");

    const auto drives = system.DrivePaths();
    EXPECT_NE(std::find(drives.begin(), drives.end(), "C:"), drives.end());
    for (const auto& drive : drives) EXPECT_EQ(drive.size(), 2u) << "no backslash: " << drive;
    // The last letter no drive of this machine has.
    char unused = 'Z';
    while (unused > 'D' && (GetLogicalDrives() & (1u << (unused - 'A')))) --unused;
    const std::string missing = std::string(1, unused) + ":";
    EXPECT_FALSE(system.VolumeSerial(missing)) << missing;

    // The program's own folder is the one the real program stores at its first start.
    EXPECT_TRUE(std::filesystem::is_directory(system.ProgramDataFolder()));
}

// Wine keeps no System log to query, and its event-log API beyond the query aborts the
// process when called: asking for the records must come back empty-handed, not crash.
TEST(Win32SystemInfo, WindowsRecordsOfStartsAndEndsAreReadOnlyWhereTheLogAnswers) {
    Win32SystemInfo system;
    const auto boots = system.RecentBootRecords();
    const auto ends = system.RecentShutdownRecords();
    const bool underWine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version");
    if (!underWine) GTEST_SKIP() << "on Windows the log holds whatever this PC did";
    EXPECT_TRUE(boots.empty());
    EXPECT_TRUE(ends.empty());
}

}  // namespace
}  // namespace uptrail
