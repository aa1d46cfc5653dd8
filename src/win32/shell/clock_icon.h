#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "base/image.h"
#include "win32/platform/unique_handle.h"

namespace uptrail {

// What the clock icon has made and given back. GetGuiResources cannot be trusted to
// count for us everywhere we run, so the icon keeps its own tally; made and given back
// differ only by the one icon that is current.
struct GdiTally {
    int bitmapsCreated = 0;
    int bitmapsDeleted = 0;
    int iconsCreated = 0;
    int iconsDestroyed = 0;
};

// The tray clock as an icon. Owns the current icon handle: each Update makes a new one
// and destroys the one before, so one icon lives at any time.
class ClockIcon {
public:
    // Makes an icon of the picture stretched to iconSize × iconSize pixels, transparent where
    // the picture has the colour of its top-left pixel, and destroys the previous icon. The
    // handle returned stays owned by this object and valid until the next successful
    // Update or the object's end: give it to the window and the tray (which take copies
    // or references, never ownership) before anything repaints, and never destroy it.
    // When no icon can be made, answers nullptr and keeps the previous icon current.
    [[nodiscard]] HICON Update(const Image& picture, int iconSize);

    const GdiTally& Tally() const { return tally_; }

private:
    [[nodiscard]] UniqueIcon MakeIcon();
    [[nodiscard]] UniqueBitmap Counted(UniqueBitmap bitmap);
    void GiveBack(UniqueBitmap& bitmap);

    // Kept from tick to tick so that making an icon allocates nothing once the size is set.
    Image stretched_;
    std::vector<std::uint32_t> colorBits_;
    std::vector<std::uint8_t> maskBits_;

    UniqueIcon icon_;
    GdiTally tally_;
};

}  // namespace uptrail
