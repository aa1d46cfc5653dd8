#pragma once
#include <cstdint>

namespace uptrail {

// Error numbers as the operating system reports them (Win32 error codes), so that a
// caller can show the platform's own message for them. 0 means success.
using OsError = std::uint32_t;

inline constexpr OsError kOk = 0;
inline constexpr OsError kErrorFileNotFound = 2;
inline constexpr OsError kErrorPathNotFound = 3;
inline constexpr OsError kErrorAccessDenied = 5;
inline constexpr OsError kErrorWriteFault = 29;
inline constexpr OsError kErrorSharingViolation = 32;
inline constexpr OsError kErrorLockViolation = 33;
inline constexpr OsError kErrorMoreData = 234;

inline bool IsNotFound(OsError error) {
    return error == kErrorFileNotFound || error == kErrorPathNotFound;
}

}  // namespace uptrail
