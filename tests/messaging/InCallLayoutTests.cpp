#include "companions/cprog/InCallLayout.h"

#include <gtest/gtest.h>

namespace {

bool Inside(const RECT& inner, int width, int height) {
    return inner.left >= 0 && inner.top >= 0 && inner.right <= width && inner.bottom <= height &&
           inner.left <= inner.right && inner.top <= inner.bottom;
}

bool Overlap(const RECT& a, const RECT& b) {
    RECT both;
    return IntersectRect(&both, &a, &b) != 0;
}

} // namespace

TEST(InCallLayout, FitsBelowTheStatusBarOfEveryScreenInBothOrientations) {
    // The client areas below the status bar (26 pixels at 96 dpi) of both phone screens, turned both ways,
    // and a screen too low for the lines above the button.
    const struct {
        int width, height, dpi;
    } screens[] = {{480, 588, 192}, {640, 428, 192}, {240, 294, 96}, {320, 214, 96}, {320, 90, 96}};
    for (const auto& screen : screens) {
        SCOPED_TRACE(testing::Message() << screen.width << "x" << screen.height << " at " << screen.dpi);
        const InCallLayout layout = LayOutInCall(screen.width, screen.height, screen.dpi);
        for (const RECT& part : {layout.Status, layout.Title, layout.Detail, layout.EndButton})
            EXPECT_TRUE(Inside(part, screen.width, screen.height));
        for (const RECT& line : {layout.Status, layout.Title, layout.Detail})
            EXPECT_FALSE(Overlap(line, layout.EndButton)) << "the button covers no text";
        EXPECT_LE(layout.Status.bottom, layout.Title.top);
        EXPECT_LE(layout.Title.bottom, layout.Detail.top);
        EXPECT_GT(layout.Title.bottom - layout.Title.top, 0) << "the name is always shown";
        EXPECT_GE(layout.EndButton.bottom - layout.EndButton.top, 20 * screen.dpi / 96)
            << "a finger can hit it";
    }
}

TEST(InCallLayout, TheButtonSpansTheBottomWhereThereIsRoomAndSizesFollowTheResolution) {
    const InCallLayout vga = LayOutInCall(640, 428, 192);
    EXPECT_EQ(vga.EndButton.left, 16);
    EXPECT_EQ(vga.EndButton.right, 640 - 16);
    EXPECT_EQ(vga.EndButton.bottom, 428 - 16);
    EXPECT_EQ(vga.TitleFontHeight, 30);
    EXPECT_EQ(vga.TextFontHeight, 18);

    const InCallLayout low = LayOutInCall(320, 90, 96);
    EXPECT_GT(low.EndButton.left, low.Title.right) << "too low: the button stands beside the lines";
    EXPECT_EQ(low.TitleFontHeight, 15);
}
