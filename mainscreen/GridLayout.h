#pragma once
// The arithmetic of the main screen's grid: how many cells fit, how many pages there are, which page
// shows the focused button and where every cell of the page stands.
#include <windows.h>

constexpr int MaxCellsPerPage = 24;

struct Cell {
    RECT Rect = {};
    int Pressed = 0;
};

struct GridGeometry {
    int Columns = 0;
    int Rows = 0;
    int CellsPerPage = 0; // 0 when not even one cell fits
    int TotalCells = 0;   // whole pages × CellsPerPage
    int Page = 0;
    int FocusCell = 0;
    RECT CellRects[MaxCellsPerPage] = {};
};

// Lays cellWidth × cellHeight cells out evenly in a width × height area. largestIndex is the largest
// Index of any button (0 without buttons); focusAbsolute the focused button's absolute cell or -1.
// When no cell fits, or more than 24 columns would (no row of them fits in a page), CellsPerPage,
// TotalCells and Page are 0, and FocusCell and the rectangles mean nothing: the caller keeps its own.
GridGeometry LayOutGrid(int width, int height, int cellWidth, int cellHeight, int largestIndex,
                        int focusAbsolute);

// The absolute cell number of cell c of page, or -1 when c is not a cell of a page.
constexpr int AbsoluteCell(int c, int page, int cellsPerPage) {
    return c >= 0 && c < cellsPerPage ? c + page * cellsPerPage : -1;
}
