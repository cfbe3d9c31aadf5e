#include "mainscreen/BottomPanel.h"

#include "platform/Windowing.h"
#include "resources/ResourceIds.h"
#include "ui/ResourceLibrary.h"
#include "ui/ScreenMetrics.h"

BottomPanel::~BottomPanel() {
    Destroy();
    if (Strip1) DeleteObject(Strip1);
    if (Strip2) DeleteObject(Strip2);
}

bool BottomPanel::IsLandscape() {
    return platform::GetSystemMetrics(SM_CXSCREEN) > platform::GetSystemMetrics(SM_CYSCREEN);
}

int BottomPanel::CreatePanel(HWND parent) {
    if (Window) return 1;
    if (!Create(nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, parent)) return 0;
    const UINT captions[4] = {IDS_PANEL_BACK, IDS_PANEL_FORWARD, IDS_PANEL_MENU, IDS_PANEL_CLOSE};
    const int commands[4] = {IDM_PANEL_BACK, IDM_PANEL_FORWARD, IDM_PANEL_MENU, IDM_PANEL_CLOSE};
    for (int i = 0; i < 4; ++i) {
        PanelButtons[i].CommandId = commands[i];
        PanelButtons[i].Caption.LoadString(captions[i]);
    }
    CutStrips();
    return 1;
}

void BottomPanel::CutStrips() {
    if (Strip1) DeleteObject(Strip1);
    if (Strip2) DeleteObject(Strip2);
    const bool landscape = IsLandscape();
    Strip1 = landscape ? SkinLibrary.LoadBitmap(IDB_L_PANEL_1, L"l_panel_1")
                       : SkinLibrary.LoadBitmap(IDB_P_PANEL_1, L"p_panel_1");
    Strip2 = landscape ? SkinLibrary.LoadBitmap(IDB_L_PANEL_2, L"l_panel_2")
                       : SkinLibrary.LoadBitmap(IDB_P_PANEL_2, L"p_panel_2");
    const SIZE size1 = BitmapSize(Strip1), size2 = BitmapSize(Strip2);
    Strip1Width = size1.cx;
    Strip1Height = size1.cy;
    Strip2Width = size2.cx;
    Strip2Height = size2.cy;
    CutFrames(landscape);
}

void BottomPanel::CutFrames(bool landscape) {
    Landscape = landscape;
    // In landscape Menu and Close take the panel's full width.
    if (landscape) Strip2Width = 0;
    for (int i = 0; i < 4; ++i) {
        PanelButton& button = PanelButtons[i];
        // Strip 1 holds six frames (normal, pressed, disabled for Back and Forward), strip 2 four.
        const int frames = i < 2 ? 6 : 4, slot = i % 2;
        const int width = i < 2 ? Strip1Width : Strip2Width, height = i < 2 ? Strip1Height : Strip2Height;
        button.Width = landscape ? width : width / frames;
        button.Height = landscape ? height / frames : height;
        const int step = landscape ? button.Height : button.Width;
        const auto place = [&](int& x, int& y, int frame) {
            x = landscape ? 0 : step * frame;
            y = landscape ? step * frame : 0;
        };
        place(button.NormalX, button.NormalY, slot);
        place(button.PressedX, button.PressedY, slot + 2);
        if (i < 2) place(button.DisabledX, button.DisabledY, slot + 4);
    }
}

RECT BottomPanel::ButtonRect(int i) const {
    RECT client = {};
    if (Window) GetClientRect(Window, &client);
    return ButtonRectIn(client, i);
}

RECT BottomPanel::ButtonRectIn(const RECT& client, int i) const {
    if (i < 0 || i > 3) return {};
    const PanelButton& button = PanelButtons[i];
    RECT rect = client;
    if (i < 2) {
        if (Landscape) {
            rect.top = client.top + button.Height * i;
            rect.bottom = rect.top + button.Height;
        } else {
            rect.left = client.left + button.Width * i;
            rect.right = rect.left + button.Width;
        }
    } else if (Landscape) {
        rect.bottom = client.bottom - (3 - i) * button.Height;
        rect.top = rect.bottom - button.Height;
    } else {
        rect.right = client.right - (3 - i) * button.Width;
        rect.left = rect.right - button.Width;
    }
    return rect;
}

