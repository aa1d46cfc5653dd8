#include "app/system_identity.h"

#include <gtest/gtest.h>

#include "support/fake_platform.h"

namespace uptrail {
namespace {

using testing::FakeSystemInfo;

TEST(DriveSerialText, IsUpperCaseHexWithoutLeadingZerosThenASlash) {
    const struct {
        std::optional<std::uint32_t> serial;
        const char* text;
    } cases[] = {
        {439041101u, "1A2B3C4D/"}, {0xFFFFFFFFu, "FFFFFFFF/"},  // -1 as a signed serial
        {0x80000000u, "80000000/"}, {0x00000ABCu, "ABC/"}, {0u, "0/"}, {std::nullopt, "--/"},
    };
    for (const auto& c : cases) EXPECT_EQ(DriveSerialText(c.serial), c.text) << c.text;
}

TEST(DriveSerial, ADriveGivenAsOneLetterIsReadWithItsColon) {
    FakeSystemInfo system;
    system.SetSerial("D:", 0x43000000u);

    EXPECT_EQ(DriveSerial(system, "D"), "43000000/");
    EXPECT_EQ(DriveSerial(system, "D:"), "43000000/");
    EXPECT_EQ(DriveSerial(system, "Q"), "--/") << "no such drive";
    EXPECT_EQ(DriveSerial(system, ""), "--/");
}

TEST(SystemIdentity, IsTheSerialOfTheWindowsDriveThenTheLowerCaseWindowsFolder) {
    const struct {
        const char* windowsFolder;
        std::optional<std::uint32_t> serial;  // of the Windows drive
        const char* identity;
    } cases[] = {
        {"C:\\WINDOWS", 439041101u, "1A2B3C4D//c:\\windows"},
        {"C:\\Windows", std::nullopt, "--//c:\\windows"},
        {"D:\\WINNT", 0x22222222u, "22222222//d:\\winnt"},
        // Only ASCII letters are lowered: an ANSI byte of another script stays as it is.
        {"C:\\WIN\xC4", 0x1u, "1//c:\\win\xC4"},
    };
    for (const auto& c : cases) {
        FakeSystemInfo system;
        system.windowsFolder = c.windowsFolder;
        system.SetSerial("A:", 0x11111111u);  // another drive, which does not count
        if (c.serial) system.SetSerial(std::string(c.windowsFolder, 2), *c.serial);
        EXPECT_EQ(SystemIdentity(system), c.identity);
    }
}

TEST(BuildDriveTable, KeepsTheFirstDriveOfEachSerialInTheSystemsOrder) {
    FakeSystemInfo system;
    system.drivePaths = {"C:", "A:", "D:", "E:", "F:"};
    system.SetSerial("C:", 439041101u);
    system.SetSerial("D:", 0x5E6F7A8Bu);
    system.SetSerial("F:", 439041101u);  // another path to the volume of C:
    // A: and E: are not ready: both read "--/", and only A: stays.

    const DriveTable expected{{"1A2B3C4D/", "C:"}, {"--/", "A:"}, {"5E6F7A8B/", "D:"}};
    EXPECT_EQ(BuildDriveTable(system), expected);
}

}  // namespace
}  // namespace uptrail
