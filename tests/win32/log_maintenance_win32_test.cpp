#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/log_location.h"
#include "commands/log_maintenance.h"
#include "platform/text_encoding.h"
#include "support/fake_platform.h"
#include "support/memory_registry.h"
#include "win32/win32_file_system.h"
#include "support/temp_folder_win.h"

namespace uptrail {
namespace {

constexpr std::uint32_t kReadOnlySystem = file_attr::kReadOnly | file_attr::kSystem;

std::string ContentsOf(Win32FileSystem& files, const std::filesystem::path& path) {
    std::string contents;
    return files.ReadWholeFile(path, contents) == kOk ? contents : "(unreadable)";
}

std::uint32_t ProtectiveBitsOf(Win32FileSystem& files, const std::filesystem::path& path) {
    return files.GetAttributes(path).value_or(0) & file_attr::kProtective;
}

void WriteLog(Win32FileSystem& files, const std::filesystem::path& path, std::string_view text,
              std::uint32_t attributes) {
    ASSERT_EQ(files.WriteNewFile(path, text), kOk);
    ASSERT_EQ(files.SetAttributes(path, attributes), kOk);
}

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
        WriteLog(files, source, "[Log]\r\n", kReadOnlySystem);
        if (c.protectedTargetThere) {
            std::filesystem::create_directories(target.parent_path());
            WriteLog(files, target, "old", kReadOnlySystem | file_attr::kHidden);
        }

        EXPECT_TRUE(CopyLogFile(files, source, target));

        EXPECT_EQ(ContentsOf(files, target), "[Log]\r\n");
        EXPECT_EQ(ProtectiveBitsOf(files, target), kReadOnlySystem);
        EXPECT_EQ(ProtectiveBitsOf(files, source), kReadOnlySystem);
    }
}

TEST(LogFolderOnWindows, MovesTheLogIntoAChosenFolderWithANonAsciiName) {
    testing::TempFolder scratch;
    Win32FileSystem files;
    testing::MemoryRegistry registry;
    testing::FakeClock clock;
    testing::FakeSystemInfo system;
    testing::FakeTrayIcon tray;
    testing::FakeMainWindow window;
    testing::FakeDesktop desktop;
    testing::FakeLocale locale;
    testing::FakeHttpClient http;
    MainContext context{{clock, files, registry, system, tray, window, desktop, locale, http}, {}};
    const auto oldLog = scratch.Path() / L"Uptrail.txt";
    WriteLog(files, oldLog, "[Log]\r\n", kReadOnlySystem);
    system.programFolder = scratch.Path();
    context.state.logFile = oldLog;
    const auto chosen = scratch.Path() / L"Journal \u00e9t\u00e9";
    std::filesystem::create_directory(chosen);
    // The shell's chooser may end the folder with a backslash.
    desktop.chosenFolder = std::filesystem::path(chosen.native() + L"\\");

    OnRightFolderClick(context);

    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_EQ(context.state.logFile, chosen / L"Uptrail.txt");
    EXPECT_EQ(ContentsOf(files, context.state.logFile), "[Log]\r\n");
    EXPECT_EQ(ProtectiveBitsOf(files, context.state.logFile), kReadOnlySystem);
    const auto stored = registry.Stored(
        {RegistryRoot::kLocalMachine, "SOFTWARE\\Tamsk\\Uptrail", RegistryView::k64Bit},
        "LogFolder");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->data.substr(0, stored->data.find('\0')), AnsiFromPath(chosen));
    EXPECT_EQ(PathFromAnsi(AnsiFromPath(chosen)), chosen) << "the next start finds it again";
}

}  // namespace
}  // namespace uptrail
