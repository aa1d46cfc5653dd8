#pragma once
#include <windows.h>

namespace uptrail {

// A function of user32.dll that newer versions of Windows have, or null. Through the
// generic function pointer type, which converts to any other without a warning.
template <typename Function>
Function User32Function(const char* name) {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Function>(
                        reinterpret_cast<void (*)()>(GetProcAddress(user32, name)))
                  : nullptr;
}

}  // namespace uptrail
