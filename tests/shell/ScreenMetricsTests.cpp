// Pixel scaling from the 96 dpi design grid to the screen.
#include "shell/ScreenMetrics.h"

#include <gtest/gtest.h>

namespace {

TEST(ScalePx, RoundsHalfUpAtThePhoneResolutions) {
    struct Case {
        int n, dpi, expected;
    };
    for (const Case& c :
         {Case{2, 96, 2}, Case{1, 131, 1}, Case{2, 131, 3}, Case{1, 144, 2}, Case{26, 192, 52}})
        EXPECT_EQ(ScalePx(c.n, c.dpi), c.expected) << c.n << " px at " << c.dpi << " dpi";
}

} // namespace
