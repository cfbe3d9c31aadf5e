// Pixel scaling from the 96 dpi design grid to the screen.
#include "ui/ScreenMetrics.h"

#include <gtest/gtest.h>

namespace {

TEST(ScalePx, RoundsHalfUpAtThePhoneResolutions) {
    EXPECT_EQ(ScalePx(2, 96), 2);
    EXPECT_EQ(ScalePx(1, 131), 1);
    EXPECT_EQ(ScalePx(2, 131), 3);
}

} // namespace
