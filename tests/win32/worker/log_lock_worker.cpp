// A second program over the same log for the win32 tests: for the given seconds it adds
// lines "<tag>-<n>" to section "Lines" of the log, each as one change under the
// machine-wide lock, as every copy of Uptrail changes its log. Its exit code is the
// number of lines it added.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "sessionlog/session_log.h"
#include "storage/log_writer.h"
#include "win32/platform/machine_objects.h"
#include "win32/platform/win32_file_system.h"
#include "win32/platform/win32_machine_lock.h"

int wmain(int argc, wchar_t** argv) {
    using namespace uptrail;
    if (argc != 4) return -1;
    const std::filesystem::path logFile = argv[1];
    const std::string tag(argv[2], argv[2] + std::wcslen(argv[2]));
    const ULONGLONG until = GetTickCount64() + 1000 * std::wcstoul(argv[3], nullptr, 10);
    Win32FileSystem files;
    Win32MachineLock lock(kLogLockName);
    LogWriter writer(files, lock, GetCurrentProcessId());
    int added = 0;
    while (GetTickCount64() < until) {
        const std::string key = tag + "-" + std::to_string(added);
        const bool written = writer.Run(
            logFile, {{},
                      [&](FileSystem& staged) {
                          static_cast<void>(SetLogValue(staged, logFile, "Lines", key, "x"));
                      },
                      {}});
        if (!written) return -2;
        ++added;
    }
    return added;
}
