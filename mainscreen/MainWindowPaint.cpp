// Drawing the main screen's page: empty cells, photos under their frame, names on button images,
// number kinds, dial numbers and the focus frame.
#include "ui/TextDrawing.h"
#include "platform/TransparentImage.h"
#include "mainscreen/MainWindow.h"
#include "ui/ResourceLibrary.h"
#include "ui/ScreenMetrics.h"

#include <vector>

namespace {

constexpr COLORREF ImageKey = RGB(255, 0, 255);

// Draws the width × height part of image at (sourceX, 0) at (x, y) without its magenta pixels, through
// the paint's context for source images.
void DrawKeyed(HDC dc, HDC source, int x, int y, int width, int height, HBITMAP image, int sourceX) {
    if (!image) return;
    HGDIOBJ old = SelectObject(source, image);
    platform::TransparentImage(dc, x, y, width, height, source, sourceX, 0, width, height, ImageKey);
    SelectObject(source, old);
}

} // namespace

void MainWindow::Repaint(const RECT* rect) {
    if (!Window) return;
    InvalidateRect(Window, rect, FALSE);
    UpdateWindow(Window);
}

void MainWindow::SetCellPressed(int c, int state) {
    if (c < 0 || c >= CellsPerPage || Cells[c].Pressed == state) return;
    Cells[c].Pressed = state;
    Repaint(&Cells[c].Rect);
}

void MainWindow::SetFocusCell(int c) {
    if (c == FocusCell) return;
    const int old = FocusCell;
    FocusCell = c;
    for (int cell : {old, c}) {
        if (cell < 0 || cell >= CellsPerPage) continue;
        // The focus frame may stand out of the cell a little.
        RECT rect = Cells[cell].Rect;
        InflateRect(&rect, ScalePx(2, ScreenMetrics.DpiX), ScalePx(2, ScreenMetrics.DpiY));
        Repaint(&rect);
    }
}

HBITMAP MainWindow::PhotoOf(int position, const SpeedDialButton& button) {
    if (!button.HasPhoto || button.Photo) return button.Photo;
    const int index = Model.IndexOfPosition(position);
    SpeedDialButton stored = Model.Buttons.GetAt(index);
    ContactDetails contact;
    if (stored.Oid &&
        ReadContact(Model.Store, stored.Oid, contact, ReadPhoto, 2, Model.PhotoWidth, Model.PhotoHeight) &&
        contact.Photo) {
        stored.Photo = contact.Photo;
        contact.Photo = nullptr;
    } else {
        // Not asked for again until the buttons are reloaded.
        stored.HasPhoto = 0;
    }
    Model.Buttons.SetAt(index, stored);
    return stored.Photo;
}

void MainWindow::DrawCellImage(HDC dc, HDC source, int image, int c) {
    const RECT& rect = Cells[c].Rect;
    DrawKeyed(dc, source, rect.left, rect.top, CellWidth, CellHeight, CellImages[image],
              Cells[c].Pressed ? CellWidth : 0);
}

int MainWindow::DrawCell(HDC dc, HDC source, int c, int labelHeight) {
    SpeedDialButton button;
    const int position = AbsoluteCell(c);
    if (!Model.GetByPosition(position, button)) {
        DrawCellImage(dc, source, BtnAdd, c);
        return -1;
    }
    const RECT& rect = Cells[c].Rect;
    if (HBITMAP photo = PhotoOf(position, button)) {
        const SIZE size = BitmapSize(photo);
        HGDIOBJ old = SelectObject(source, photo);
        BitBlt(dc, rect.left, rect.top, CellWidth, CellHeight, source, (size.cx - CellWidth) / 2,
               (size.cy - CellHeight) / 2, SRCCOPY);
        SelectObject(source, old);
        DrawCellImage(dc, source, PhotoFrame, c);
    } else {
        DrawCellImage(dc, source, BtnText, c);
        SelectObject(dc, Skin.FontText);
        SetTextColor(dc, Cells[c].Pressed ? Skin.TxtSelectColor : Skin.TxtColor);
        RECT text = rect;
        InflateRect(&text, -ScalePx(2, ScreenMetrics.DpiX), -ScalePx(2, ScreenMetrics.DpiY));
        text.bottom -= labelHeight;
        DrawWrappedText(dc, SpeedDialModel::DisplayNameOf(button), text);
    }
    if (ShowPhoneType && !button.Type.IsEmpty()) {
        SelectObject(dc, Skin.FontSmall);
        SIZE size;
        GetTextExtentPoint32W(dc, button.Type, button.Type.GetLength(), &size);
        const int x = rect.left + (rect.right - rect.left - size.cx) / 2;
        const int y = rect.bottom - ScalePx(1, ScreenMetrics.DpiY) - size.cy;
        if (Skin.PhoneTypeColor2 != Skin.PhoneTypeColor1) {
            SetTextColor(dc, Skin.PhoneTypeColor2);
            ExtTextOutW(dc, x - ScalePx(1, ScreenMetrics.DpiX), y - ScalePx(1, ScreenMetrics.DpiY), 0,
                        nullptr, button.Type, button.Type.GetLength(), nullptr);
        }
        SetTextColor(dc, Skin.PhoneTypeColor1);
        ExtTextOutW(dc, x, y, 0, nullptr, button.Type, button.Type.GetLength(), nullptr);
    }
    return button.Btn;
}

void MainWindow::Paint(HDC dc, const RECT& client, const RECT& clip) {
    HBRUSH background = CreateSolidBrush(Skin.BgrColor);
    FillRect(dc, &client, background);
    DeleteObject(background);
    HDC source = CreateCompatibleDC(dc);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    struct Numbered {
        int Cell, Btn;
    };
    std::vector<Numbered> numbered;
    const int labelHeight = ShowPhoneType ? TextHeight(Skin.FontSmall) : 0;
    for (int c = 0; c < CellsPerPage; ++c) {
        RECT visible;
        if (!IntersectRect(&visible, &Cells[c].Rect, &clip)) continue;
        const int btn = DrawCell(dc, source, c, labelHeight);
        if (btn != -1) numbered.push_back({c, btn});
    }
    if (FocusCell >= 0 && FocusCell < CellsPerPage) {
        const SIZE frame = BitmapSize(CellImages[ActiveFrame]);
        const RECT& rect = Cells[FocusCell].Rect;
        DrawKeyed(dc, source, rect.left + (rect.right - rect.left - frame.cx) / 2,
                  rect.top + (rect.bottom - rect.top - frame.cy) / 2, frame.cx, frame.cy,
                  CellImages[ActiveFrame], 0);
    }
    if (ShowNumbers && !numbered.empty()) {
        const SIZE frame = BitmapSize(NumberFrame);
        SelectObject(dc, Skin.FontSmall);
        SetTextColor(dc, Skin.BtnNumberColor);
        for (const Numbered& item : numbered) {
            const RECT& cell = Cells[item.Cell].Rect;
            RECT box = {cell.right - frame.cx, cell.bottom - frame.cy, cell.right, cell.bottom};
            DrawKeyed(dc, source, box.left, box.top, frame.cx, frame.cy, NumberFrame, 0);
            WString text;
            text.Format(L"%d", item.Btn);
            SIZE size;
            GetTextExtentPoint32W(dc, text, text.GetLength(), &size);
            // Centring an odd remainder would leave the number a pixel off: widen the box instead.
            if ((box.right - box.left - size.cx) % 2) box.right += ScalePx(1, ScreenMetrics.DpiX);
            DrawTextW(dc, text, text.GetLength(), &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    }
    SelectObject(dc, oldFont);
    DeleteDC(source);
}
