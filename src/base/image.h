#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace uptrail {

// A colour as 0x00BBGGRR, red in the low byte, the way the system's colour values are.
using Color = std::uint32_t;

inline constexpr Color kBlack = 0x000000;
inline constexpr Color kWhite = 0xFFFFFF;
inline constexpr Color kGrey = 0x808080;
inline constexpr Color kSilver = 0xC0C0C0;
inline constexpr Color kMagenta = 0xFF00FF;
inline constexpr Color kBlue = 0xFF0000;
inline constexpr Color kRed = 0x0000FF;

// A picture of width × height colours, stored row by row from the top left.
class Image {
public:
    Image() = default;
    Image(int width, int height, Color fill);

    int Width() const { return width_; }
    int Height() const { return height_; }
    // (x, y) must lie inside the picture.
    Color At(int x, int y) const { return pixels_[Index(x, y)]; }
    // A point outside the picture is clipped away, as a drawing surface does.
    void Set(int x, int y, Color color) {
        if (x >= 0 && x < width_ && y >= 0 && y < height_) pixels_[Index(x, y)] = color;
    }
    const std::vector<Color>& Pixels() const { return pixels_; }

    bool operator==(const Image&) const = default;

private:
    std::size_t Index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(x);
    }

    int width_ = 0;
    int height_ = 0;
    std::vector<Color> pixels_;
};

// Copies `source` onto the whole of `target` at target's size, each target pixel taking
// the source pixel it falls on (no blending: the clock must stay crisp and the
// transparent colour must stay exactly itself). Reuses target's pixels, so repeated
// stretches to the same size allocate nothing.
void StretchInto(const Image& source, Image& target);

// The icon's transparency: wherever the picture has the colour of its top-left pixel.
// An empty picture has nothing transparent.
bool IsTransparent(const Image& image, int x, int y);

}  // namespace uptrail
