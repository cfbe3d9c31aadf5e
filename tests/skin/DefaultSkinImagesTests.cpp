// The default skin images in the two resource libraries: every id present at both resolutions, the
// photo frames keyed where the photo shows through.
#include "support/Processes.h"

#include <gtest/gtest.h>

namespace {

// The bitmap's size and the colour at (x, y); a zero size when the id is missing.
struct Probe {
    SIZE size = {};
    COLORREF colour = CLR_INVALID;
};

Probe Load(const wchar_t* library, int id, int x, int y) {
    Probe probe;
    HMODULE module =
        LoadLibraryExW(testing_support::BesideTestBinary(library).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return probe;
    if (HBITMAP bitmap =
            static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0))) {
        BITMAP facts = {};
        GetObjectW(bitmap, sizeof facts, &facts);
        probe.size = {facts.bmWidth, facts.bmHeight};
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        probe.colour = GetPixel(dc, x * (facts.bmWidth / 2) / 100, y * facts.bmHeight / 100);
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    FreeLibrary(module);
    return probe;
}

TEST(DefaultSkinImages, EveryImageAtBothResolutionsWithTheFramesKeyedInTheMiddle) {
    for (int id :
         {101, 102, 106, 109, 110, 111, 115, 113, 120, 132, 137, 135, 133, 140, 142, 154, 156, 158}) {
        const Probe low = Load(L"DialvaneRes.dll", id, 0, 0), high = Load(L"DialvaneResVga.dll", id, 0, 0);
        ASSERT_GT(low.size.cx * low.size.cy, 0) << id;
        EXPECT_EQ(high.size.cx, 2 * low.size.cx) << id;
        EXPECT_EQ(high.size.cy, 2 * low.size.cy) << id;
    }
    // Photo frames (two states side by side) show the photo through their magenta middle.
    for (const wchar_t* library : {L"DialvaneRes.dll", L"DialvaneResVga.dll"})
        for (int id : {101, 110}) {
            EXPECT_EQ(Load(library, id, 50, 50).colour, RGB(255, 0, 255)) << id;
            EXPECT_NE(Load(library, id, 0, 0).colour, RGB(255, 0, 255)) << id;
        }
}

} // namespace
