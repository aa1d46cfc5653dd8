#include <gtest/gtest.h>
#include <windows.h>

#include "storage/atomic_file.h"
#include "win32/win32_file_system.h"
#include "support/temp_folder_win.h"

namespace uptrail {
namespace {

TEST(Win32FileSystem, ReplacesAReadOnlySystemFileAndPutsItsAttributesBack) {
    testing::TempFolder folder;
    Win32FileSystem files;
    const auto log = folder.Path() / L"Uptrail.txt";
    ASSERT_EQ(files.WriteNewFile(log, "old\r\n"), kOk);
    ASSERT_EQ(files.SetAttributes(log, file_attr::kReadOnly | file_attr::kSystem), kOk);

    ASSERT_EQ(ReplaceFileContents(files, log, "new\r\n"), kOk);

    std::string contents;
    ASSERT_EQ(files.ReadWholeFile(log, contents), kOk);
    EXPECT_EQ(contents, "new\r\n");
    const auto attributes = files.GetAttributes(log);
    ASSERT_TRUE(attributes);
    EXPECT_EQ(*attributes & file_attr::kProtective, file_attr::kReadOnly | file_attr::kSystem);
    EXPECT_FALSE(files.GetAttributes(TemporaryPathFor(log))) << "temporary file left behind";
}

TEST(Win32FileSystem, CreatesAMissingFileInAFolderWithANonAsciiName) {
    testing::TempFolder folder;
    Win32FileSystem files;
    const auto log = folder.Path() / L"\u65e5\u672c" / L"Uptrail.txt";
    std::filesystem::create_directories(log.parent_path());

    ASSERT_EQ(ReplaceFileContents(files, log, "[Log]\r\n"), kOk);

    std::string contents;
    ASSERT_EQ(files.ReadWholeFile(log, contents), kOk);
    EXPECT_EQ(contents, "[Log]\r\n");
}

TEST(Win32FileSystem, ReportsAMissingFolderAndAMissingFile) {
    testing::TempFolder folder;
    Win32FileSystem files;
    std::string contents;
    EXPECT_EQ(files.ReadWholeFile(folder.Path() / L"none.txt", contents), kErrorFileNotFound);
    EXPECT_TRUE(IsNotFound(files.ReadWholeFile(folder.Path() / L"no" / L"x.txt", contents)));
    EXPECT_NE(ReplaceFileContents(files, folder.Path() / L"no" / L"x.txt", "x"), kOk);
    EXPECT_FALSE(files.GetAttributes(folder.Path() / L"none.txt"));
    EXPECT_TRUE(*files.GetAttributes(folder.Path()) & file_attr::kDirectory);
}

TEST(Win32FileSystem, AFileOpenWithoutSharingIsNotReplacedAndKeepsItsContents) {
    testing::TempFolder folder;
    Win32FileSystem files;
    const auto log = folder.Path() / L"Uptrail.txt";
    ASSERT_EQ(files.WriteNewFile(log, "old"), kOk);
    HANDLE locked = CreateFileW(log.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);

    EXPECT_NE(ReplaceFileContents(files, log, "new"), kOk);
    CloseHandle(locked);

    std::string contents;
    ASSERT_EQ(files.ReadWholeFile(log, contents), kOk);
    EXPECT_EQ(contents, "old");
    EXPECT_FALSE(files.GetAttributes(TemporaryPathFor(log)));
}

}  // namespace
}  // namespace uptrail
