#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/image.h"

namespace uptrail {

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

// The dial at `size` × `size` pixels with `hands` at their angles, the first
// `animationLevel` of them drawn, for screens where the notification area's icons are
// larger than 16 pixels. At 16 it is exactly ClockDial's picture; larger, it is drawn at
// that size with the same proportions and colours, its lines one pixel wide for every 16
// pixels of size, rather than a 16-pixel picture stretched.
Image RenderDial(int size, const std::array<ClockHand, 3>& hands, int animationLevel);

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

private:
    Image picture_;
    std::array<ClockHand, 3> hands_;
};

}  // namespace uptrail
