#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "commands/log_maintenance.h"
#include "support/temp_folder_win.h"
#include "win32/win32_file_system.h"

namespace uptrail {
namespace {

using file_attr::kProtective;
constexpr std::uint32_t kReadOnlySystem = file_attr::kReadOnly | file_attr::kSystem;

TEST(CopyLogFileOnWindows, KeepsReadOnlyAndSystemAndReachesAnyFolder) {
    struct Case {
        const char* name;
        std::filesystem::path targetFolder;  // below the scratch folder
        bool protectedTargetThere;
    };
    const Case cases[] = {
        {"into new folders with non-ASCII names", std::filesystem::path(L"\u65e5\u672c") / L"\u00e9t\u00e9", false},
        {"over a read-only system hidden file", L"Shared", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempFolder scratch;
        Win32FileSystem files;
        const auto source = scratch.Path() / L"Uptrail.txt";
        const auto target = scratch.Path() / c.targetFolder / L"Uptrail.txt";
        ASSERT_EQ(files.WriteNewFile(source, "[Log]\r\n"), kOk);
        ASSERT_EQ(files.SetAttributes(source, kReadOnlySystem), kOk);
        if (c.protectedTargetThere) {
            std::filesystem::create_directories(target.parent_path());
            ASSERT_EQ(files.WriteNewFile(target, "old"), kOk);
            ASSERT_EQ(files.SetAttributes(target, kReadOnlySystem | file_attr::kHidden), kOk);
        }

        EXPECT_TRUE(CopyLogFile(files, source, target));

        std::string contents;
        EXPECT_EQ(files.ReadWholeFile(target, contents), kOk);
        EXPECT_EQ(contents, "[Log]\r\n");
        EXPECT_EQ(files.GetAttributes(target).value_or(0) & kProtective, kReadOnlySystem);
        EXPECT_EQ(files.GetAttributes(source).value_or(0) & kProtective, kReadOnlySystem);
    }
}

}  // namespace
}  // namespace uptrail
