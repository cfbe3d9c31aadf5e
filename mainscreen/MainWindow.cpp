#include "mainscreen/MainWindow.h"

#include "foundation/Settings.h"
#include "mainscreen/NameEditDialog.h"
#include "mainscreen/ScreenMenus.h"
#include "messaging/HapticFeedback.h"
#include "messaging/PlaceCall.h"
#include "messaging/SmsTextDialog.h"
#include "picker/ContactPickerDialog.h"
#include "phonenumbers/PhoneFormat.h"
#include "platform/MainWindowMessages.h"
#include "platform/ModalHost.h"
#include "platform/PhoneShell.h"
#include "platform/Windowing.h"
#include "resources/ResourceIds.h"
#include "ui/ScreenMetrics.h"

#include <algorithm>
#include <cstdlib>

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
    Create(MainWindowTitle, WS_VISIBLE, top, platform::GetSystemMetrics(SM_CXSCREEN),
           platform::GetSystemMetrics(SM_CYSCREEN) - top, nullptr);
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
        TalkKeyState = SendMessageW(MenuBar, platform::SHCMBM_OVERRIDEKEY, TalkKey, 0x30003);
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
    // Without a single cell there is no focus to move and no cell to place: both stay as they were.
    if (CellsPerPage > 0) {
        FocusCell = grid.FocusCell;
        for (int c = 0; c < MaxCellsPerPage; ++c) Cells[c].Rect = grid.CellRects[c];
    }
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
        SendMessageW(MenuBar, platform::SHCMBM_OVERRIDEKEY, TalkKey, MAKELPARAM(state, state));
    }
    PostQuitMessage(0);
}

bool MainWindow::OnCommand(int id, int code, HWND from) {
    Command(MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(from));
    return true;
}

void MainWindow::OnTimer(UINT_PTR id) {
    if (id != HoldTimer) return;
    StopHoldTimer();
    ReleaseCapture();
    ShowCellMenu(FocusCell);
    SetCellPressed(FocusCell, 0);
    PressedCell = -1;
}

// The pen's press and release come as unsigned coordinates, its moves as signed ones.
bool MainWindow::OnPenDown(int x, int y) {
    PenDown(static_cast<WORD>(x), static_cast<WORD>(y));
    return true;
}

bool MainWindow::OnPenMove(int x, int y) {
    PenMove(x, y);
    return true;
}

bool MainWindow::OnPenUp(int x, int y) {
    PenUp(static_cast<WORD>(x), static_cast<WORD>(y));
    return true;
}

bool MainWindow::OnKeyDown(UINT key, LPARAM) {
    KeyDown(key);
    return true;
}

bool MainWindow::OnKeyUp(UINT key, LPARAM) {
    KeyUp(key);
    return true;
}

