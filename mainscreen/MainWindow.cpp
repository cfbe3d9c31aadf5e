#include "mainscreen/MainWindow.h"

#include "foundation/Settings.h"
#include "messaging/HapticFeedback.h"
#include "ui/BufferedPaint.h"
#include "platform/PhoneShell.h"
#include "resources/ResourceIds.h"
#include "ui/ResourceLibrary.h"
#include "ui/ScreenMetrics.h"

MainWindow::MainWindow() {
    Model.Store = ContactStore::Instance();
    if (Model.Store && !Model.Store->App) Model.Store->Logon();
}

MainWindow::~MainWindow() {
    for (HBITMAP image : {CellImages[0], CellImages[1], CellImages[2], CellImages[3], NumberFrame,
                          ListImages[0], ListImages[1], ListImages[2], ScrollImage}) {
        if (image) DeleteObject(image);
    }
}

int MainWindow::Initialise(int preload) {
    if (Window) return 1;
    LoadTemplates(Templates);
    ShowNumbers = settings::Read(settings::DvShowBtn);
    ShowPhoneType = settings::Read(settings::DvShowType);
    RegisterWindowClass(WindowClassName, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    Preload = preload;
    if (preload) WriteDword(settings::HSTRF, 1);
    const int top = GetTaskbarHeight();
    Create(Title, WS_VISIBLE, top, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) - top,
           nullptr);
    if (preload) WriteDword(settings::HSTRF, 0);
    if (!Window) return 0;
    if (preload) ShowWindow(Window, SW_HIDE);
    LoadSkin(Skin);
    CreateSoftKeys();
    Panel.Background = Skin.BgrColor;
    Panel.CaptionFont = Skin.FontButton;
    Panel.CreatePanel(Window);
    LoadSharedImages();
    SetButtonSize(settings::Read(settings::DvBigBtn));
    Model.Load(1);
    platform::SHFullScreen(Window, platform::SHFS_HIDESIPBUTTON);
    platform::SHSipPreference(Window, platform::SIP_FORCEDOWN);
    if (Window && MenuBar && IsPhone())
        TalkKeyState = SendMessageW(MenuBar, platform::SHCMBM_OVERRIDEKEY, VK_F3, 0x30003);
    LayOut();
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

void MainWindow::LoadSharedImages() {
    if (!NumberFrame) NumberFrame = SkinLibrary.LoadBitmap(120, L"btn_number_frame");
    const struct {
        int id;
        const wchar_t* name;
    } lists[3] = {{156, L"list_unselect_bgr"}, {154, L"list_select_bgr"}, {158, L"list_void_bgr"}};
    for (int i = 0; i < 3; ++i) {
        if (!ListImages[i]) ListImages[i] = SkinLibrary.LoadBitmap(lists[i].id, lists[i].name);
    }
    if (!ScrollImage) ScrollImage = SkinLibrary.LoadBitmap(140, L"scroll");
}

bool MainWindow::IsPhone() {
    return GetFileAttributesW(L"\\windows\\sms.dll") != INVALID_FILE_ATTRIBUTES;
}

LRESULT MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        if (Preload) ShowWindow(window, SW_HIDE);
        return 0;
    case WM_DESTROY:
        if (MenuBar) {
            DestroyWindow(MenuBar);
            MenuBar = nullptr;
        }
        return 0;
    case WM_CLOSE:
        // Closing ends the program for now: give the Talk key back first.
        if (Window && MenuBar && IsPhone()) {
            const WORD state = LOWORD(TalkKeyState);
            SendMessageW(MenuBar, platform::SHCMBM_OVERRIDEKEY, VK_F3, MAKELPARAM(state, state));
        }
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        platform::SHFullScreen(window, platform::SHFS_HIDESIPBUTTON);
        platform::PaintBuffered(window, [this](HDC memory, const RECT& client, const RECT& clip) {
            Paint(memory, client, clip);
        });
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETTINGCHANGE:
        if (wParam == RotationSetting) {
            Panel.CutStrips();
            LayOut();
            Repaint(nullptr);
        }
        return 0;
    case WM_WINDOWPOSCHANGED:
        KeepHiddenMarker(*reinterpret_cast<const WINDOWPOS*>(lParam));
        break;
    case ReloadTemplatesMessage:
        LoadTemplates(Templates);
        return 0;
    case ForgetVibrationMessage:
        ForgetClickLengths();
        return 0;
    case ContactsChangedMessage:
        if (lParam == ContactsChanged) Model.Load(0);
        return 0;
    case WM_NCACTIVATE:
        if (wParam) ShowWindow(window, SW_SHOW);
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
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
