#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
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

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

// One hand of the clock: its colour, its length in units of 8 pixels and the angle it
// was last drawn at, in degrees counter-clockwise from three o'clock.
struct ClockHand {
    Color color = kBlack;
    float length = 0;
    std::int16_t angle = 0;
};

// Where a hand of `length` at `angle` ends on the 16 × 16 dial.
Point HandEnd(std::int16_t angle, float length);

// Draws a one-pixel line from the dial's centre to HandEnd(angle, length), both ends
// included, in `color`; without a colour in the face's white, which erases a hand drawn
// earlier at the same angle and length.
void DrawHand(Image& dial, std::int16_t angle, float length,
              std::optional<Color> color = std::nullopt);

// The tray clock: a 16 × 16 dial with hour, minute and second hands, redrawn once a
// second. It keeps what it drew, so each tick first erases the hands where they were.
class ClockDial {
public:
    static constexpr int kSize = 16;
    static constexpr int kCentre = 7;
    enum HandIndex { kHourHand, kMinuteHand, kSecondHand };

    ClockDial();

    // The face without hands: white inside a black ring with grey and silver where the
    // ring steps, magenta (the transparent colour) outside, a black centre pixel.
    static const Image& Face();

    // Erases all three hands, stores their angles for the time of day (hour 0 to 23)
    // and draws the first `animationLevel` of them (hour, minute, second).
    void Tick(int hour, int minute, int second, int animationLevel);

    const Image& Picture() const { return picture_; }
    const std::array<ClockHand, 3>& Hands() const { return hands_; }

    // The dial stretched to a square icon of `size` pixels.
    Image StretchTo(int size) const;

private:
    Image picture_;
    std::array<ClockHand, 3> hands_;
};

}  // namespace uptrail