bool MainWindow::OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT&) {
    switch (message) {
    case WM_ACTIVATE:
        if (!Panel.Window) return false;
        if (LOWORD(wParam) != WA_INACTIVE) ShowWindow(Window, SW_SHOW);
        return true;
    case WM_CLOSE:
        Close(wParam == ForcedClose);
        return true;
    case WM_SETTINGCHANGE:
        if (wParam == RotationSetting) {
            Panel.CutStrips();
            LayOut();
            Repaint(nullptr);
        }
        return true;
    case WM_CANCELMODE:
        StopHoldTimer();
        if (PressedCell >= 0) {
            SetCellPressed(PressedCell, 0);
            PressedCell = -1;
        }
        return true;
    case WM_WINDOWPOSCHANGED:
        KeepHiddenMarker(*reinterpret_cast<const WINDOWPOS*>(lParam));
        return false;
    case WM_NCACTIVATE:
        if (wParam) ShowWindow(Window, SW_SHOW);
        return false;
    case WM_INITMENUPOPUP:
        return true;
    case WM_HOTKEY:
        if (HIWORD(lParam) == TalkKey && FocusCell >= 0 && ButtonIndexOfCell(FocusCell) >= 0)
            Call(AbsoluteCell(FocusCell), nullptr);
        return true;
    case ReloadTemplatesMessage:
        LoadTemplates(Templates);
        return true;
    case ForgetVibrationMessage:
        ForgetClickLengths();
        return true;
    case ContactsChangedMessage:
        if (lParam == ContactsChanged) Model.Load(0);
        return true;
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

int MainWindow::CellAt(int x, int y) const {
    const POINT point = {x, y};
    for (int c = 0; c < CellsPerPage; ++c)
        if (PtInRect(&Cells[c].Rect, point)) return c;
    return -1;
}

int MainWindow::ButtonIndexOfCell(int c) const {
    const int a = AbsoluteCell(c);
    return a < 0 ? -1 : Model.IndexOfPosition(a);
}

void MainWindow::StopHoldTimer() {
    HoldTimerOn = 0;
    KeyPressPending = 0;
    if (!Window || !StopTimer(HoldTimer)) return;
    // A stopped hold must never fire late.
    MSG queued;
    while (PeekMessageW(&queued, Window, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
}

void MainWindow::PenDown(int x, int y) {
    const int c = CellAt(x, y);
    if (c < 0) return;
    SetCapture(Window);
    PressedCell = c;
    SetCellPressed(c, 1);
    SetFocusCell(c);
    PressX = x;
    PressY = y;
    if (ButtonIndexOfCell(c) == -1) return;
    if (!HoldTimerOn) {
        StartTimer(HoldTimer, HoldMs);
        HoldTimerOn = 1;
    }
    platform::SHRGINFO gesture = {sizeof gesture, Window, {x, y}, platform::SHRG_RETURNCMD};
    platform::SHRecognizeGesture(&gesture);
}

void MainWindow::PenMove(int x, int y) {
    if (GetCapture() != Window || PressedCell < 0) return;
    if (HoldTimerOn && (std::abs(PressX - x) >= 3 || std::abs(PressY - y) >= 3)) StopHoldTimer();
    const bool inside = PtInRect(&Cells[PressedCell].Rect, POINT{x, y});
    if (Cells[PressedCell].Pressed && !inside)
        SetCellPressed(PressedCell, 0);
    else if (!Cells[PressedCell].Pressed && inside)
        SetCellPressed(PressedCell, 1);
}

void MainWindow::PenUp(int x, int y) {
    StopHoldTimer();
    ReleaseCapture();
    if (PressedCell < 0) return;
    const int c = PressedCell;
    SetCellPressed(c, 0);
    if (PtInRect(&Cells[c].Rect, POINT{x, y})) Activate(c);
    PressedCell = -1;
}

void MainWindow::KeyDown(UINT key) {
    const int c = FocusCell, n = Columns;
    // Without a grid there is nowhere to move.
    const bool grid = n > 0 && CellsPerPage > 0;
    switch (key) {
    case VK_LEFT:
        if (!grid) return;
        if (c % n != 0)
            SetFocusCell(c - 1);
        else if (Page >= 1)
            ShowPage(Page - 1, c + n - 1);
        return;
    case VK_UP:
        if (grid && c - n >= 0) SetFocusCell(c - n);
        return;
    case VK_RIGHT:
        if (!grid) return;
        if (c % n != n - 1)
            SetFocusCell(c + 1);
        else if (Page < PageCount() - 1)
            ShowPage(Page + 1, c - n + 1);
        return;
    case VK_DOWN:
        if (grid && c + n < CellsPerPage) SetFocusCell(c + n);
        return;
    case VK_HOME:
        if (grid) SetFocusCell(0);
        return;
    case VK_END:
        if (grid) SetFocusCell(CellsPerPage - 1);
        return;
    case VK_RETURN:
    case ActionKey:
        if (GetCapture() == Window || c < 0) return;
        KeyPressPending = 1;
        StartTimer(HoldTimer, HoldMs);
        PressX = Cells[c].Rect.left + (Cells[c].Rect.right - Cells[c].Rect.left) / 2;
        PressY = Cells[c].Rect.top + (Cells[c].Rect.bottom - Cells[c].Rect.top) / 2;
        SetCellPressed(c, 1);
        {
            platform::SHRGINFO gesture = {sizeof gesture, Window, {PressX, PressY}, platform::SHRG_RETURNCMD};
            platform::SHRecognizeGesture(&gesture);
        }
        return;
    }
}

void MainWindow::KeyUp(UINT key) {
    if (key == EndKey) {
        PostMessageW(Window, WM_COMMAND, IDOK, 0);
        return;
    }
    if ((key != VK_RETURN && key != ActionKey) || !KeyPressPending) return;
    StopHoldTimer();
    if (FocusCell < 0) return;
    SetCellPressed(FocusCell, 0);
    Activate(FocusCell);
}

void MainWindow::Activate(int c) {
    const int a = AbsoluteCell(c);
    if (a < 0) return;
    if (Model.IndexOfPosition(a) >= 0) {
        Call(a, nullptr);
        return;
    }
    ContactPickerDialog picker;
    picker.templates = &Templates;
    picker.keypad.feedbackOn = settings::Read(settings::BtnFeedback) == 2;
    picker.keypad.feedbackDuration = PickerKeyFeedbackMs;
    std::copy(std::begin(ListImages), std::end(ListImages), picker.listImages);
    picker.scrollImage = ScrollImage;
    if (picker.DoModal(Window) != 1 || !picker.contactId) return;
    Model.AddFromContact(a, picker.contactId,
                         PhoneEntry{picker.phoneNumber, picker.phoneLabel, picker.phoneKind});
    if (Page == PageCount() - 1) {
        TotalCells += CellsPerPage;
        UpdatePageButtons();
    }
    if (c < CellsPerPage) Repaint(&Cells[c].Rect);
}

void MainWindow::ShowPage(int page, int focus) {
    FocusCell = focus;
    Page = page;
    UpdatePageButtons();
    Repaint(nullptr);
}

void MainWindow::TurnPage(int step) {
    const int page = Page + step;
    if (page < 0 || page > PageCount() - 1) return;
    Page = page;
    UpdatePageButtons();
    Repaint(nullptr);
}

void MainWindow::Command(WPARAM wParam, LPARAM) {
    switch (LOWORD(wParam)) {
    case IDOK:
    case IDCANCEL:
    case IDM_PANEL_CLOSE:
    case IDM_CLOSE:
        Close(0);
        return;
    case IDM_PANEL_BACK:
    case IDM_PANEL_FORWARD:
        if (settings::Read(settings::BtnFeedback) == 2) PlayFeedback(ShortClick);
        TurnPage(LOWORD(wParam) == IDM_PANEL_BACK ? -1 : 1);
        return;
    case IDM_PANEL_MENU:
        ShowMainMenu();
        return;
    case IDM_SORT_BY_NAME:
        Model.SortByName();
        Repaint(nullptr);
        return;
    case IDM_CLEAR_ALL:
        ClearAll();
        return;
    case IDM_DELETE_FOCUSED:
        DeleteButton(FocusCell);
        return;
    case IDM_RENAME_FOCUSED:
        Rename(AbsoluteCell(FocusCell));
        return;
    case IDM_MOVE_FOCUSED_UP:
    case IDM_MOVE_FOCUSED_DOWN:
    case IDM_MOVE_FOCUSED_LEFT:
    case IDM_MOVE_FOCUSED_RIGHT:
        Move(FocusCell, LOWORD(wParam) - IDM_MOVE_FOCUSED_UP + 1);
        return;
    case IDM_SOFTKEY_LEFT:
        if (Panel.PanelButtons[BottomPanel::Back].Enabled) TurnPage(-1);
        return;
    case IDM_SOFTKEY_RIGHT:
        if (Panel.PanelButtons[BottomPanel::Forward].Enabled) TurnPage(1);
        return;
    }
}

void MainWindow::Call(int a, const wchar_t* number) {
    SpeedDialButton button;
    if (!Model.GetByPosition(a, button)) return;
    WString dialled = number ? WString(number) : button.Phone;
    FormatPhoneNumber(&Templates, dialled);
    PlaceCall(dialled, SpeedDialModel::DisplayNameOf(button));
    if (settings::Read(settings::ModPreload) != 0) {
        // Stay in front until the dialer has come up, so that the screen never flashes empty.
        const DWORD start = GetTickCount();
        do Sleep(100);
        while (GetForegroundWindow() == Window && GetTickCount() - start < 2001);
    }
    Close(0);
}

void MainWindow::Close(int forced) {
    if (!forced && settings::Read(settings::ModPreload) != 0) {
        ShowWindow(Window, SW_HIDE);
        return;
    }
    Quit();
}

int MainWindow::Rename(int a) {
    SpeedDialButton button;
    if (a < 0 || !Model.GetByPosition(a, button)) return 0;
    const WString current = SpeedDialModel::DisplayNameOf(button);
    NameEditDialog dialog;
    dialog.Suggestions = NameEditDialog::SuggestionsFor(button.First, button.Last, button.Company);
    if (dialog.DoModal(Window) != NameEditDialog::Confirmed) return 0;
    const int index = Model.IndexOfPosition(a);
    if (index >= 0 && dialog.Name != current) {
        Model.Buttons.ElementAt(index).Display = dialog.Name;
        Model.Save(index);
    }
    return 1;
}

void MainWindow::SendSms(int a) {
    SpeedDialButton button;
    if (!Model.GetByPosition(a, button)) return;
    SmsTextDialog::Run(Window, button.Phone, SpeedDialModel::DisplayNameOf(button), ListImages, ScrollImage);
}

void MainWindow::ViewContact(int a) {
    SpeedDialButton button;
    if (Model.GetByPosition(a, button)) {
        ContactDetails contact;
        if (button.Oid && !ReadContact(Model.Store, button.Oid, contact, ReadNames, 0, 0, 0)) button.Oid = 0;
        if (!button.Oid && Model.Refind(button)) Model.SetAtPosition(a, button);
        if (button.Oid) {
            WString commandLine;
            commandLine.Format(L"v %x", button.Oid);
            OpenContactViewer(commandLine);
            return;
        }
    }
    WString text;
    text.LoadString(IDS_CONTACT_NOT_FOUND);
    platform::MessageBoxW(Window, text, MainWindowTitle, MB_ICONEXCLAMATION);
}

void MainWindow::Move(int c, int direction) {
    const int a = AbsoluteCell(c), n = Columns, P = CellsPerPage;
    if (a < 0 || Model.IndexOfPosition(a) < 0 || n <= 0) return;
    int t = c, page = Page;
    switch (direction) {
    case 1:
        t = c - n;
        break;
    case 2:
        t = c + n;
        break;
    case 3:
        if (c % n != 0) {
            t = c - 1;
        } else {
            if (Page == 0) return;
            t = c + n - 1;
            page = Page - 1;
        }
        break;
    case 4:
        if (c % n != n - 1) {
            t = c + 1;
        } else {
            if (Page >= PageCount() - 1) return;
            t = c - n + 1;
            page = Page + 1;
        }
        break;
    default:
        return;
    }
    if (t < 0 || t > P - 1) return;
    if (page != Page) {
        Page = page;
        UpdatePageButtons();
    }
    Model.SwapPositions(a, t + P * Page);
    if (FocusCell == c) FocusCell = t;
    Repaint(nullptr);
}

void MainWindow::DeleteButton(int c) {
    if (ButtonIndexOfCell(c) < 0) return;
    Array<int> positions;
    positions.Add(AbsoluteCell(c));
    Model.DeletePositions(positions);
    Repaint(&Cells[c].Rect);
}

void MainWindow::DeletePage() {
    const int P = CellsPerPage;
    if (P <= 0) return;
    Array<int> positions;
    for (int x = Page * P; x < Page * P + P; ++x) positions.Add(x);
    Model.DeletePositions(positions);
    for (int x = (Page + 1) * P; x < TotalCells; ++x) Model.SwapPositions(x, x - P);
    if (TotalCells > P) TotalCells -= P;
    FocusCell = 0;
    if (Page > PageCount() - 1) Page = PageCount() - 1;
    UpdatePageButtons();
    Repaint(nullptr);
}

void MainWindow::ClearAll() {
    WString question;
    question.LoadString(IDS_CONFIRM_CLEAR_ALL);
    if (platform::MessageBoxW(Window, question, L"", MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return;
    Model.Clear();
    RegDeleteKeyW(HKEY_CURRENT_USER, SpeedDialModel::RegistryKey);
    RegFlushKey(HKEY_CURRENT_USER);
    Page = 0;
    TotalCells = CellsPerPage;
    FocusCell = 0;
    UpdatePageButtons();
    Repaint(nullptr);
}

UINT MainWindow::RunMenu(HMENU menu, UINT flags, POINT at) {
    const ScopedMenu owned(menu);
    return static_cast<UINT>(platform::TrackPopupMenuEx(menu, flags, at.x, at.y, Window, nullptr));
}

void MainWindow::ShowCellMenu(int c) {
    const int a = AbsoluteCell(c);
    SpeedDialButton button;
    if (a < 0 || !Model.GetByPosition(a, button)) return;
    POINT at = {PressX, PressY};
    ClientToScreen(Window, &at);
    const UINT choice = RunMenu(BuildCellMenu(button), TPM_RETURNCMD, at);
    if (choice >= cell_menu::CallFirst) {
        const int k = static_cast<int>(choice - cell_menu::CallFirst);
        if (k < button.Phones.GetSize()) Call(a, button.Phones[k].Number);
    } else if (choice >= cell_menu::ChooseNumberFirst && choice <= cell_menu::ChooseNumberLast) {
        const int k = static_cast<int>(choice - cell_menu::ChooseNumberFirst);
        const int index = Model.IndexOfPosition(a);
        if (k >= button.Phones.GetSize() || index < 0) return;
        const PhoneEntry& entry = button.Phones[k];
        SpeedDialButton& stored = Model.Buttons.ElementAt(index);
        if (stored.Phone == entry.Number && stored.Type == entry.Label &&
            stored.Link == static_cast<DWORD>(entry.Kind))
            return;
        stored.Phone = entry.Number;
        stored.Type = entry.Label;
        stored.Link = static_cast<DWORD>(entry.Kind);
        Model.Save(index);
    } else if (choice >= dial_number_menu::First && choice <= dial_number_menu::Delete) {
        AssignDialNumber(a, choice);
    } else if (choice == cell_menu::Rename) {
        Rename(a);
    } else if (choice == cell_menu::SendSms) {
        SendSms(a);
    } else if (choice == cell_menu::Clear) {
        Array<int> positions;
        positions.Add(a);
        Model.DeletePositions(positions);
        Repaint(&Cells[c].Rect);
    }
}

void MainWindow::AssignDialNumber(int a, UINT choice) {
    Model.AssignNumber(
        a, choice == dial_number_menu::Delete ? -1 : static_cast<int>(choice - dial_number_menu::First));
    Repaint(nullptr);
}

void MainWindow::ShowMainMenu() {
    const int f = AbsoluteCell(FocusCell);
    SpeedDialButton button;
    const bool focused = f >= 0 && Model.GetByPosition(f, button);
    const RECT menuButton = Panel.ButtonRect(BottomPanel::Menu);
    POINT at = {menuButton.left, menuButton.top};
    ClientToScreen(Panel.Window, &at);
    const bool landscape = platform::GetSystemMetrics(SM_CXSCREEN) > platform::GetSystemMetrics(SM_CYSCREEN);
    const UINT choice =
        RunMenu(BuildMainMenu(focused ? &button : nullptr, {BigButtons, ShowNumbers, ShowPhoneType}),
                TPM_RETURNCMD | (landscape ? TPM_RIGHTALIGN : TPM_BOTTOMALIGN), at);
    switch (choice) {
    case main_menu::Delete:
        SendMessageW(Window, WM_COMMAND, IDM_DELETE_FOCUSED, 0);
        return;
    case main_menu::Rename:
        SendMessageW(Window, WM_COMMAND, IDM_RENAME_FOCUSED, 0);
        return;
    case main_menu::SortByName:
        SendMessageW(Window, WM_COMMAND, IDM_SORT_BY_NAME, 0);
        return;
    case main_menu::ClearAll:
        SendMessageW(Window, WM_COMMAND, IDM_CLEAR_ALL, 0);
        return;
    case main_menu::AddPage:
        if (CellsPerPage <= 0) return;
        TotalCells += CellsPerPage;
        ShowPage(PageCount() - 1, 0);
        return;
    case main_menu::DeletePage:
        DeletePage();
        return;
    case main_menu::BigButtons:
        SetButtonSize(BigButtons == 1 ? 0 : 1);
        LayOut();
        Repaint(nullptr);
        return;
    case main_menu::ShowNumbers:
        ShowNumbers = !ShowNumbers;
        WriteDword(settings::DvShowBtn.name, ShowNumbers);
        Repaint(nullptr);
        return;
    case main_menu::ShowPhoneType:
        ShowPhoneType = !ShowPhoneType;
        WriteDword(settings::DvShowType.name, ShowPhoneType);
        Repaint(nullptr);
        return;
    case main_menu::Exit:
        PostMessageW(Window, WM_CLOSE, ForcedClose, 0);
        return;
    case main_menu::ViewContact:
        ViewContact(f);
        return;
    case main_menu::SendSms:
        SendSms(f);
        return;
    }
    if (choice >= main_menu::MoveFirst && choice <= main_menu::MoveLast)
        Move(FocusCell, static_cast<int>(choice - main_menu::MoveFirst) + 1);
    else if (choice >= dial_number_menu::First && choice <= dial_number_menu::Delete)
        AssignDialNumber(f, choice);
}
