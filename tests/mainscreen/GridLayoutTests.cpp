#include "mainscreen/GridLayout.h"

#include <gtest/gtest.h>

TEST(GridLayout, SpreadsTheSpareRoomEvenlyAroundTheCells) {
    // QVGA portrait: 240 × 268 client less a 46-pixel panel, 76 × 74 cells.
    const GridGeometry grid = LayOutGrid(240, 222, 76, 74, 0, 0);
    EXPECT_EQ(grid.Columns, 3);
    EXPECT_EQ(grid.Rows, 3);
    EXPECT_EQ(grid.CellsPerPage, 9);
    EXPECT_EQ(grid.CellRects[0].left, 3);
    EXPECT_EQ(grid.CellRects[1].left, 82);
    EXPECT_EQ(grid.CellRects[2].left, 161);
    EXPECT_EQ(grid.CellRects[8].bottom, 222);

    // The remainder of the gaps goes half before the first cell: (250 − 228) = 22 = 4 × 5 + 2.
    const GridGeometry odd = LayOutGrid(250, 222, 76, 74, 0, 0);
    EXPECT_EQ(odd.CellRects[0].left, 5 + 1);
    EXPECT_EQ(odd.CellRects[1].left, 6 + 76 + 5);
}

TEST(GridLayout, PagesHoldAtMostTwentyFourCells) {
    EXPECT_EQ(LayOutGrid(5 * 10, 6 * 10, 10, 10, 0, 0).CellsPerPage, 20); // 5 × 6 becomes 5 × 4
    const GridGeometry six = LayOutGrid(6 * 10, 5 * 10, 10, 10, 0, 0);
    EXPECT_EQ(six.Rows, 4);
    EXPECT_EQ(six.CellsPerPage, 24);
    EXPECT_EQ(LayOutGrid(24 * 10, 10 * 10, 10, 10, 0, 0).Rows, 1) << "24 columns: one row";
    // 25 columns or more leave no row in a page of 24: no grid.
    const GridGeometry wide = LayOutGrid(25 * 10, 10 * 10, 10, 10, 30, 3);
    EXPECT_EQ(wide.Rows, 0);
    EXPECT_EQ(wide.CellsPerPage, 0);
    EXPECT_EQ(wide.TotalCells, 0);
    EXPECT_EQ(wide.Page, 0);
}

TEST(GridLayout, PagesReachTheLargestIndex) {
    EXPECT_EQ(LayOutGrid(240, 222, 76, 74, 30, 0).TotalCells, 36);
    EXPECT_EQ(LayOutGrid(240, 222, 76, 74, 0, -1).TotalCells, 9); // no buttons: one page
}

TEST(GridLayout, KeepsTheFocusedButtonInView) {
    // Focus on the last cell of page 0 stays there when the page size does not change.
    GridGeometry grid = LayOutGrid(240, 222, 76, 74, 20, 8);
    EXPECT_EQ(grid.Page, 0);
    EXPECT_EQ(grid.FocusCell, 8);
    // From 9 to 12 cells per page, absolute cell 10 is cell 10 of page 0.
    grid = LayOutGrid(4 * 76, 3 * 74, 76, 74, 20, 10);
    EXPECT_EQ(grid.Page, 0);
    EXPECT_EQ(grid.FocusCell, 10);
    // Focus on page 2 of 9 cells.
    grid = LayOutGrid(240, 222, 76, 74, 30, 22);
    EXPECT_EQ(grid.Page, 2);
    EXPECT_EQ(grid.FocusCell, 4);
    // A focus beyond the last page shows the last page, focused on its first cell.
    grid = LayOutGrid(240, 222, 76, 74, 5, 40);
    EXPECT_EQ(grid.Page, 0);
    EXPECT_EQ(grid.FocusCell, 0);
}

TEST(GridLayout, NoCellFitsGivesNoGrid) {
    for (const GridGeometry& grid : {LayOutGrid(75, 500, 76, 74, 30, 3), LayOutGrid(500, 73, 76, 74, 30, 3),
                                     LayOutGrid(500, 500, 0, 0, 0, 0)}) {
        EXPECT_EQ(grid.CellsPerPage, 0);
        EXPECT_EQ(grid.TotalCells, 0);
        EXPECT_EQ(grid.Page, 0);
    }
}
