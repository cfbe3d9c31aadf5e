#include "mainscreen/MainWindow.h"

#include "foundation/Settings.h"
#include "messaging/HapticFeedback.h"
#include "platform/MainWindowMessages.h"
#include "platform/PhoneShell.h"
#include "resources/ResourceIds.h"
#include "ui/ScreenMetrics.h"

#include <algorithm>

MainWindow::MainWindow() {
    Model.Store = ContactStore::Instance();
    if (Model.Store && !Model.Store->App) Model.Store->Logon();
}

MainWindow::~MainWindow() {
    Destroy();
}

int MainWindow::Initialise(int preload) {
    if (Window) return 1;
    LoadTemplates(Templates);
    ShowNumbers = settings::Read(settings::DvShowBtn);
    ShowPhoneType = settings::Read(settings::DvShowType);
    RegisterWindowClass(MainWindowClassName, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    Preload = preload;
    if (preload) WriteDword(settings::HSTRF, 1);
    const int top = GetTaskbarHeight();
    Create(MainWindowTitle, WS_VISIBLE, top, GetSystemMetrics(SM_CXSCREEN),
           GetSystemMetrics(SM_CYSCREEN) - top, nullptr);
    if (preload) WriteDword(settings::HSTRF, 0);
    if (!Window) return 0;
    if (preload) ShowWindow(Window, SW_HIDE);
    LoadSkin(Skin);
    CreateSoftKeys();
    Panel.Background = Skin.BgrColor;
    Panel.CaptionFont = Skin.FontButton;
    Panel.CreatePanel(Window);
    // The screen and its panel show at once; a long list of buttons fills the grid afterwards.
    UpdateWindow(Window);
    LoadSharedImages();
    SetButtonSize(settings::Read(settings::DvBigBtn));
    Model.Load(1);
    platform::SHFullScreen(Window, platform::SHFS_HIDESIPBUTTON);
    platform::SHSipPreference(Window, platform::SIP_FORCEDOWN);
    if (Window && MenuBar && IsPhone())
        TalkKeyState = SendMessageW(MenuBar, platform::SHCMBM_OVERRIDEKEY, VK_F3, 0x30003);
    LayOut();
    Repaint(nullptr);
    return 1;
}

void MainWindow::CreateSoftKeys() {
    platform::SHMENUBARINFO bar = {};
    bar.cbSize = sizeof bar;
    bar.hwndParent = Window;
    bar.dwFlags = platform::SHCMBF_HMENU;
    bar.nToolBarId = IDR_SOFTKEYS_PAGES;
    bar.hInstRes = ModuleInstance();
    if (!platform::SHCreateMenuBar(&bar)) return;
    MenuBar = bar.hwndMB;
    MoveWindow(MenuBar, 0, 0, 0, 0, FALSE);
}

bool MainWindow::IsPhone() {
    return GetFileAttributesW(L"\\windows\\sms.dll") != INVALID_FILE_ATTRIBUTES;
}

void MainWindow::SetButtonSize(int big) {
    if (big == BigButtons) return;
    BigButtons = big;
    WriteDword(settings::DvBigBtn.name, big);
    LoadButtonImages(big);
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
    for (int i = 0; i < Model.Buttons.GetSize(); ++i) largest = std::max(largest, Model.Buttons[i].Index);
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

int MainWindow::OnCreate(const CREATESTRUCTW&) {
    if (Preload) ShowWindow(Window, SW_HIDE);
    return 0;
}

void MainWindow::OnDestroy() {
    if (MenuBar) {
        DestroyWindow(MenuBar);
        MenuBar = nullptr;
    }
}

void MainWindow::OnPaint(HDC dc, const RECT& rcPaint) {
    platform::SHFullScreen(Window, platform::SHFS_HIDESIPBUTTON);
    paintBuffer_.Paint(Window, dc, rcPaint, [&](HDC memory, const RECT& client) {
        Paint(memory, paintBuffer_.SourceContext(dc), client, rcPaint);
    });
}

bool MainWindow::OnEraseBackground(HDC) {
    return true;
}

void MainWindow::Quit() {
    if (Window && MenuBar && IsPhone()) {
        const WORD state = LOWORD(TalkKeyState);
        SendMessageW(MenuBar, platform::SHCMBM_OVERRIDEKEY, VK_F3, MAKELPARAM(state, state));
    }
    PostQuitMessage(0);
}

bool MainWindow::OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT&) {
    switch (message) {
    case WM_CLOSE:
        // Closing ends the program for now.
        Quit();
        return true;
    case WM_SETTINGCHANGE:
        if (wParam == RotationSetting) {
            Panel.CutStrips();
            LayOut();
            Repaint(nullptr);
        }
        return true;
    case WM_WINDOWPOSCHANGED:
        KeepHiddenMarker(*reinterpret_cast<const WINDOWPOS*>(lParam));
        return false;
    case ReloadTemplatesMessage:
        LoadTemplates(Templates);
        return true;
    case ForgetVibrationMessage:
        ForgetClickLengths();
        return true;
    case ContactsChangedMessage:
        if (lParam == ContactsChanged) Model.Load(0);
        return true;
    case WM_NCACTIVATE:
        if (wParam) ShowWindow(Window, SW_SHOW);
        return false;
    }
    return false;
}

void MainWindow::KeepHiddenMarker(const WINDOWPOS& position) {
    const UINT flags = position.flags;
    const LONG style = GetWindowLongW(Window, GWL_STYLE);
    if (flags & SWP_HIDEWINDOW) {
        if (!(style & HiddenMarker)) SetWindowLongW(Window, GWL_STYLE, style | HiddenMarker);
    } else if ((flags & SWP_SHOWWINDOW) || flags == 0x213) {
        if (style & HiddenMarker) SetWindowLongW(Window, GWL_STYLE, style & ~HiddenMarker);
    } else if (flags & 0x60000000) {
        ShowWindow(Window, SW_HIDE);
    }
}
