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

// Where a dial of any size has its centre, ring and hands: the 16-pixel dial's geometry
// (centre pixel 7, ring of radius 7, a hand's length in units of 8 pixels) scaled.
struct DialGeometry {
    explicit DialGeometry(int pixels)
        : size(pixels),
          centre((pixels - 1) / 2),
          lineWidth(std::max(1, pixels / ClockDial::kSize)) {}

    Point End(std::int16_t angle, float length) const {
        const double radians = angle * kRadiansPerDegree;
        const double reach = kPixelsPerLengthUnit * length * centre / ClockDial::kCentre;
        return {RoundHalfToEven(centre + reach * std::cos(radians)),
                RoundHalfToEven(centre - reach * std::sin(radians))};
    }

    int size;
    int centre;  // the centre pixel, and the ring's radius
    int lineWidth;
};

// A line `width` pixels wide: a square of that side at each point of the thin line.
void DrawWideLine(Image& image, Point from, Point to, Color color, int width) {
    if (width == 1) return DrawLine(image, from, to, color);
    Image line(image.Width(), image.Height(), kMagenta);
    DrawLine(line, from, to, color);
    const int before = (width - 1) / 2;
    for (int y = 0; y < line.Height(); ++y)
        for (int x = 0; x < line.Width(); ++x)
            if (line.At(x, y) == color)
                for (int dy = -before; dy < width - before; ++dy)
                    for (int dx = -before; dx < width - before; ++dx)
                        image.Set(x + dx, y + dy, color);
}

// The face at a size other than 16: a ring `lineWidth` thick around a white inside, its
// outer edge softened by grey and then silver where a pixel is only partly covered.
Image MakeFace(const DialGeometry& dial) {
    constexpr double kGreyBand = 0.45;
    constexpr double kSilverBand = 0.8;
    Image face(dial.size, dial.size, kMagenta);
    const double outer = dial.centre + 0.5;
    // Like the 16-pixel face, the dial keeps to the square around its centre; what is
    // left of an even size stays transparent on the right and at the bottom.
    const int extent = 2 * dial.centre + 1;
    for (int y = 0; y < extent; ++y) {
        for (int x = 0; x < extent; ++x) {
            const double distance = std::hypot(x - dial.centre, y - dial.centre);
            if (distance <= outer - dial.lineWidth)
                face.Set(x, y, kWhite);
            else if (distance <= outer)
                face.Set(x, y, kBlack);
            else if (distance <= outer + kGreyBand)
                face.Set(x, y, kGrey);
            else if (distance <= outer + kSilverBand)
                face.Set(x, y, kSilver);
        }
    }
    return face;
}

}  // namespace

Image RenderDial(int size, const std::array<ClockHand, 3>& hands, int animationLevel) {
    const DialGeometry dial(size);
    Image picture = size == ClockDial::kSize ? ClockDial::Face() : MakeFace(dial);
    const Point centre{dial.centre, dial.centre};
    const auto drawn =
        static_cast<std::size_t>(std::clamp(animationLevel, 0, static_cast<int>(hands.size())));
    for (std::size_t i = 0; i < drawn; ++i)
        DrawWideLine(picture, centre, dial.End(hands[i].angle, hands[i].length), hands[i].color,
                     dial.lineWidth);
    DrawWideLine(picture, centre, centre, hands[ClockDial::kHourHand].color, dial.lineWidth);
    return picture;
}

Point HandEnd(std::int16_t angle, float length) {
    return DialGeometry(ClockDial::kSize).End(angle, length);
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