void BottomPanel::SetEnabled(int i, int enabled) {
    if (PanelButtons[i].Enabled == enabled) return;
    PanelButtons[i].Enabled = enabled;
    RepaintButton(i);
}

void BottomPanel::RepaintButton(int i) {
    if (!Window) return;
    const RECT rect = ButtonRect(i);
    InvalidateRect(Window, &rect, FALSE);
    UpdateWindow(Window);
}

void BottomPanel::Paint(HDC dc, const RECT& client, const RECT& clip) {
    SetDCBrushColor(dc, Background);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    HDC source = paintBuffer_.SourceContext(dc);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, CaptionFont ? CaptionFont : GetStockObject(DEFAULT_GUI_FONT));
    HGDIOBJ oldBitmap = nullptr;
    for (int i = 0; i < 4; ++i) {
        const RECT rect = ButtonRectIn(client, i);
        RECT visible;
        if (!IntersectRect(&visible, &rect, &clip)) continue;
        const PanelButton& button = PanelButtons[i];
        HBITMAP strip = i < 2 ? Strip1 : Strip2;
        if (strip) {
            int x = button.DisabledX, y = button.DisabledY;
            if (button.Pressed) {
                x = button.PressedX;
                y = button.PressedY;
            } else if (button.Enabled) {
                x = button.NormalX;
                y = button.NormalY;
            }
            HGDIOBJ previous = SelectObject(source, strip);
            if (!oldBitmap) oldBitmap = previous;
            BitBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source, x, y,
                   SRCCOPY);
        }
        if (button.Caption.IsEmpty()) continue;
        SIZE text;
        GetTextExtentPoint32W(dc, button.Caption, button.Caption.GetLength(), &text);
        const int x = rect.left + (rect.right - rect.left - text.cx) / 2;
        const int y = rect.bottom - ScalePx(2, ScreenMetrics.DpiY) - text.cy;
        ExtTextOutW(dc, x, y, ETO_CLIPPED, &client, button.Caption, button.Caption.GetLength(), nullptr);
    }
    if (oldBitmap) SelectObject(source, oldBitmap);
    SelectObject(dc, oldFont);
}

int BottomPanel::ButtonAt(int x, int y) const {
    const POINT point = {x, y};
    for (int i = 0; i < 4; ++i) {
        const RECT rect = ButtonRect(i);
        if (PtInRect(&rect, point)) return i;
    }
    return -1;
}

bool BottomPanel::OnPenDown(int x, int y) {
    const int i = ButtonAt(x, y);
    if (i < 0 || !PanelButtons[i].Enabled) return true;
    PanelButton& button = PanelButtons[i];
    button.Pressed = 1;
    RepaintButton(i);
    if (button.CommandId != IDM_PANEL_MENU) {
        SetCapture(Window);
        CapturedButton = i;
        return true;
    }
    // The menu runs inside this call; the button shows pressed while it is up.
    SendMessageW(GetParent(Window), WM_COMMAND, IDM_PANEL_MENU, 0);
    button.Pressed = 0;
    RepaintButton(i);
    return true;
}

bool BottomPanel::OnPenMove(int x, int y) {
    if (GetCapture() != Window || CapturedButton < 0) return true;
    PanelButton& button = PanelButtons[CapturedButton];
    const RECT rect = ButtonRect(CapturedButton);
    const bool inside = PtInRect(&rect, POINT{x, y});
    if (inside != (button.Pressed != 0)) {
        button.Pressed = inside;
        RepaintButton(CapturedButton);
    }
    return true;
}

bool BottomPanel::OnPenUp(int x, int y) {
    if (GetCapture() != Window) return true;
    ReleaseCapture();
    if (CapturedButton < 0) return true;
    const int i = CapturedButton;
    CapturedButton = -1;
    PanelButtons[i].Pressed = 0;
    RepaintButton(i);
    const RECT rect = ButtonRect(i);
    if (PtInRect(&rect, POINT{x, y}))
        SendMessageW(GetParent(Window), WM_COMMAND, PanelButtons[i].CommandId, 0);
    return true;
}

void BottomPanel::OnPaint(HDC dc, const RECT& rcPaint) {
    paintBuffer_.Paint(Window, dc, rcPaint,
                       [&](HDC memory, const RECT& client) { Paint(memory, client, rcPaint); });
}

bool BottomPanel::OnEraseBackground(HDC) {
    return true;
}
