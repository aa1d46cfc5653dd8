#include "visuals/clock_dial.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace uptrail {
namespace {

// A little under π/180. The hands have always been placed with this value, and a hand
// that lands on a different pixel at the same time of day would be a visible change.
constexpr double kRadiansPerDegree = 0.0174532;
// A hand's length is given in these units: one is the dial's radius, more or less.
constexpr double kPixelsPerLengthUnit = 8;

constexpr double kHandAtTwelve = 90;  // degrees from three o'clock
constexpr double kDegreesPerHour = 30;
constexpr double kDegreesPerMinute = 6;
constexpr double kDegreesPerSecond = 6;
// The hour hand moves on by one minute's step every 12 minutes.
constexpr double kMinutesPerHourHandStep = 12;

// The face, one letter a pixel: K black, g grey, s silver, W white, "." magenta. The ring
// is what a midpoint circle of radius 7 gives; grey and silver fill the outer corner of
// each of its steps so the edge reads as round rather than as stairs. They sit outside
// the ring because every pixel inside it is reached by some hand, and an erased hand must
// leave nothing but white behind.
constexpr std::array<std::string_view, ClockDial::kSize> kFaceRows{
    "....gKKKKKg.....", "..sKKWWWWWKKs...", ".sKWWWWWWWWWKs..", ".KWWWWWWWWWWWK..",
    "gKWWWWWWWWWWWKg.", "KWWWWWWWWWWWWWK.", "KWWWWWWWWWWWWWK.", "KWWWWWWKWWWWWWK.",
    "KWWWWWWWWWWWWWK.", "KWWWWWWWWWWWWWK.", "gKWWWWWWWWWWWKg.", ".KWWWWWWWWWWWK..",
    ".sKWWWWWWWWWKs..", "..sKKWWWWWKKs...", "....gKKKKKg.....", "................",
};

constexpr Color FaceColor(char letter) {
    switch (letter) {
    case 'K': return kBlack;
    case 'g': return kGrey;
    case 's': return kSilver;
    case 'W': return kWhite;
    default: return kMagenta;
    }
}

Image MakeFace() {
    Image face(ClockDial::kSize, ClockDial::kSize, kMagenta);
    for (int y = 0; y < ClockDial::kSize; ++y) {
        const std::string_view row = kFaceRows[static_cast<std::size_t>(y)];
        for (int x = 0; x < ClockDial::kSize; ++x)
            face.Set(x, y, FaceColor(row[static_cast<std::size_t>(x)]));
    }
    return face;
}

// Halves go to the even neighbour, whatever rounding mode the floating-point unit is in.
int RoundHalfToEven(double value) {
    const double below = std::floor(value);
    const double fraction = value - below;
    double rounded = below + 1;
    if (fraction < 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) == 0)) rounded = below;
    return static_cast<int>(rounded);
}

// Bresenham's line, both end points included.
void DrawLine(Image& image, Point from, Point to, Color color) {
    const int dx = std::abs(to.x - from.x);
    const int dy = -std::abs(to.y - from.y);
    const int stepX = from.x < to.x ? 1 : -1;
    const int stepY = from.y < to.y ? 1 : -1;
    int error = dx + dy;
    for (Point at = from;;) {
        image.Set(at.x, at.y, color);
        if (at == to) return;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            at.x += stepX;
        }
        if (twice <= dx) {
            error += dx;
            at.y += stepY;
        }
    }
}

}  // namespace

Point HandEnd(std::int16_t angle, float length) {
    const double radians = angle * kRadiansPerDegree;
    const double reach = kPixelsPerLengthUnit * length;
    return {RoundHalfToEven(ClockDial::kCentre + reach * std::cos(radians)),
            RoundHalfToEven(ClockDial::kCentre - reach * std::sin(radians))};
}

void DrawHand(Image& dial, std::int16_t angle, float length, std::optional<Color> color) {
    constexpr Point centre{ClockDial::kCentre, ClockDial::kCentre};
    DrawLine(dial, centre, HandEnd(angle, length), color.value_or(kWhite));
}

ClockDial::ClockDial()
    : picture_(Face()), hands_{{{kBlack, 0.5f, 0}, {kBlue, 0.625f, 0}, {kRed, 0.75f, 0}}} {}

const Image& ClockDial::Face() {
    static const Image face = MakeFace();
    return face;
}

void ClockDial::Tick(int hour, int minute, int second, int animationLevel) {
    for (const ClockHand& hand : hands_) DrawHand(picture_, hand.angle, hand.length);

    const double hourAngle = kHandAtTwelve - kDegreesPerHour * hour -
                             kDegreesPerMinute * (minute / kMinutesPerHourHandStep);
    hands_[kHourHand].angle = static_cast<std::int16_t>(RoundHalfToEven(hourAngle));
    hands_[kMinuteHand].angle =
        static_cast<std::int16_t>(kHandAtTwelve - kDegreesPerMinute * minute);
    hands_[kSecondHand].angle =
        static_cast<std::int16_t>(kHandAtTwelve - kDegreesPerSecond * second);

    const auto drawn =
        static_cast<std::size_t>(std::clamp(animationLevel, 0, static_cast<int>(hands_.size())));
    for (std::size_t i = 0; i < drawn; ++i)
        DrawHand(picture_, hands_[i].angle, hands_[i].length, hands_[i].color);
    // The hands all start on the centre; the hour hand's colour marks it whatever is drawn.
    picture_.Set(kCentre, kCentre, hands_[kHourHand].color);
}

}  // namespace uptrail
