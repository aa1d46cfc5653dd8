#include "base/image.h"

#include <algorithm>

namespace uptrail {

Image::Image(int width, int height, Color fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill) {}

void StretchInto(const Image& source, Image& target) {
    if (source.Width() == 0 || source.Height() == 0) return;
    for (int y = 0; y < target.Height(); ++y) {
        const int sourceY = y * source.Height() / target.Height();
        for (int x = 0; x < target.Width(); ++x)
            target.Set(x, y, source.At(x * source.Width() / target.Width(), sourceY));
    }
}

bool IsTransparent(const Image& image, int x, int y) {
    return image.Width() > 0 && image.Height() > 0 && image.At(x, y) == image.At(0, 0);
}

}  // namespace uptrail
