#include "foundation/Settings.h"
#include "mainscreen/MainWindow.h"
#include "ui/ResourceLibrary.h"
#include "support/Registry.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const wchar_t* SettingsPath = L"Software\\Orvanix\\PIM\\Settings";

} // namespace

TEST(MainScreenLayout, ButtonSizeComesFromTheSkinAndDropsPhotosOfTheOldSize) {
    ASSERT_EQ(SkinLibrary.LoadResourceLibrary(L"DialvaneRes.dll", L"DialvaneRes.dll", L"NoSkinHere"), 1);
    MainWindow main;
    SpeedDialButton button;
    button.Index = 0;
    button.Photo = CreateBitmap(4, 4, 1, 32, nullptr);
    main.Model.Buttons.Add(button);

    main.SetButtonSize(1);
    EXPECT_EQ(main.CellWidth, 76);
    EXPECT_EQ(main.CellHeight, 74);
    EXPECT_EQ(main.Model.PhotoWidth, 76);
    EXPECT_EQ(main.Model.Buttons.GetAt(0).Photo, nullptr);
    EXPECT_EQ(GetDword(HKEY_CURRENT_USER, SettingsPath, L"DvBigBtn"), 1u);
    for (HBITMAP image : main.CellImages) EXPECT_NE(image, nullptr);

    main.SetButtonSize(0);
    EXPECT_EQ(main.CellWidth, 56);
    EXPECT_EQ(main.Model.PhotoHeight, 54);
    EXPECT_EQ(GetDword(HKEY_CURRENT_USER, SettingsPath, L"DvBigBtn"), 0u);
}

TEST(MainScreenLayout, PlacesThePanelAndTurnsItsPageButtonsWithThePage) {
    DeletePimBranch();
    MainWindow main;
    ASSERT_TRUE(main.Create(L"layout", WS_POPUP, 0, 240, 268, nullptr));
    ASSERT_EQ(main.Panel.CreatePanel(main.Window), 1);
    main.Panel.Strip1Width = 6 * 40;
    main.Panel.Strip2Width = 4 * 40;
    main.Panel.Strip1Height = main.Panel.Strip2Height = 46;
    main.Panel.CutFrames(false);
    main.CellWidth = 76;
    main.CellHeight = 74;
    for (int index : {0, 30}) {
        SpeedDialButton button;
        button.Index = index;
        main.Model.Buttons.Add(button);
    }
    main.LayOut();
    main.FocusCell = 8;
    main.LayOut(); // the focus stays on the last cell of the page
    EXPECT_EQ(main.FocusCell, 8);
    EXPECT_EQ(main.Cells[1].Rect.left, 82);
    RECT panel;
    GetWindowRect(main.Panel.Window, &panel);
    EXPECT_EQ(panel.top, 222);
    EXPECT_EQ(main.Panel.PanelButtons[BottomPanel::Back].Enabled, 0);
    EXPECT_EQ(main.Panel.PanelButtons[BottomPanel::Forward].Enabled, 1);

    main.Page = 3;
    main.UpdatePageButtons();
    EXPECT_EQ(main.Panel.PanelButtons[BottomPanel::Back].Enabled, 1);
    EXPECT_EQ(main.Panel.PanelButtons[BottomPanel::Forward].Enabled, 0);

    // Without room for a single cell there is no page to turn to, and the focus and the cells stay as
    // they were; the same for a row of more than 24 cells, which no page of 24 holds.
    const RECT second = main.Cells[1].Rect;
    main.FocusCell = 5;
    for (const SIZE cell : {SIZE{76, 300}, SIZE{9, 74}}) {
        main.CellWidth = cell.cx;
        main.CellHeight = cell.cy;
        main.LayOut();
        EXPECT_EQ(main.CellsPerPage, 0);
        EXPECT_EQ(main.TotalCells, 0);
        EXPECT_EQ(main.Page, 0);
        EXPECT_EQ(main.FocusCell, 5);
        EXPECT_TRUE(EqualRect(&main.Cells[1].Rect, &second));
        EXPECT_EQ(main.Panel.PanelButtons[BottomPanel::Back].Enabled, 0);
        EXPECT_EQ(main.Panel.PanelButtons[BottomPanel::Forward].Enabled, 0);
    }
}
