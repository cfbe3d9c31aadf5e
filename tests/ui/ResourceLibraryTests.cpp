// Skin bitmaps: a file in the skin folder wins over the resource library's bitmap of the same image.
#include "ui/ResourceLibrary.h"
#include "support/ErrorLogLines.h"
#include "support/Processes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

constexpr int ScrollId = 140; // 5 x 4 in the resource-only test library

// Writes a width x height 24-bit bitmap file.
void WriteBmp(const std::wstring& path, int width, int height) {
    const int stride = (width * 3 + 3) & ~3;
    BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB, DWORD(stride * height), 0, 0, 0, 0};
    BITMAPFILEHEADER file = {0x4D42, DWORD(sizeof file + sizeof info + info.biSizeImage), 0, 0,
                             DWORD(sizeof file + sizeof info)};
    std::vector<BYTE> pixels(info.biSizeImage, 0x80);
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(handle, &file, sizeof file, &written, nullptr);
    WriteFile(handle, &info, sizeof info, &written, nullptr);
    WriteFile(handle, pixels.data(), DWORD(pixels.size()), &written, nullptr);
    CloseHandle(handle);
}

// Width and height of a bitmap, deleting it; 0 x 0 for none.
SIZE Take(HBITMAP bitmap) {
    BITMAP info = {};
    if (!bitmap) return {0, 0};
    GetObjectW(bitmap, sizeof info, &info);
    DeleteObject(bitmap);
    return {info.bmWidth, info.bmHeight};
}

bool operator==(const SIZE& a, const SIZE& b) {
    return a.cx == b.cx && a.cy == b.cy;
}

class ResourceLibraryTest : public ::testing::Test {
protected:
    // The resource-only test library stands in for the resolution's library.
    const std::wstring library = BesideTestBinary(L"ResourceOnly.dll");
    TempFolder skin;
};

TEST_F(ResourceLibraryTest, ASkinFileWinsOverTheLibraryUntilItIsGone) {
    ResourceLibrary resources;
    ASSERT_EQ(resources.LoadResourceLibrary(library.c_str(), library.c_str(), skin.Path().c_str()), 1);

    EXPECT_TRUE(LinesLoggedBy([&] {
                    EXPECT_TRUE(Take(resources.LoadBitmap(ScrollId, L"scroll")) == (SIZE{5, 4}))
                        << "no file: the library's";
                }).empty())
        << "a missing file is no problem";
    WriteBmp(skin / L"scroll.bmp", 7, 3);
    EXPECT_TRUE(Take(resources.LoadBitmap(ScrollId, L"scroll")) == (SIZE{7, 3})) << "the file wins";
    DeleteFileW((skin / L"scroll.bmp").c_str());
    EXPECT_TRUE(Take(resources.LoadBitmap(ScrollId, L"scroll")) == (SIZE{5, 4}));

    std::ofstream(std::filesystem::path(skin / L"scroll.bmp"), std::ios::binary) << "this is no bitmap";
    const auto lines = LinesLoggedBy([&] {
        EXPECT_TRUE(Take(resources.LoadBitmap(ScrollId, L"scroll")) == (SIZE{5, 4}))
            << "undecodable: the library's";
    });
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(
        lines[0].find("\\scroll.bmp: not a JPEG, PNG, GIF or BMP picture; the built-in image is used\t\t"
                      "Skin: LoadBitmap (0)"),
        std::string::npos)
        << lines[0];
    EXPECT_EQ(resources.LoadBitmap(158, L"list_void_bgr"), nullptr) << "in neither place";

    WriteBmp(skin / L"l_panel_1.bmp", 9, 2);
    EXPECT_TRUE(Take(resources.LoadBitmapPreferring(ScrollId, L"scroll", 133, L"l_panel_1")) == (SIZE{9, 2}));
    EXPECT_TRUE(Take(resources.LoadBitmapPreferring(ScrollId, L"scroll", 135, L"l_panel_2")) == (SIZE{5, 4}))
        << "preferring falls back to the first image";
}

TEST_F(ResourceLibraryTest, SkinFilesAloneServeWithoutALibrary) {
    ResourceLibrary resources;
    ASSERT_EQ(resources.LoadResourceLibrary(L"NoSuchLibrary.dll", L"NoSuchLibraryVga.dll",
                                            (skin.Path() + L"\\").c_str()),
              1);
    WriteBmp(skin / L"sms_bgr.bmp", 3, 3);
    EXPECT_TRUE(Take(resources.LoadBitmap(142, L"sms_bgr")) == (SIZE{3, 3}));
    EXPECT_EQ(resources.LoadBitmap(ScrollId, L"scroll"), nullptr);

    EXPECT_EQ(resources.LoadBitmap(ScrollId, std::wstring(300, L'x').c_str()), nullptr) << "an overlong path";

    ResourceLibrary nothing;
    EXPECT_EQ(nothing.LoadResourceLibrary(L"NoSuchLibrary.dll", L"NoSuchLibraryVga.dll",
                                          (skin / L"missing").c_str()),
              0);
}

} // namespace
