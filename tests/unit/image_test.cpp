#include "base/image.h"

#include <gtest/gtest.h>

namespace uptrail {
namespace {

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
