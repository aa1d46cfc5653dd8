#include "win32/clock_icon.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <vector>

namespace uptrail {
namespace {

constexpr int kIconSize = 32;
constexpr std::uint32_t kMaskTransparent = 0xFFFFFF;  // a set mask bit reads as white

// The pixels of a bitmap as 0x00RRGGBB, top row first.
std::vector<std::uint32_t> ReadPixels(HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width * height));
    HDC dc = CreateCompatibleDC(nullptr);
    const int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info,
                               DIB_RGB_COLORS);
    DeleteDC(dc);
    EXPECT_EQ(rows, height);
    for (auto& pixel : pixels) pixel &= 0xFFFFFF;
    return pixels;
}

struct IconPlanes {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> color;
    std::vector<std::uint32_t> mask;

    std::uint32_t Color(int x, int y) const {
        return color[static_cast<std::size_t>(y * width + x)];
    }
    bool Transparent(int x, int y) const {
        return mask[static_cast<std::size_t>(y * width + x)] == kMaskTransparent;
    }
};

IconPlanes ReadIcon(HICON icon) {
    ICONINFO info{};
    IconPlanes planes;
    if (!GetIconInfo(icon, &info)) {
        ADD_FAILURE() << "not an icon";
        return planes;
    }
    EXPECT_TRUE(info.fIcon);
    BITMAP mask{};
    GetObjectW(info.hbmMask, sizeof mask, &mask);
    planes.width = mask.bmWidth;
    planes.height = mask.bmHeight;
    EXPECT_NE(info.hbmColor, nullptr) << "a colour icon, not a monochrome one";
    if (info.hbmColor) {
        planes.color = ReadPixels(info.hbmColor, planes.width, planes.height);
        DeleteObject(info.hbmColor);
    }
    planes.mask = ReadPixels(info.hbmMask, planes.width, planes.height);
    DeleteObject(info.hbmMask);
    return planes;
}

bool IsIcon(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return false;
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    return true;
}

TEST(ClockIcon, IsTheDialAtIconSizeWithTransparentCornersAndAnOpaqueFace) {
    ClockDial dial;
    dial.Tick(3, 0, 0, 3);
    ClockIcon clock;
    const HICON icon = clock.Update(dial, kIconSize);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(clock.Current(), icon);

    const IconPlanes planes = ReadIcon(icon);
    ASSERT_EQ(planes.width, kIconSize);
    ASSERT_EQ(planes.height, kIconSize);
    ASSERT_FALSE(planes.color.empty());
    // The corners, and just outside the ring's silver step at dial (2, 1).
    for (const POINT outside :
         {POINT{0, 0}, POINT{31, 0}, POINT{0, 31}, POINT{31, 31}, POINT{3, 2}}) {
        EXPECT_TRUE(planes.Transparent(outside.x, outside.y)) << outside.x << "," << outside.y;
        EXPECT_EQ(planes.Color(outside.x, outside.y), 0u) << "transparent is black in colour";
    }
    const struct {
        POINT at;
        std::uint32_t color;
    } opaque[] = {
        {{14, 14}, 0x000000},  // the centre, dial (7, 7)
        {{15, 15}, 0x000000},
        {{14, 0}, 0x000000},   // the ring at twelve
        {{4, 2}, 0xC0C0C0},    // the silver step, dial (2, 1)
        {{10, 10}, 0xFFFFFF},  // the face
        {{22, 14}, 0x000000},  // the hour hand's end at three, dial (11, 7)
        {{14, 2}, 0xFF0000},   // the second hand's end at twelve, dial (7, 1), red
    };
    for (const auto& [at, color] : opaque) {
        EXPECT_FALSE(planes.Transparent(at.x, at.y)) << at.x << "," << at.y;
        EXPECT_EQ(planes.Color(at.x, at.y), color) << at.x << "," << at.y;
    }
}

TEST(ClockIcon, EachUpdateDestroysThePreviousIconAndEveryBitmapItMade) {
    ClockDial dial;
    const HICON lastIcon = [&dial] {
        ClockIcon clock;
        HICON previous = nullptr;
        for (int second = 0; second < 120; ++second) {
            dial.Tick(10, second / 60, second % 60, 3);
            const HICON icon = clock.Update(dial, kIconSize);
            EXPECT_NE(icon, nullptr);
            EXPECT_TRUE(IsIcon(icon));
            if (previous) {
                EXPECT_FALSE(IsIcon(previous)) << "update " << second;
            }
            previous = icon;
        }
        const GdiTally& tally = clock.Tally();
        EXPECT_EQ(tally.iconsCreated, 120);
        EXPECT_EQ(tally.iconsDestroyed, 119);
        EXPECT_EQ(tally.bitmapsCreated, 240);
        EXPECT_EQ(tally.bitmapsDeleted, tally.bitmapsCreated);
        return previous;
    }();
    EXPECT_FALSE(IsIcon(lastIcon)) << "the owner's end destroys the current icon";
}

TEST(ClockIcon, ASizeNoIconCanHaveKeepsThePreviousIcon) {
    ClockDial dial;
    ClockIcon clock;
    const HICON icon = clock.Update(dial, kIconSize);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(clock.Update(dial, 0), nullptr);
    EXPECT_EQ(clock.Current(), icon);
    EXPECT_TRUE(IsIcon(icon));
}

}  // namespace
}  // namespace uptrail
