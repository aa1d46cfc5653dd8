// The machine-wide lock and the log writer on the real file system: two processes adding
// lines to one log at once, and a log that another handle holds open.
#include <windows.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "sessionlog/session_log.h"
#include "storage/log_writer.h"
#include "storage/section_file.h"
#include "support/temp_folder_win.h"
#include "win32/platform/machine_objects.h"
#include "win32/platform/unique_handle.h"
#include "win32/platform/win32_file_system.h"
#include "win32/platform/win32_machine_lock.h"

namespace uptrail {
namespace {

using ::testing::HasSubstr;

UniqueKernelHandle StartWorker(const std::filesystem::path& log, const std::wstring& tag) {
    const auto worker = testing::TestProgramFolder() / L"log_lock_worker.exe";
    std::wstring commandLine =
        L"\"" + worker.wstring() + L"\" \"" + log.wstring() + L"\" " + tag + L" 4";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return {};
    CloseHandle(process.hThread);
    return UniqueKernelHandle(process.hProcess);
}

LogChange AddLine(const std::filesystem::path& log, std::string key) {
    return {{},
            [log, key](FileSystem& staged) {
                static_cast<void>(SetLogValue(staged, log, "Lines", key, "x"));
            },
            {}};
}

TEST(LogLockWin32, TwoProcessesAddingLinesUnderTheLockLoseNone) {
    testing::TempFolder folder;
    const auto log = folder.Path() / L"Uptrail.txt";
    UniqueKernelHandle first = StartWorker(log, L"a");
    UniqueKernelHandle second = StartWorker(log, L"b");
    ASSERT_TRUE(first && second);
    for (HANDLE process : {first.get(), second.get()})
        ASSERT_EQ(WaitForSingleObject(process, 60000), WAIT_OBJECT_0);

    Win32FileSystem files;
    const std::string lines = LoadSection(files, log, "Lines").text;
    for (const auto& [process, tag] : {std::pair{first.get(), "a"}, std::pair{second.get(), "b"}}) {
        DWORD added = 0;
        ASSERT_TRUE(GetExitCodeProcess(process, &added));
        ASSERT_GT(static_cast<int>(added), 10) << tag;
        for (DWORD n = 0; n < added; ++n)
            EXPECT_THAT(lines, HasSubstr(std::string(tag) + "-" + std::to_string(n) + "=x"))
                << tag << n;
    }
    EXPECT_TRUE(files.FilesStartingWith(log.wstring() + L".uptrail-new").empty());
}

// Another program holds the log open (a scanner, a backup): the replace is refused. Let go
// within the retries, the change is written at once; held longer, it is kept and written
// once the handle is closed.
TEST(LogLockWin32, ALogHeldOpenIsWrittenOnceTheHandleCloses) {
    testing::TempFolder folder;
    const auto log = folder.Path() / L"Uptrail.txt";
    Win32FileSystem files;
    ASSERT_EQ(files.WriteNewFile(log, "[Lines]\r\nold=x\r\n"), kOk);
    Win32MachineLock lock(kLogLockName);
    LogWriter writer(files, lock, GetCurrentProcessId());
    const auto holdOpen = [&] {
        return UniqueFile(CreateFileW(log.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    };

    UniqueFile briefly = holdOpen();
    ASSERT_TRUE(briefly);
    std::thread closer([&] {
        Sleep(300);
        briefly.reset();
    });
    EXPECT_TRUE(writer.Run(log, AddLine(log, "soon")));
    closer.join();

    UniqueFile held = holdOpen();
    EXPECT_FALSE(writer.Run(log, AddLine(log, "later")));
    held.reset();
    EXPECT_TRUE(writer.RetryPending(log));
    EXPECT_EQ(LoadSection(files, log, "Lines").text, "old=x\r\nsoon=x\r\nlater=x");
}

}  // namespace
}  // namespace uptrail
