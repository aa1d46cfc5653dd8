#include <gtest/gtest.h>
#include <windows.h>

#include "storage/section_file.h"
#include "win32/win32_file_system.h"

namespace uptrail {
namespace {

std::filesystem::path FreshFolder(const wchar_t* name) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    auto folder = std::filesystem::path(base) / name;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder);
    return folder;
}

TEST(SectionFileOnWindows, RewritesAReadOnlySystemLogInANonAsciiFolderAndKeepsItsAttributes) {
    Win32FileSystem files;
    const auto log = FreshFolder(L"uptrail-\u00c5rhus-\u65e5\u672c") / L"Uptrail.txt";
    ASSERT_EQ(files.WriteNewFile(log, "[Common]\r\nLastWin=A\r\n[Log]\r\nold=1=0=A\r\n"), kOk);
    ASSERT_TRUE(SetFileAttributesW(log.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM));

    ASSERT_EQ(SaveSection(files, log, "Log", ""), kOk);
    ASSERT_EQ(SaveSection(files, log, "Log", "a=b=0=A\r\nc=d=2=A"), kOk);

    std::string contents;
    ASSERT_EQ(files.ReadWholeFile(log, contents), kOk);
    EXPECT_EQ(contents, "[Common]\r\nLastWin=A\r\n\r\n[Log]\r\na=b=0=A\r\nc=d=2=A\r\n");
    EXPECT_EQ(LoadSection(files, log, "Log").text, "a=b=0=A\r\nc=d=2=A");
    const DWORD attributes = GetFileAttributesW(log.c_str());
    EXPECT_EQ(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM));
}

TEST(SectionFileOnWindows, AFileHeldOpenByAnotherProgramIsReportedAndUntouched) {
    Win32FileSystem files;
    const auto log = FreshFolder(L"uptrail-locked") / L"Uptrail.txt";
    const std::string original = "[Log]\r\nold=1=0=A\r\n";
    ASSERT_EQ(files.WriteNewFile(log, original), kOk);
    HANDLE holder = CreateFileW(log.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    EXPECT_EQ(SaveSection(files, log, "Log", ""), static_cast<OsError>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(LoadSection(files, log, "Log").error, static_cast<OsError>(ERROR_SHARING_VIOLATION));
    CloseHandle(holder);

    std::string contents;
    ASSERT_EQ(files.ReadWholeFile(log, contents), kOk);
    EXPECT_EQ(contents, original);
}

}  // namespace
}  // namespace uptrail
