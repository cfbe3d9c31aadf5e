// The default skin images in the two resource libraries: every id present, and sizes and layouts as
// the main screen, the panel and the lists cut and key them.
#include "skin/IniDocument.h"

#include "support/Processes.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Image {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels; // top-down rows

    COLORREF At(int x, int y) const { return pixels[y * width + x]; }
    bool Keyed(int x, int y) const { return At(x, y) == RGB(255, 0, 255); }
    int KeyedCount() const {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) n += Keyed(x, y);
        return n;
    }
};

class ResourceLibraryFile {
public:
    explicit ResourceLibraryFile(const wchar_t* name)
        : module_(LoadLibraryExW(testing_support::BesideTestBinary(name).c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE)) {}
    ResourceLibraryFile(const ResourceLibraryFile&) = delete;
    ResourceLibraryFile& operator=(const ResourceLibraryFile&) = delete;
    ~ResourceLibraryFile() {
        if (module_) FreeLibrary(module_);
    }
    bool Loaded() const { return module_ != nullptr; }

    // The bitmap's pixels; an empty image when the id is missing.
    Image Load(int id) const {
        Image image;
        HBITMAP bitmap = static_cast<HBITMAP>(
            LoadImageW(module_, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        if (!bitmap) return image;
        BITMAP facts = {};
        GetObjectW(bitmap, sizeof facts, &facts);
        image.width = facts.bmWidth;
        image.height = facts.bmHeight;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = image.width;
        info.bmiHeader.biHeight = -image.height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        std::vector<RGBQUAD> quads(static_cast<size_t>(image.width) * image.height);
        HDC dc = GetDC(nullptr);
        GetDIBits(dc, bitmap, 0, image.height, quads.data(), &info, DIB_RGB_COLORS);
        ReleaseDC(nullptr, dc);
        DeleteObject(bitmap);
        for (const RGBQUAD& q : quads) image.pixels.push_back(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));
        return image;
    }

private:
    HMODULE module_;
};

constexpr int AllIds[] = {101, 102, 106, 109, 110, 111, 115, 113, 120,
                          132, 137, 135, 133, 140, 142, 154, 156, 158};

class DefaultSkinImages : public testing::Test {
protected:
    ResourceLibraryFile low_{L"DialvaneRes.dll"};
    ResourceLibraryFile high_{L"DialvaneResVga.dll"};
};

TEST_F(DefaultSkinImages, HighResolutionImagesAreTwiceTheLowOnes) {
    ASSERT_TRUE(low_.Loaded());
    ASSERT_TRUE(high_.Loaded());
    for (int id : AllIds) {
        const Image low = low_.Load(id), high = high_.Load(id);
        ASSERT_GT(low.width * low.height, 0) << id;
        EXPECT_EQ(high.width, 2 * low.width) << id;
        EXPECT_EQ(high.height, 2 * low.height) << id;
    }
}

TEST_F(DefaultSkinImages, CellsHoldTwoStatesOfTheCellSize) {
    struct Set {
        int text, add, photo, active, cellWidth, cellHeight;
    };
    for (const Set& set : {Set{106, 109, 101, 102, 76, 74}, Set{115, 113, 110, 111, 56, 54}}) {
        EXPECT_EQ(low_.Load(set.text).KeyedCount(), 0) << "button images are opaque";
        for (int id : {set.text, set.add, set.photo}) {
            const Image image = low_.Load(id);
            EXPECT_EQ(image.width / 2, set.cellWidth) << id;
            EXPECT_EQ(image.height, set.cellHeight) << id;
            int differing = 0;
            for (int y = 0; y < image.height; ++y)
                for (int x = 0; x < image.width / 2; ++x)
                    differing += image.At(x, y) != image.At(x + set.cellWidth, y);
            EXPECT_GT(differing, set.cellWidth) << id << ": the pressed half shows a change";
        }
        const Image photo = low_.Load(set.photo);
        EXPECT_TRUE(photo.Keyed(set.cellWidth / 2, set.cellHeight / 2)) << "the photo shows in the middle";
        EXPECT_FALSE(photo.Keyed(0, 0)) << "the frame's corners cover the photo";
        // The focus frame is centred on the cell, keyed inside.
        const Image active = low_.Load(set.active);
        EXPECT_EQ((active.width - set.cellWidth) % 2, 0);
        EXPECT_LE(active.width - set.cellWidth, 4) << "the repaint of a focus change reaches 2 pixels out";
        EXPECT_TRUE(active.Keyed(active.width / 2, active.height / 2));
    }
}

TEST_F(DefaultSkinImages, PanelStripsCutIntoWholeFramesThatFitTheScreen) {
    const Image portrait1 = low_.Load(137), portrait2 = low_.Load(132);
    EXPECT_EQ(portrait1.width % 6, 0);
    EXPECT_EQ(portrait2.width % 4, 0);
    EXPECT_EQ(portrait1.height, portrait2.height);
    EXPECT_LE(2 * (portrait1.width / 6) + 2 * (portrait2.width / 4), 240);

    const Image landscape1 = low_.Load(133), landscape2 = low_.Load(135);
    EXPECT_EQ(landscape1.height % 6, 0);
    EXPECT_EQ(landscape2.height % 4, 0);
    EXPECT_EQ(landscape1.width, landscape2.width) << "Menu and Close take the panel's full width";
    EXPECT_LE(2 * (landscape1.height / 6) + 2 * (landscape2.height / 4), 240 - 26);

    for (const Image* strip : {&portrait1, &portrait2, &landscape1, &landscape2})
        EXPECT_EQ(strip->KeyedCount(), 0) << "strips are copied opaque";
}

// The default art is drawn against the skin's background colour: their corners must agree.
TEST_F(DefaultSkinImages, MatchTheShippedBackgroundColour) {
    IniDocument document;
    ASSERT_TRUE(LoadIniFile(document, testing_support::BesideTestBinary(L"DialvaneSkin\\skin.ini").c_str()));
    COLORREF background = 0;
    ASSERT_TRUE(GetIniColor(document, 0, L"BgrColor", background));
    for (int id : {106, 109, 101, 115, 113, 110, 132, 137, 133, 135}) {
        EXPECT_EQ(low_.Load(id).At(0, 0), background) << id;
        EXPECT_EQ(high_.Load(id).At(0, 0), background) << id;
    }
}

} // namespace
