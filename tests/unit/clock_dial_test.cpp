#include "visuals/clock_dial.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace uptrail {
namespace {

constexpr int kAllHands = 3;

struct TimeOfDay {
    int hour;
    int minute;
    int second;
};

ClockDial DialAt(TimeOfDay time, int animationLevel = kAllHands) {
    ClockDial dial;
    dial.Tick(time.hour, time.minute, time.second, animationLevel);
    return dial;
}

int CountPixels(const Image& image, Color color) {
    return static_cast<int>(std::count(image.Pixels().begin(), image.Pixels().end(), color));
}

TEST(ClockDial, HandsTakeTheAnglesOfTheTimeOfDayAndEndWhereTheyPoint) {
    const struct {
        TimeOfDay time;
        std::int16_t hour;
        Point hourEnd;
        std::int16_t minute;
        Point minuteEnd;
        std::int16_t second;
        Point secondEnd;
    } cases[] = {
        {{3, 0, 0}, 0, {11, 7}, 90, {7, 2}, 90, {7, 1}},
        {{15, 0, 0}, -360, {11, 7}, 90, {7, 2}, 90, {7, 1}},
        {{6, 30, 15}, -105, {6, 11}, -90, {7, 12}, 0, {13, 7}},
        {{23, 59, 59}, -630, {7, 3}, -264, {6, 2}, -264, {6, 1}},
    };
    for (const auto& c : cases) {
        const ClockDial dial = DialAt(c.time);
        const auto& hands = dial.Hands();
        SCOPED_TRACE(testing::Message()
                     << c.time.hour << ":" << c.time.minute << ":" << c.time.second);
        EXPECT_EQ(hands[ClockDial::kHourHand].angle, c.hour);
        EXPECT_EQ(hands[ClockDial::kMinuteHand].angle, c.minute);
        EXPECT_EQ(hands[ClockDial::kSecondHand].angle, c.second);
        EXPECT_EQ(HandEnd(c.hour, 0.5f), c.hourEnd);
        EXPECT_EQ(HandEnd(c.minute, 0.625f), c.minuteEnd);
        EXPECT_EQ(HandEnd(c.second, 0.75f), c.secondEnd);
        // The second hand is drawn last, so its end is always its own colour.
        EXPECT_EQ(dial.Picture().At(c.secondEnd.x, c.secondEnd.y), kRed);
    }
    // Where the hands do not cross, each end shows its own hand.
    const ClockDial half = DialAt({6, 30, 15});
    EXPECT_EQ(half.Picture().At(6, 11), kBlack);
    EXPECT_EQ(half.Picture().At(7, 12), kBlue);
}

TEST(ClockDial, TheHourAngleRoundsHalfDegreesToTheEvenNeighbour) {
    const struct {
        TimeOfDay time;
        std::int16_t angle;
    } cases[] = {
        {{3, 1, 0}, 0}, {{3, 7, 0}, -4}, {{0, 1, 0}, 90}, {{0, 3, 0}, 88},  // -0.5 -3.5 89.5 88.5
        {{3, 6, 0}, -3},                                                    // whole
    };
    for (const auto& [time, angle] : cases)
        EXPECT_EQ(DialAt(time).Hands()[ClockDial::kHourHand].angle, angle)
            << time.hour << ":" << time.minute;
}

TEST(ClockDial, EachHandIsAOnePixelLineFromTheCentreToItsEnd) {
    for (const float length : {0.5f, 0.625f, 0.75f}) {
        for (int angle = 90; angle > 90 - 360; angle -= 6) {
            Image dial = ClockDial::Face();
            DrawHand(dial, static_cast<std::int16_t>(angle), length, kRed);
            const Point end = HandEnd(static_cast<std::int16_t>(angle), length);
            const int span = std::max(std::abs(end.x - 7), std::abs(end.y - 7));
            SCOPED_TRACE(testing::Message() << "angle " << angle << ", length " << length);
            EXPECT_EQ(dial.At(7, 7), kRed);
            EXPECT_EQ(dial.At(end.x, end.y), kRed);
            EXPECT_EQ(CountPixels(dial, kRed), span + 1);
        }
    }
}

TEST(ClockDial, TheAnimationLevelIsTheNumberOfHandsDrawn) {
    const TimeOfDay time{6, 30, 15};
    const struct {
        int level;
        bool hour, minute, second;
    } cases[] = {
        {1, true, false, false},
        {2, true, true, false},
        {3, true, true, true},
    };
    for (const auto& c : cases) {
        const Image picture = DialAt(time, c.level).Picture();
        SCOPED_TRACE(testing::Message() << "level " << c.level);
        EXPECT_EQ(picture.At(6, 11) == kBlack, c.hour);
        EXPECT_EQ(CountPixels(picture, kBlue) > 0, c.minute);
        EXPECT_EQ(CountPixels(picture, kRed) > 0, c.second);
    }
}

// A dial that has ticked for a long time must look exactly like one that ticked once at
// the same time: nothing left over from earlier hands, nothing of the face rubbed out.
TEST(ClockDial, ErasingTheHandsLeavesACleanFaceAcrossAWholeDay) {
    ClockDial running;
    int mismatches = 0;
    for (int tick = 0; tick < 24 * 3600 && mismatches < 5; ++tick) {
        const TimeOfDay time{tick / 3600, tick / 60 % 60, tick % 60};
        // Switching the animation off and on drops the second and minute hands on the way.
        const int level = tick % 1000 == 500 ? 1 : tick % 1000 == 501 ? 2 : kAllHands;
        running.Tick(time.hour, time.minute, time.second, level);
        if (running.Picture() != DialAt(time, level).Picture()) {
            ++mismatches;
            ADD_FAILURE() << "dirty face at " << time.hour << ":" << time.minute << ":"
                          << time.second;
        }
    }
    // And the hands only ever cover white face: everything else is untouched.
    const Image& picture = running.Picture();
    const Image& face = ClockDial::Face();
    for (int y = 0; y < ClockDial::kSize; ++y) {
        for (int x = 0; x < ClockDial::kSize; ++x) {
            if (picture.At(x, y) != face.At(x, y)) {
                EXPECT_EQ(face.At(x, y), kWhite) << "at " << x << "," << y;
            }
        }
    }
}

TEST(ClockDial, TheFaceIsASymmetricCircleWithTransparentCorners) {
    const Image& face = ClockDial::Face();
    ASSERT_EQ(face.Width(), 16);
    ASSERT_EQ(face.Height(), 16);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(face.At(15, i), kMagenta) << "column 15, row " << i;
        EXPECT_EQ(face.At(i, 15), kMagenta) << "row 15, column " << i;
    }
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 15; ++x) {
            EXPECT_EQ(face.At(x, y), face.At(14 - x, y)) << x << "," << y;
            EXPECT_EQ(face.At(x, y), face.At(y, x)) << x << "," << y;
        }
    }
    for (const Point corner : {Point{0, 0}, Point{14, 0}, Point{0, 14}, Point{14, 14}})
        EXPECT_TRUE(IsTransparent(face, corner.x, corner.y)) << corner.x << "," << corner.y;
    for (const Point ring : {Point{7, 0}, Point{0, 7}, Point{14, 7}, Point{7, 14}, Point{7, 7}}) {
        EXPECT_EQ(face.At(ring.x, ring.y), kBlack) << ring.x << "," << ring.y;
        EXPECT_FALSE(IsTransparent(face, ring.x, ring.y)) << ring.x << "," << ring.y;
    }
    EXPECT_EQ(face.At(7, 6), kWhite);
    EXPECT_GT(CountPixels(face, kGrey), 0);
    EXPECT_GT(CountPixels(face, kSilver), 0);
    EXPECT_EQ(CountPixels(face, kBlack) + CountPixels(face, kGrey) + CountPixels(face, kSilver) +
                  CountPixels(face, kWhite) + CountPixels(face, kMagenta),
              16 * 16);
}

TEST(ClockDial, StretchingToTheIconSizeRepeatsEachPixel) {
    const ClockDial dial = DialAt({6, 30, 15});
    const Image& picture = dial.Picture();

    const Image doubled = dial.StretchTo(32);
    ASSERT_EQ(doubled.Width(), 32);
    ASSERT_EQ(doubled.Height(), 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(doubled.At(x, y), picture.At(x / 2, y / 2)) << x << "," << y;
    }
    EXPECT_TRUE(IsTransparent(doubled, 31, 31));
    EXPECT_FALSE(IsTransparent(doubled, 14, 14)) << "the centre";
    EXPECT_FALSE(IsTransparent(doubled, 15, 15)) << "the centre";

    EXPECT_EQ(dial.StretchTo(16), picture);
    // At a size that is no multiple of 16 the last row and column still come from the last.
    const Image odd = dial.StretchTo(20);
    EXPECT_EQ(odd.At(19, 19), picture.At(15, 15));
    EXPECT_EQ(odd.At(9, 9), picture.At(7, 7));
    EXPECT_EQ(dial.StretchTo(0).Pixels().size(), 0u);
}

}  // namespace
}  // namespace uptrail
