#include "companions/deviceshell/StatusBarWindow.h"

#include "foundation/ErrorLog.h"
#include "platform/MainWindowMessages.h"
#include "platform/PhoneShell.h"
#include "ui/ScreenMetrics.h"

#include <cwchar>

namespace {

constexpr UINT_PTR ClockTimer = 1;
constexpr COLORREF BarColor = RGB(18, 20, 26);
constexpr COLORREF TextColor = RGB(236, 238, 242);
constexpr COLORREF DimColor = RGB(110, 116, 128);
constexpr COLORREF AccentColor = RGB(56, 110, 190);

int Dpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

void Fill(HDC dc, const RECT& rect, COLORREF color) {
    SetDCBrushColor(dc, color);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void Frame(HDC dc, const RECT& rect, COLORREF color, int width) {
    Fill(dc, {rect.left, rect.top, rect.right, rect.top + width}, color);
    Fill(dc, {rect.left, rect.bottom - width, rect.right, rect.bottom}, color);
    Fill(dc, {rect.left, rect.top, rect.left + width, rect.bottom}, color);
    Fill(dc, {rect.right - width, rect.top, rect.right, rect.bottom}, color);
}

} // namespace

StatusBarWindow::~StatusBarWindow() {
    Destroy();
}

int StatusBarWindow::Height() const {
    return 26 * Dpi() / 96;
}

HWND StatusBarWindow::CreateBar(int width, int height) {
    SIZE screen = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (width > 0 && height > 0 && MakeRoomFor({width, height}, L"show")) screen = {width, height};
    RegisterWindowClass(platform::TaskBarClass, nullptr);
    if (!Create(L"", WS_POPUP, 0, screen.cx, Height(), nullptr)) return nullptr;
    SetWindowLongW(Window, GWL_EXSTYLE, WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE);
    Publish(screen);
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    LOGFONTW face = {};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        face = metrics.lfMessageFont;
    face.lfHeight = -ScalePx(12, Dpi());
    face.lfWeight = FW_SEMIBOLD;
    face.lfQuality = CLEARTYPE_QUALITY;
    font_.Reset(CreateFontIndirectW(&face));
    RegisterHotKey(Window, RotateHotKey, MOD_CONTROL | MOD_ALT, 'R');
    StartTimer(ClockTimer, 1000);
    PlaceAtTop();
    ShowWindow(Window, SW_SHOWNOACTIVATE);
    return Window;
}

void StatusBarWindow::PlaceAtTop() {
    SetWindowPos(Window, HWND_TOPMOST, 0, 0, screen_.cx, Height(), SWP_NOACTIVATE);
}

void StatusBarWindow::Publish(SIZE size) {
    screen_ = size;
    followDisplay_ = size.cx == GetSystemMetrics(SM_CXSCREEN) && size.cy == GetSystemMetrics(SM_CYSCREEN);
    SetPropW(Window, platform::ScreenWidthProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(size.cx)));
    SetPropW(Window, platform::ScreenHeightProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(size.cy)));
}

bool StatusBarWindow::MakeRoomFor(SIZE size, const wchar_t* purpose) {
    const SIZE display = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (size.cx <= display.cx && size.cy <= display.cy) return true;
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    LONG refused = DISP_CHANGE_FAILED;
    if (EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
        mode.dmPelsWidth = size.cx;
        mode.dmPelsHeight = size.cy;
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        refused = ChangeDisplaySettingsW(&mode, 0);
        if (refused == DISP_CHANGE_SUCCESSFUL) return true;
    }
    // The smallest listed mode that holds the screen, which then stands at its top-left corner.
    DEVMODEW best = {};
    best.dmSize = sizeof best;
    for (DWORD i = 0;; ++i) {
        DEVMODEW listed = {};
        listed.dmSize = sizeof listed;
        if (!EnumDisplaySettingsW(nullptr, i, &listed)) break;
        if (listed.dmPelsWidth < DWORD(size.cx) || listed.dmPelsHeight < DWORD(size.cy)) continue;
        if (!best.dmPelsWidth ||
            listed.dmPelsWidth * listed.dmPelsHeight < best.dmPelsWidth * best.dmPelsHeight)
            best = listed;
    }
    if (best.dmPelsWidth) {
        best.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        if (ChangeDisplaySettingsW(&best, 0) == DISP_CHANGE_SUCCESSFUL) return true;
    }
    wchar_t line[200];
    std::swprintf(
        line, 200,
        L"Cannot %ls the screen at %ldx%ld: the display is %ldx%ld, refuses that mode (%ld) and has "
        L"no mode that holds it",
        purpose, size.cx, size.cy, display.cx, display.cy, refused);
    ProblemReport(L"DeviceShell", L"MakeRoomFor").Add(line);
    return false;
}

void StatusBarWindow::Rotate() {
    const SIZE turned = {screen_.cy, screen_.cx};
    const RECT from = {0, Height(), screen_.cx, screen_.cy};
    if (!MakeRoomFor(turned, L"turn")) return;
    Publish(turned);
    PlaceAtTop();
    // Windows that span the screen below the bar (full-screen windows, and dialogs that leave room for
    // their soft keys) span it again in the new orientation, as far from its bottom as before.
    struct Refit {
        HWND bar;
        RECT from;
        SIZE to;
    } refit = {Window, from, turned};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            const Refit& refit = *reinterpret_cast<const Refit*>(data);
            RECT rect;
            if (window == refit.bar || !GetWindowRect(window, &rect)) return TRUE;
            if (rect.left != refit.from.left || rect.top != refit.from.top ||
                rect.right != refit.from.right || rect.bottom > refit.from.bottom || rect.bottom <= rect.top)
                return TRUE;
            const int bottom = refit.to.cy - (refit.from.bottom - rect.bottom);
            if (bottom > rect.top)
                SetWindowPos(window, nullptr, 0, rect.top, refit.to.cx, bottom - rect.top,
                             SWP_NOZORDER | SWP_NOACTIVATE);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&refit));
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, RotationSetting, 0, SMTO_ABORTIFHUNG, 2000,
                        &result);
}

