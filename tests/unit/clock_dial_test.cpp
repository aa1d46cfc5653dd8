#include "visuals/clock_dial.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace uptrail {
namespace {

ClockDial DialAt(int hour, int minute, int second, int animationLevel = 3) {
    ClockDial dial;
    dial.Tick(hour, minute, second, animationLevel);
    return dial;
}

// The icon, its second hand at twelve, is checked on Windows. The second hand is drawn
// last, so its end is always its own colour; the animation level is the number of hands.
TEST(ClockDial, EachHandEndsWhereTheTimeOfDayPointsInItsOwnColour) {
    EXPECT_EQ(DialAt(3, 0, 0).Picture().At(11, 7), kBlack);
    EXPECT_EQ(DialAt(15, 0, 0).Picture(), DialAt(3, 0, 0).Picture());
    const Image halfPastSix = DialAt(6, 30, 15).Picture();
    EXPECT_EQ(halfPastSix.At(6, 11), kBlack);
    EXPECT_EQ(halfPastSix.At(7, 12), kBlue);
    EXPECT_EQ(halfPastSix.At(13, 7), kRed);
    EXPECT_EQ(std::ranges::count(DialAt(6, 30, 15, 2).Picture().Pixels(), kRed), 0);
    EXPECT_EQ(std::ranges::count(DialAt(6, 30, 15, 1).Picture().Pixels(), kBlue), 0);
    EXPECT_EQ(DialAt(6, 30, 15, 1).Picture().At(6, 11), kBlack);
}

// A dial that has ticked for a long time must look exactly like one that ticked once at
// the same time, and like the icon drawn afresh from its hands at 16 pixels: nothing left
// over from earlier hands, nothing of the face rubbed out. Switching the animation off and
// on drops the second and minute hands on the way.
TEST(ClockDial, ErasingTheHandsLeavesACleanFaceAcrossAWholeDay) {
    ClockDial running;
    for (int tick = 0; tick < 24 * 3600; ++tick) {
        const int level = tick % 1000 == 500 ? 1 : tick % 1000 == 501 ? 2 : tick % 7 ? 3 : 0;
        running.Tick(tick / 3600, tick / 60 % 60, tick % 60, level);
        const ClockDial fresh = DialAt(tick / 3600, tick / 60 % 60, tick % 60, level);
        ASSERT_TRUE(running.Picture() == fresh.Picture()) << "dirty face at second " << tick;
        ASSERT_TRUE(tick % 7 != 0 ||
                    RenderDial(ClockDial::kSize, running.Hands(), level) == running.Picture())
            << "rendered afresh at second " << tick << ", level " << level;
    }
    const Image& face = ClockDial::Face();
    for (const Point corner : {Point{0, 0}, Point{14, 0}, Point{0, 14}, Point{15, 15}})
        EXPECT_TRUE(IsTransparent(face, corner.x, corner.y)) << corner.x << "," << corner.y;
}

// The icon's transparent colour is its top-left pixel's, wherever else it appears.
TEST(Image, IsTransparentWhereTheTopLeftPixelsColourIs) {
    Image image(3, 2, kMagenta);
    image.Set(1, 0, kBlue);
    EXPECT_TRUE(IsTransparent(image, 2, 1));
    EXPECT_FALSE(IsTransparent(image, 1, 0));
    image.Set(0, 0, kBlue);
    EXPECT_TRUE(IsTransparent(image, 1, 0));
    EXPECT_FALSE(IsTransparent(image, 2, 1));
    EXPECT_FALSE(IsTransparent(Image(), 0, 0));
}

struct Extent {
    int rows = 0;    // rows holding the colour
    int right = -1;  // its rightmost column
};

Extent ExtentOf(const Image& image, Color color) {
    Extent extent;
    for (int y = 0; y < image.Height(); ++y) {
        bool inRow = false;
        for (int x = 0; x < image.Width(); ++x) {
            if (image.At(x, y) != color) continue;
            inRow = true;
            extent.right = std::max(extent.right, x);
        }
        extent.rows += inRow;
    }
    return extent;
}

TEST(RenderDial, LargerDialsAreDrawnAtTheirSizeWithLinesOnePixelWidePer16) {
    // Fifteen seconds: the red second hand points straight to the right.
    const ClockDial dial = DialAt(10, 10, 15);
    const Extent small = ExtentOf(dial.Picture(), kRed);
    const double smallReach = (small.right - ClockDial::kCentre) / double{ClockDial::kCentre};
    for (const int size : {20, 24, 32, 48}) {
        const Image picture = RenderDial(size, dial.Hands(), 3);
        ASSERT_EQ(picture.Width(), size);
        ASSERT_EQ(picture.Height(), size);
        const int centre = (size - 1) / 2;
        const int lineWidth = std::max(1, size / 16);
        const Extent hand = ExtentOf(picture, kRed);
        EXPECT_EQ(hand.rows, lineWidth) << size;
        // The hand reaches as far out, in radii, as at 16 pixels, within a line's width.
        const double reach = (hand.right - centre) / double(centre);
        EXPECT_NEAR(reach, smallReach, double(lineWidth) / centre) << size;

        // The face alone is as round as at 16: mirrored left to right and top to bottom
        // (but for the hands' common start, a line's width square at the centre), with the
        // transparent corners and the ring's palette.
        const Image face = RenderDial(size, dial.Hands(), 0);
        for (int y = 0; y <= 2 * centre; ++y)
            for (int x = 0; x <= 2 * centre; ++x) {
                if (std::abs(x - centre) <= lineWidth && std::abs(y - centre) <= lineWidth)
                    continue;
                ASSERT_EQ(face.At(x, y), face.At(2 * centre - x, y))
                    << size << ": " << x << "," << y;
                ASSERT_EQ(face.At(x, y), face.At(x, 2 * centre - y))
                    << size << ": " << x << "," << y;
            }
        for (const Point corner : {Point{0, 0}, Point{size - 1, size - 1}, Point{0, size - 1}})
            EXPECT_TRUE(IsTransparent(face, corner.x, corner.y)) << size;
        for (const Color color : face.Pixels())
            EXPECT_TRUE(color == kBlack || color == kWhite || color == kGrey || color == kSilver ||
                        color == kMagenta)
                << size;
        // The ring is as thick as a line: the row through the centre enters it at 0.
        int ring = 0;
        while (face.At(ring, centre) == kBlack) ++ring;
        EXPECT_EQ(ring, lineWidth) << size;
    }
}

}  // namespace
}  // namespace uptrail
