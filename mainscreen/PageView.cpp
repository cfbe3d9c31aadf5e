#include "mainscreen/PageView.h"

#include "platform/TransparentImage.h"
#include "resources/ResourceIds.h"
#include "ui/ResourceLibrary.h"
#include "ui/ScreenMetrics.h"
#include "ui/TextDrawing.h"

#include <cwchar>

namespace {

constexpr COLORREF ImageKey = RGB(255, 0, 255);

// Draws the width × height part of image at (sourceX, 0) at (x, y) without its magenta pixels, through
// the paint's context for source images.
void DrawKeyed(HDC dc, HDC source, int x, int y, int width, int height, HBITMAP image, int sourceX) {
    if (!image) return;
    ScopedSelect selected(source, image);
    platform::TransparentImage(dc, x, y, width, height, source, sourceX, 0, width, height, ImageKey);
}

} // namespace

PageView::~PageView() {
    for (HBITMAP image : {CellImages[0], CellImages[1], CellImages[2], CellImages[3], NumberFrame,
                          ListImages[0], ListImages[1], ListImages[2], ScrollImage}) {
        if (image) DeleteObject(image);
    }
}

void PageView::LoadButtonImages(int big) {
    const struct {
        int bigId, smallId;
        const wchar_t *bigName, *smallName;
    } images[4] = {
        {IDB_BIG_BTN_TEXT, IDB_SMALL_BTN_TEXT, L"big_btn_text", L"small_btn_text"},
        {IDB_BIG_BTN_ADD, IDB_SMALL_BTN_ADD, L"big_btn_add", L"small_btn_add"},
        {IDB_BIG_PHOTO_FRAME, IDB_SMALL_PHOTO_FRAME, L"big_photo_frame", L"small_photo_frame"},
        {IDB_BIG_ACTIVE_FRAME, IDB_SMALL_ACTIVE_FRAME, L"big_active_frame", L"small_active_frame"}};
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

void PageView::LoadSharedImages() {
    if (!NumberFrame) NumberFrame = SkinLibrary.LoadBitmap(IDB_BTN_NUMBER_FRAME, L"btn_number_frame");
    const struct {
        int id;
        const wchar_t* name;
    } lists[3] = {{IDB_LIST_UNSELECT_BGR, L"list_unselect_bgr"},
                  {IDB_LIST_SELECT_BGR, L"list_select_bgr"},
                  {IDB_LIST_VOID_BGR, L"list_void_bgr"}};
    for (int i = 0; i < 3; ++i) {
        if (!ListImages[i]) ListImages[i] = SkinLibrary.LoadBitmap(lists[i].id, lists[i].name);
    }
    if (!ScrollImage) ScrollImage = SkinLibrary.LoadBitmap(IDB_SCROLL, L"scroll");
}

HBITMAP PageView::PhotoOf(SpeedDialButton& stored) {
    if (!stored.HasPhoto || stored.Photo) return stored.Photo;
    ContactDetails contact;
    WString problem;
    if (stored.Oid &&
        ReadContact(Model.Store, stored.Oid, contact, ReadPhoto, 2, Model.PhotoWidth, Model.PhotoHeight,
                    &problem) &&
        contact.Photo) {
        stored.Photo = contact.Photo;
        contact.Photo = nullptr;
    } else {
        if (!problem.IsEmpty()) {
            WString line;
            line.Format(L"Picture of \"%s\" (contact 0x%08lX): %s; the name is shown instead",
                        static_cast<const wchar_t*>(SpeedDialModel::DisplayNameOf(stored)),
                        static_cast<unsigned long>(stored.Oid), static_cast<const wchar_t*>(problem));
            Model.ReportPictureProblem(line);
        }
        // Not asked for again until the buttons are reloaded.
        stored.HasPhoto = 0;
    }
    return stored.Photo;
}

void PageView::DrawCellImage(HDC dc, HDC source, int image, int c) {
    const RECT& rect = Cells[c].Rect;
    DrawKeyed(dc, source, rect.left, rect.top, CellWidth, CellHeight, CellImages[image],
              Cells[c].Pressed ? CellWidth : 0);
}

void PageView::DrawKindLabel(HDC dc, const WString& kind, const RECT& rect) {
    SelectObject(dc, Skin.FontSmall);
    WString label = kind;
    const int width = rect.right - rect.left - 2 * ScalePx(1, ScreenMetrics.DpiX);
    SIZE size;
    GetTextExtentPoint32W(dc, label, label.GetLength(), &size);
    if (size.cx > width && FitTextWithEllipsis(label, width, dc))
        GetTextExtentPoint32W(dc, label, label.GetLength(), &size);
    const int x = rect.left + (rect.right - rect.left - size.cx) / 2;
    const int y = rect.bottom - ScalePx(1, ScreenMetrics.DpiY) - size.cy;
    if (Skin.PhoneTypeColor2 != Skin.PhoneTypeColor1) {
        SetTextColor(dc, Skin.PhoneTypeColor2);
        ExtTextOutW(dc, x - ScalePx(1, ScreenMetrics.DpiX), y - ScalePx(1, ScreenMetrics.DpiY), 0, nullptr,
                    label, label.GetLength(), nullptr);
    }
    SetTextColor(dc, Skin.PhoneTypeColor1);
    ExtTextOutW(dc, x, y, 0, nullptr, label, label.GetLength(), nullptr);
}

int PageView::DrawCell(HDC dc, HDC source, int c, int labelHeight) {
    const int index = Model.IndexOfPosition(AbsoluteCell(c));
    if (index < 0) {
        DrawCellImage(dc, source, BtnAdd, c);
        return -1;
    }
    SpeedDialButton& button = Model.Buttons.ElementAt(index);
    const RECT& rect = Cells[c].Rect;
    if (HBITMAP photo = PhotoOf(button)) {
        const SIZE size = BitmapSize(photo);
        {
            ScopedSelect selected(source, photo);
            BitBlt(dc, rect.left, rect.top, CellWidth, CellHeight, source, (size.cx - CellWidth) / 2,
                   (size.cy - CellHeight) / 2, SRCCOPY);
        }
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
    if (ShowPhoneType && !button.Type.IsEmpty()) DrawKindLabel(dc, button.Type, rect);
    return button.Btn;
}

void PageView::Paint(HDC dc, const RECT& client, const RECT& clip) {
    ScopedMemoryDC source(CreateCompatibleDC(dc));
    Paint(dc, source.Get(), client, clip);
}

void PageView::Paint(HDC dc, HDC source, const RECT& client, const RECT& clip) {
    SetDCBrushColor(dc, Skin.BgrColor);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    struct Numbered {
        int Cell, Btn;
    } numbered[MaxCellsPerPage];
    int numberedCount = 0;
    const int labelHeight = ShowPhoneType ? TextHeight(Skin.FontSmall) : 0;
    for (int c = 0; c < CellsPerPage; ++c) {
        RECT visible;
        if (!IntersectRect(&visible, &Cells[c].Rect, &clip)) continue;
        const int btn = DrawCell(dc, source, c, labelHeight);
        if (btn != -1) numbered[numberedCount++] = {c, btn};
    }
    if (FocusCell >= 0 && FocusCell < CellsPerPage) {
        const SIZE frame = BitmapSize(CellImages[ActiveFrame]);
        const RECT& rect = Cells[FocusCell].Rect;
        DrawKeyed(dc, source, rect.left + (rect.right - rect.left - frame.cx) / 2,
                  rect.top + (rect.bottom - rect.top - frame.cy) / 2, frame.cx, frame.cy,
                  CellImages[ActiveFrame], 0);
    }
    if (ShowNumbers && numberedCount) {
        const SIZE frame = BitmapSize(NumberFrame);
        SelectObject(dc, Skin.FontSmall);
        SetTextColor(dc, Skin.BtnNumberColor);
        for (int i = 0; i < numberedCount; ++i) {
            const RECT& cell = Cells[numbered[i].Cell].Rect;
            RECT box = {cell.right - frame.cx, cell.bottom - frame.cy, cell.right, cell.bottom};
            DrawKeyed(dc, source, box.left, box.top, frame.cx, frame.cy, NumberFrame, 0);
            wchar_t text[16];
            const int length = std::swprintf(text, 16, L"%d", numbered[i].Btn);
            SIZE size;
            GetTextExtentPoint32W(dc, text, length, &size);
            // Centring an odd remainder would leave the number a pixel off: widen the box instead.
            if ((box.right - box.left - size.cx) % 2) box.right += ScalePx(1, ScreenMetrics.DpiX);
            DrawTextW(dc, text, length, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    }
    SelectObject(dc, oldFont);
}
