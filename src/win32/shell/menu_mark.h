#pragma once
#include <windows.h>

#include "win32/platform/unique_handle.h"

namespace uptrail {

// An icon as a menu item's picture: a 32-bit bitmap with premultiplied alpha, `size`
// pixels square, which the menu blends onto its own background, light or dark. Null when
// the bitmap cannot be made.
[[nodiscard]] UniqueBitmap MenuMarkBitmap(HICON icon, int size);

}  // namespace uptrail
