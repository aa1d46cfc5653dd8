#include "visuals/clock_dial.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace uptrail {
namespace {

ClockDial DialAt(int hour, int minute, int second, int animationLevel = 3) {
    ClockDial dial;
    dial.Tick(hour, minute, second, animationLevel);
    return dial;
}

// The icon, its second hand at twelve, is checked on Windows, and at 20 to 32 pixels, drawn
// at its size with a ring one pixel wide per 16, end to end at each resolution. The second
// hand is drawn last, so its end is always its own colour; the animation level is the
// number of hands.
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

}  // namespace
}  // namespace uptrail
