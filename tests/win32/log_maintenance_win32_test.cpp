#include <gtest/gtest.h>

#include <string>

#include "app/commands/log_maintenance.h"
#include "support/temp_folder_win.h"
#include "win32/platform/win32_file_system.h"

namespace uptrail {
namespace {

using file_attr::kProtective;
constexpr std::uint32_t kReadOnlySystem = file_attr::kReadOnly | file_attr::kSystem;

// Into new folders with non-ASCII names, and over a read-only system hidden file.
TEST(CopyLogFileOnWindows, KeepsReadOnlyAndSystemAndReachesAnyFolder) {
    testing::TempFolder scratch;
    Win32FileSystem files;
    const auto source = scratch.Path() / L"Uptrail.txt";
    const auto shared = scratch.Path() / L"Shared" / L"Uptrail.txt";
    ASSERT_EQ(files.WriteNewFile(source, "[Log]\r\n"), kOk);
    ASSERT_EQ(files.SetAttributes(source, kReadOnlySystem), kOk);
    std::filesystem::create_directories(shared.parent_path());
    ASSERT_EQ(files.WriteNewFile(shared, "old"), kOk);
    ASSERT_EQ(files.SetAttributes(shared, kReadOnlySystem | file_attr::kHidden), kOk);

    for (const auto& target : {scratch.Path() / L"\u65e5\\\u00e9t\u00e9\\Uptrail.txt", shared}) {
        SCOPED_TRACE(target.wstring());
        EXPECT_TRUE(CopyLogFile(files, source, target));
        std::string contents;
        EXPECT_EQ(files.ReadWholeFile(target, contents), kOk);
        EXPECT_EQ(contents, "[Log]\r\n");
        EXPECT_EQ(files.GetAttributes(target).value_or(0) & kProtective, kReadOnlySystem);
    }
    EXPECT_EQ(files.GetAttributes(source).value_or(0) & kProtective, kReadOnlySystem);
}

}  // namespace
}  // namespace uptrail
