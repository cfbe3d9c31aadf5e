// The main screen's grid: button size, cells per page, pages and the panel's page buttons.
#include "foundation/Settings.h"
#include "mainscreen/MainWindow.h"
#include "ui/ResourceLibrary.h"

#include <algorithm>

void MainWindow::SetButtonSize(int big) {
    if (big == BigButtons) return;
    BigButtons = big;
    WriteDword(settings::DvBigBtn.name, big);
    const struct {
        int bigId, smallId;
        const wchar_t *bigName, *smallName;
    } images[4] = {{106, 115, L"big_btn_text", L"small_btn_text"},
                   {109, 113, L"big_btn_add", L"small_btn_add"},
                   {101, 110, L"big_photo_frame", L"small_photo_frame"},
                   {102, 111, L"big_active_frame", L"small_active_frame"}};
    for (int i = 0; i < 4; ++i) {
        if (CellImages[i]) DeleteObject(CellImages[i]);
        CellImages[i] = big ? SkinLibrary.LoadBitmap(images[i].bigId, images[i].bigName)
                            : SkinLibrary.LoadBitmap(images[i].smallId, images[i].smallName);
    }
    // Without a button image there is no cell size, and so no grid.
    const SIZE text = BitmapSize(CellImages[BtnText]);
    CellWidth = text.cx / 2;
    CellHeight = text.cy;
    if (Model.PhotoWidth == CellWidth && Model.PhotoHeight == CellHeight) return;
    Model.PhotoWidth = CellWidth;
    Model.PhotoHeight = CellHeight;
    Model.DropPhotos();
}

void MainWindow::LayOut() {
    RECT client;
    if (!Window || !GetClientRect(Window, &client) || client.right <= 0 || client.bottom <= 0) return;
    int width = client.right, height = client.bottom;
    RECT panel = {0, 0, client.right, client.bottom};
    // The panel stands where the strips it was last cut from belong.
    if (Panel.Landscape) {
        panel.left = client.right - std::max(Panel.Strip1Width, Panel.Strip2Width);
        width = panel.left;
    } else {
        panel.top = client.bottom - std::max(Panel.Strip1Height, Panel.Strip2Height);
        height = panel.top;
    }
    PlacePanel(panel);
    int largest = 0;
    for (int i = 0; i < Model.Buttons.GetSize(); ++i)
        largest = std::max(largest, Model.Buttons.GetAt(i).Index);
    const GridGeometry grid =
        LayOutGrid(width, height, CellWidth, CellHeight, largest, AbsoluteCell(FocusCell));
    Columns = grid.Columns;
    Rows = grid.Rows;
    CellsPerPage = grid.CellsPerPage;
    TotalCells = grid.TotalCells;
    Page = grid.Page;
    FocusCell = grid.FocusCell;
    for (int c = 0; c < MaxCellsPerPage; ++c) Cells[c].Rect = grid.CellRects[c];
    UpdatePageButtons();
}

void MainWindow::PlacePanel(const RECT& place) {
    RECT now = {};
    GetWindowRect(Panel.Window, &now);
    MapWindowPoints(nullptr, Window, reinterpret_cast<POINT*>(&now), 2);
    if (EqualRect(&now, &place)) return;
    SetWindowPos(Panel.Window, nullptr, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    // Moved without repainting, the panel is drawn whole with the next paint.
    InvalidateRect(Panel.Window, nullptr, FALSE);
}

void MainWindow::UpdatePageButtons() {
    // Without a single cell there is nowhere to turn to.
    const int pages = PageCount();
    Panel.SetEnabled(BottomPanel::Back, pages > 0 && Page != 0);
    Panel.SetEnabled(BottomPanel::Forward, pages > 0 && Page != pages - 1);
}