RECT StatusBarWindow::DoneButtonRect(const RECT& client) const {
    HWND foreground = GetForegroundWindow();
    if (!foreground || !GetPropW(foreground, platform::DoneButtonProperty)) return {};
    const int width = client.bottom * 2;
    return {client.right - width, 0, client.right, client.bottom};
}

void StatusBarWindow::Paint(HDC dc, const RECT& client) {
    Fill(dc, client, BarColor);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, font_ ? font_.Get() : GetStockObject(DEFAULT_GUI_FONT));
    const int h = client.bottom, unit = h > 8 ? h / 8 : 1;
    int right = client.right - unit * 2;

    const RECT done = DoneButtonRect(client);
    if (done.right > done.left) {
        RECT button = {done.left + unit, unit, done.right - unit, h - unit};
        Fill(dc, button, AccentColor);
        SetTextColor(dc, TextColor);
        HWND foreground = GetForegroundWindow();
        const bool cancel = reinterpret_cast<ULONG_PTR>(GetPropW(foreground, platform::DoneButtonProperty)) &
                            platform::SHDB_SHOWCANCEL;
        DrawTextW(dc, cancel ? L"×" : L"ok", -1, &button, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        right = done.left - unit;
    }

    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t clock[8];
    wsprintfW(clock, L"%d:%02d", now.wHour, now.wMinute);
    RECT clockRect = {right - h * 2, 0, right, h};
    SetTextColor(dc, TextColor);
    DrawTextW(dc, clock, -1, &clockRect, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    right = clockRect.left - unit * 2;

    // Battery: a body with a nub, three quarters full.
    RECT body = {right - unit * 9, unit * 3, right - unit, h - unit * 3};
    Frame(dc, body, TextColor, unit > 1 ? unit / 2 + 1 : 1);
    Fill(dc, {body.right, body.top + unit, body.right + unit, body.bottom - unit}, TextColor);
    Fill(dc,
         {body.left + unit, body.top + unit, body.left + unit + (body.right - body.left - 2 * unit) * 3 / 4,
          body.bottom - unit},
         TextColor);
    right = body.left - unit * 3;

    // Signal: four rising bars, three of them lit.
    for (int bar = 3; bar >= 0; --bar) {
        const int top = h - unit * 2 - (bar + 1) * (h - unit * 4) / 4;
        Fill(dc, {right - unit, top, right, h - unit * 2}, bar < 3 ? TextColor : DimColor);
        right -= unit * 2;
    }

    // The input panel button: a small keyboard.
    if (sipButton_) {
        RECT keyboard = {right - unit * 9, unit * 3, right - unit, h - unit * 3};
        Frame(dc, keyboard, DimColor, 1);
        for (int key = 0; key < 3; ++key)
            Fill(dc,
                 {keyboard.left + unit * (1 + key * 2) + 1, keyboard.top + unit + 1,
                  keyboard.left + unit * (2 + key * 2) + 1, keyboard.top + unit * 2 + 1},
                 DimColor);
        right = keyboard.left - unit * 2;
    }

    wchar_t title[128] = {};
    if (HWND foreground = GetForegroundWindow(); foreground && foreground != Window)
        GetWindowTextW(foreground, title, 128);
    RECT titleRect = {unit * 3, 0, right, h};
    SetTextColor(dc, TextColor);
    DrawTextW(dc, title, -1, &titleRect,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    SelectObject(dc, oldFont);
}

void StatusBarWindow::OnTimer(UINT_PTR) {
    InvalidateRect(Window, nullptr, FALSE);
}

bool StatusBarWindow::OnPenUp(int x, int y) {
    RECT client;
    GetClientRect(Window, &client);
    const RECT done = DoneButtonRect(client);
    if (!PtInRect(&done, POINT{x, y})) return true;
    HWND foreground = GetForegroundWindow();
    const bool cancel = reinterpret_cast<ULONG_PTR>(GetPropW(foreground, platform::DoneButtonProperty)) &
                        platform::SHDB_SHOWCANCEL;
    PostMessageW(foreground, WM_COMMAND, cancel ? IDCANCEL : IDOK, 0);
    return true;
}

bool StatusBarWindow::OnEraseBackground(HDC) {
    return true;
}

void StatusBarWindow::OnPaint(HDC dc, const RECT& rcPaint) {
    paintBuffer_.Paint(Window, dc, rcPaint, [&](HDC memory, const RECT& client) { Paint(memory, client); });
}

void StatusBarWindow::OnDestroy() {
    UnregisterHotKey(Window, RotateHotKey);
    RemovePropW(Window, platform::ScreenWidthProperty);
    RemovePropW(Window, platform::ScreenHeightProperty);
    PostQuitMessage(0);
}

bool StatusBarWindow::OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_HOTKEY:
        if (wParam == RotateHotKey) Rotate();
        return true;
    case WM_DISPLAYCHANGE:
        // A screen that is the whole display follows it; one inside it stays as it is.
        if (followDisplay_) Publish({LOWORD(lParam), HIWORD(lParam)});
        PlaceAtTop();
        return true;
    case platform::TaskBarSipButtonMessage:
        sipButton_ = wParam != 0;
        InvalidateRect(Window, nullptr, FALSE);
        return true;
    case WM_MOUSEACTIVATE:
        result = MA_NOACTIVATE;
        return true;
    }
    return false;
}
