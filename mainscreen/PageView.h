#pragma once
// The main screen's page as it is shown: the speed-dial buttons, the grid of the current page, the skin
// and the images of the button size, the view switches, and how all of it is drawn. No window here:
// MainWindow lays the grid out, takes the input and puts what this draws on the screen.
#include "foundation/ScopedHandles.h"
#include "mainscreen/GridLayout.h"
#include "model/SpeedDialModel.h"
#include "skin/Skin.h"

#include <windows.h>

class PageView {
public:
    PageView() = default;
    PageView(const PageView&) = delete;
    PageView& operator=(const PageView&) = delete;
    // Deletes the images the view loaded.
    virtual ~PageView();

    // Loads the images of big (non-zero) or small buttons and sizes the cells by them; when the size
    // changed, drops every photo so that it is fetched again at the new size.
    void LoadButtonImages(int big);
    // Loads the number frame, the list images and the scroll image, each once.
    void LoadSharedImages();

    // The absolute cell number of cell c of the page, or -1.
    int AbsoluteCell(int c) const { return ::AbsoluteCell(c, Page, CellsPerPage); }
    int PageCount() const { return CellsPerPage ? TotalCells / CellsPerPage : 0; }

    // Draws the page into dc, a client-sized off-screen bitmap, with source as the context for images;
    // cells outside clip are left out.
    void Paint(HDC dc, HDC source, const RECT& client, const RECT& clip);
    // The same with a context of its own for the images.
    void Paint(HDC dc, const RECT& client, const RECT& clip);

    SpeedDialModel Model;
    Cell Cells[MaxCellsPerPage];
    enum { BtnText, BtnAdd, PhotoFrame, ActiveFrame };
    HBITMAP CellImages[4] = {}; // of the current button size
    SkinValues Skin;            // colours and fonts of "skin.ini"; the fonts are owned here
    HBITMAP NumberFrame = nullptr;
    HBITMAP ListImages[3] = {}; // unselected row, selected row, empty area: lent to the list dialogs
    HBITMAP ScrollImage = nullptr;
    int CellWidth = 0, CellHeight = 0;
    int PressedCell = -1; // cell under the pen
    int FocusCell = 0;    // focused cell of the page
    int Columns = 0, Rows = 0, CellsPerPage = 0, Page = 0, TotalCells = 0;
    int BigButtons = -1;   // 1 big, 0 small, -1 not chosen yet
    int ShowNumbers = 0;   // "DvShowBtn": show each button's dial number
    int ShowPhoneType = 0; // "DvShowType": show the kind of each button's number

private:
    // Draws cell c of the page, keeping labelHeight free below the name for the number's kind; the dial
    // number of its button (-1 for none or an empty cell).
    int DrawCell(HDC dc, HDC source, int c, int labelHeight);
    // Draws one of CellImages over cell c: its left half, or its right half when the cell is pressed.
    void DrawCellImage(HDC dc, HDC source, int image, int c);
    // The number's kind, centred along the bottom of rect with its shadow, shortened to fit.
    void DrawKindLabel(HDC dc, const WString& kind, const RECT& rect);
    // The photo of a stored button at the model's photo size, fetched into it on first use.
    HBITMAP PhotoOf(SpeedDialButton& stored);
};
