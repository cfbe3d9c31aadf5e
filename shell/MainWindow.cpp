#include "shell/MainWindow.h"

#include "foundation/Settings.h"
#include "shell/ScreenMetrics.h"

int MainWindow::Initialise(int preload) {
    if (Window) return 1;
    ShowNumbers = ReadDword(L"Settings", L"DvShowBtn", 0);
    ShowPhoneType = ReadDword(L"Settings", L"DvShowType", 0);
    RegisterWindowClass(WindowClassName, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    Preload = preload;
    if (preload) WriteDword(L"HSTRF", 1);
    const int top = GetTaskbarHeight();
    Create(Title, WS_VISIBLE, top, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) - top,
           nullptr);
    if (preload) WriteDword(L"HSTRF", 0);
    if (!Window) return 0;
    if (preload) ShowWindow(Window, SW_HIDE);
    return 1;
}

LRESULT MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        if (Preload) ShowWindow(window, SW_HIDE);
        return 0;
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    case WM_WINDOWPOSCHANGED:
        KeepHiddenMarker(*reinterpret_cast<const WINDOWPOS*>(lParam));
        break;
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
