#include "platform/TransparentImage.h"
#include "mainscreen/MainWindow.h"
#include "contacts/ContactTestSupport.h"
#include "support/ErrorLogLines.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>

namespace {

constexpr COLORREF Key = RGB(255, 0, 255);
constexpr int CellW = 20, CellH = 10;

// A 32-bit DIB section of width × height filled by fill(x, y).
template <class Fill> HBITMAP Image(int width, int height, Fill fill) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    DWORD* bits = nullptr;
    HBITMAP bitmap =
        CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF c = fill(x, y);
            bits[y * width + x] = GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
        }
    }
    return bitmap;
}

// A cell image: normal state left, pressed state right, each with a transparent first column.
HBITMAP CellImage(COLORREF normal, COLORREF pressed) {
    return Image(2 * CellW, CellH, [=](int x, int) {
        return x % CellW == 0 ? Key : x < CellW ? normal : pressed;
    });
}

// A frame: border of colour, transparent inside.
HBITMAP Frame(int width, int height, COLORREF colour) {
    return Image(width, height, [=](int x, int y) {
        return x == 0 || y == 0 || x == width - 1 || y == height - 1 ? colour : Key;
    });
}

// The main screen with two cells and synthetic images, painting onto a 100 × 40 canvas.
class MainScreenPaint : public testing::Test {
protected:
    void SetUp() override {
        main.Skin.BgrColor = RGB(1, 2, 3);
        CreateDefaultFonts(main.Skin);
        main.CellImages[MainWindow::BtnText] = CellImage(RGB(10, 0, 0), RGB(11, 0, 0));
        main.CellImages[MainWindow::BtnAdd] = CellImage(RGB(20, 0, 0), RGB(21, 0, 0));
        main.CellImages[MainWindow::PhotoFrame] = Frame(2 * CellW, CellH, RGB(30, 0, 0));
        main.CellImages[MainWindow::ActiveFrame] = Frame(CellW + 4, CellH + 4, RGB(40, 0, 0));
        main.CellWidth = CellW;
        main.CellHeight = CellH;
        main.CellsPerPage = 2;
        main.Cells[0].Rect = {10, 10, 10 + CellW, 10 + CellH};
        main.Cells[1].Rect = {50, 10, 50 + CellW, 10 + CellH};
        main.FocusCell = -1;
        SelectObject(dc, canvas);
    }
    void TearDown() override { DeleteDC(dc); }
    void AddButton(int index, DWORD hasPhoto, HBITMAP photo = nullptr) {
        SpeedDialButton button;
        button.Index = index;
        button.HasPhoto = hasPhoto;
        button.Photo = photo;
        main.Model.Buttons.Add(button);
    }
    void Paint(RECT clip = {0, 0, 100, 40}) { main.Paint(dc, {0, 0, 100, 40}, clip); }
    COLORREF At(int x, int y) { return GetPixel(dc, x, y); }

    MainWindow main;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP canvas = Image(100, 40, [](int, int) { return RGB(99, 99, 99); });
};

} // namespace

TEST_F(MainScreenPaint, EmptyCellsShowTheAddImageAndPressedCellsItsRightHalf) {
    main.Cells[1].Pressed = 1;
    Paint();
    EXPECT_EQ(At(5, 5), RGB(1, 2, 3)) << "background";
    EXPECT_EQ(At(15, 15), RGB(20, 0, 0));
    EXPECT_EQ(At(10, 15), RGB(1, 2, 3)) << "the key colour lets the background through";
    EXPECT_EQ(At(55, 15), RGB(21, 0, 0));
    DeleteObject(canvas);
}

TEST_F(MainScreenPaint, PhotosAreCentredUnderTheFrameAndMissingOnesBecomeNames) {
    // A 40 × 30 photo whose middle 20 × 10 is green.
    HBITMAP photo = Image(40, 30, [](int x, int y) {
        return x >= 10 && x < 30 && y >= 10 && y < 20 ? RGB(0, 200, 0) : RGB(0, 0, 200);
    });
    AddButton(0, 1, photo);
    AddButton(1, 1); // a picture was promised, but there is no contact to read it from
    Paint();
    EXPECT_EQ(At(15, 15), RGB(0, 200, 0));
    EXPECT_EQ(At(10, 10), RGB(30, 0, 0)) << "the frame is drawn over the photo";
    EXPECT_EQ(At(55, 11), RGB(10, 0, 0)) << "a name on the button image";
    EXPECT_EQ(main.Model.Buttons.GetAt(1).HasPhoto, 0u);
    EXPECT_EQ(main.Model.Buttons.GetAt(0).Photo, photo);
    DeleteObject(canvas);
}

