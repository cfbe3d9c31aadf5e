#include "mainscreen/GridLayout.h"

GridGeometry LayOutGrid(int width, int height, int cellWidth, int cellHeight, int largestIndex,
                        int focusAbsolute) {
    GridGeometry grid;
    if (cellWidth <= 0 || cellHeight <= 0) return grid;
    grid.Columns = width / cellWidth;
    grid.Rows = height / cellHeight;
    if (grid.Columns <= 0 || grid.Rows <= 0) return GridGeometry{};
    grid.CellsPerPage = grid.Columns * grid.Rows;
    if (grid.CellsPerPage > MaxCellsPerPage) {
        // More than 24 columns leave no row at all, and so no grid.
        grid.Rows = MaxCellsPerPage / grid.Columns;
        grid.CellsPerPage = grid.Columns * grid.Rows;
        if (grid.CellsPerPage == 0) return grid;
    }
    const int perPage = grid.CellsPerPage;
    grid.TotalCells = (largestIndex / perPage + 1) * perPage;
    const int lastPage = grid.TotalCells / perPage - 1;
    grid.Page = focusAbsolute >= 0 ? focusAbsolute / perPage : 0;
    if (grid.Page > lastPage) grid.Page = lastPage;
    const int focus = focusAbsolute - grid.Page * perPage;
    grid.FocusCell = focusAbsolute >= 0 && focus < perPage ? focus : 0;

    const int spareX = width - grid.Columns * cellWidth, spareY = height - grid.Rows * cellHeight;
    const int gapX = spareX / (grid.Columns + 1), gapY = spareY / (grid.Rows + 1);
    const int x0 = gapX + spareX % (grid.Columns + 1) / 2, y0 = gapY + spareY % (grid.Rows + 1) / 2;
    for (int r = 0; r < grid.Rows; ++r) {
        for (int c = 0; c < grid.Columns; ++c) {
            RECT& rect = grid.CellRects[r * grid.Columns + c];
            rect.left = x0 + c * (cellWidth + gapX);
            rect.top = y0 + r * (cellHeight + gapY);
            rect.right = rect.left + cellWidth;
            rect.bottom = rect.top + cellHeight;
        }
    }
    return grid;
}
