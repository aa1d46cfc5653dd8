#pragma once
#include <windows.h>

#include <string>

#include "win32/platform/unique_handle.h"

namespace uptrail {

// The machine-wide lock of the log, by name: a script or a backup tool that takes a mutex
// of this name waits for the program's writes, and they for it.
inline constexpr wchar_t kLogLockName[] = L"Global\\Tamsk.Uptrail.Log";

// The object by which a running copy in session <id> is known: this prefix and the id.
inline constexpr wchar_t kRunningCopyPrefix[] = L"Global\\Tamsk.Uptrail.Running.";

// Creates the named mutex, or opens it when another account's copy made it first. Its
// security descriptor lets every signed-in account (a standard user, an elevated setup,
// the system) open it and wait on it; without one, the first creator's default rights
// would keep the other accounts out. Null when neither works.
UniqueKernelHandle OpenSharedMutex(const std::wstring& name);

}  // namespace uptrail