TEST_F(MainScreenPaint, APictureThatDoesNotDecodeIsLoggedOnceWithItsContactAndTheNameShown) {
    testing_support::TempFolder folder;
    WriteBytes(folder / L"cards.vcf",
               "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Petrov;Ivan;;;\r\nTEL;TYPE=CELL:+7 900 1\r\n"
               "PHOTO;ENCODING=b;TYPE=JPEG:bm90IGEgcGljdHVyZQ==\r\nEND:VCARD\r\n");
    auto store = StoreAt(folder.Path());
    auto session = SessionOn(store);
    main.Model.Store = session.get();
    AddButton(0, 1);
    SpeedDialButton& button = main.Model.Buttons.ElementAt(0);
    button.Oid = OidOf(*store, "Petrov, Ivan");
    button.Last = L"Petrov";
    button.First = L"Ivan";
    ASSERT_NE(button.Oid, 0u);

    const auto lines = testing_support::LinesLoggedBy([&] {
        Paint();
        Paint();
    });
    ASSERT_EQ(lines.size(), 1u) << "a picture is tried once a load";
    char oid[16];
    std::snprintf(oid, sizeof oid, "0x%08lX", static_cast<unsigned long>(button.Oid));
    EXPECT_EQ(lines[0],
              std::string("Picture of \"Petrov, Ivan\" (contact ") + oid +
                  "): not a JPEG, PNG, GIF or BMP picture; the name is shown instead\t\tPictures: Paint (0)");
    EXPECT_EQ(At(15, 15), RGB(10, 0, 0)) << "the button image with the name";
    main.Model.Store = nullptr;
    DeleteObject(canvas);
}

TEST(SpeedDialModelPictures, ProblemsAreBoundedFromOneLoadToTheNext) {
    SpeedDialModel model;
    const auto lines = testing_support::LinesLoggedBy([&] {
        for (int i = 0; i < SpeedDialModel::PictureProblemLimit + 3; ++i)
            model.ReportPictureProblem(L"broken");
        model.Load(0);
        model.ReportPictureProblem(L"broken again");
    });
    ASSERT_EQ(lines.size(), size_t(SpeedDialModel::PictureProblemLimit + 2));
    EXPECT_EQ(lines[SpeedDialModel::PictureProblemLimit],
              "... and 3 more problems like these\t\tPictures: Paint (0)");
    EXPECT_EQ(lines.back(), "broken again\t\tPictures: Paint (0)") << "a load starts counting afresh";
}

TEST_F(MainScreenPaint, ALongNumberKindIsFittedToItsCell) {
    main.ShowPhoneType = 1;
    main.Skin.PhoneTypeColor1 = main.Skin.PhoneTypeColor2 = RGB(0, 250, 0);
    AddButton(0, 0);
    main.Model.Buttons.ElementAt(0).Type = L"Очень длинный вид номера телефона";
    Paint();
    int drawn = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 100; ++x) {
            // The label is as wide as the cell at most (its height is the font's, above a low cell).
            const bool inside = x >= 10 && x < 10 + CellW;
            if (!inside && x < 50) {
                EXPECT_EQ(At(x, y), RGB(1, 2, 3)) << "nothing beside the cell at " << x << "," << y;
            }
            drawn += inside && At(x, y) == RGB(0, 250, 0);
        }
    }
    EXPECT_GT(drawn, 0) << "the label is drawn";
    DeleteObject(canvas);
}

TEST_F(MainScreenPaint, FocusFrameIsCentredAndDrawnWhateverTheClip) {
    main.FocusCell = 1;
    Paint({0, 0, 40, 40});
    EXPECT_EQ(At(48, 8), RGB(40, 0, 0));
    EXPECT_EQ(At(48 + CellW + 3, 8 + CellH + 3), RGB(40, 0, 0));
    EXPECT_EQ(At(55, 15), RGB(1, 2, 3)) << "the cell itself was outside the clip";
    DeleteObject(canvas);
}

TEST(TransparentImage, CopiesAllButTheKeyColourOntoAnyBitmap) {
    HBITMAP image = CellImage(RGB(10, 20, 30), RGB(40, 50, 60));
    HDC screen = GetDC(nullptr);
    for (HBITMAP target :
         {Image(30, 20, [](int, int) { return RGB(7, 7, 7); }), CreateCompatibleBitmap(screen, 30, 20)}) {
        HDC dc = CreateCompatibleDC(screen);
        SelectObject(dc, target);
        PatBlt(dc, 0, 0, 30, 20, WHITENESS);
        EXPECT_TRUE(platform::TransparentImage(dc, 5, 5, CellW, CellH, image, CellW, 0, CellW, CellH, Key));
        EXPECT_EQ(GetPixel(dc, 5, 5), RGB(255, 255, 255));
        EXPECT_EQ(GetPixel(dc, 6, 5), RGB(40, 50, 60));
        EXPECT_EQ(GetPixel(dc, 24, 14), RGB(40, 50, 60));
        EXPECT_EQ(GetPixel(dc, 4, 4), RGB(255, 255, 255));
        DeleteDC(dc);
        DeleteObject(target);
    }
    ReleaseDC(nullptr, screen);
    EXPECT_FALSE(platform::TransparentImage(screen, 0, 0, 1, 1, nullptr, 0, 0, 1, 1, Key));
    DeleteObject(image);
}
