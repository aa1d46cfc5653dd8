#pragma once
#include <windows.h>

#include <cstdint>
#include <utility>

namespace uptrail {

// Owns one Win32 handle and closes it with `Close` when it goes or is replaced. Move-only,
// so a handle has one owner and is closed once, on every path out of a function.
// `Invalid` is the value that stands for no handle: 0 for most kinds, -1 for the
// INVALID_HANDLE_VALUE of CreateFile (a number, because a template argument cannot be a
// pointer made by a cast). The members are named as std::unique_ptr's, which they mirror.
template <typename Handle, auto Close, std::intptr_t Invalid = 0>
class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    [[nodiscard]] Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != None(); }

    // Gives the handle up unclosed, to an owner that closes it another way (the system,
    // as a rule); a handle released and then dropped would leak.
    [[nodiscard]] Handle release() noexcept { return std::exchange(handle_, None()); }

    // Closes the handle held so far, if any, and holds `handle` from now on. True when a
    // handle was closed, so that an owner can count what it really gave back.
    bool reset(Handle handle = None()) noexcept {
        const Handle previous = std::exchange(handle_, handle);
        return previous != None() && Close(previous);
    }

    // Where a function hands a new handle back through a pointer: the one held so far is
    // closed first, so the function's answer cannot overwrite a live handle.
    [[nodiscard]] Handle* put() noexcept {
        reset();
        return &handle_;
    }

private:
    static Handle None() noexcept {
        if constexpr (Invalid == 0)
            return nullptr;
        else
            return reinterpret_cast<Handle>(Invalid);
    }

    Handle handle_ = None();
};

namespace unique_handle_detail {

// RegCloseKey answers with an error code where the other closing functions answer TRUE.
inline BOOL CloseKey(HKEY key) noexcept { return RegCloseKey(key) == ERROR_SUCCESS; }

}  // namespace unique_handle_detail

using UniqueKey = UniqueHandle<HKEY, unique_handle_detail::CloseKey>;
// CreateFile answers INVALID_HANDLE_VALUE when it fails.
using UniqueFile = UniqueHandle<HANDLE, CloseHandle, -1>;
// A folder search of FindFirstFile, which answers INVALID_HANDLE_VALUE when it fails.
using UniqueFindHandle = UniqueHandle<HANDLE, FindClose, -1>;
// Processes, threads, events and the other kernel objects that fail with nullptr.
using UniqueKernelHandle = UniqueHandle<HANDLE, CloseHandle>;

// Bitmaps, fonts, brushes: what DeleteObject gives back.
template <typename GdiObject>
using UniqueGdiObject = UniqueHandle<GdiObject, DeleteObject>;
using UniqueBitmap = UniqueGdiObject<HBITMAP>;
using UniqueFont = UniqueGdiObject<HFONT>;
// A device context made by CreateCompatibleDC; one from GetDC goes back with ReleaseDC.
using UniqueMemoryDc = UniqueHandle<HDC, DeleteDC>;
// Destroying a menu destroys its submenus.
using UniqueMenu = UniqueHandle<HMENU, DestroyMenu>;
// An icon the program made or loaded unshared; shared ones (LoadIcon) are never destroyed.
using UniqueIcon = UniqueHandle<HICON, DestroyIcon>;

}  // namespace uptrail
