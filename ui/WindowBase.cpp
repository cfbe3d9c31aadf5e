#include "ui/WindowBase.h"

#include "platform/PhoneShell.h"
#include "platform/Windowing.h"
#include "ui/ScreenMetrics.h"

WindowBase::~WindowBase() {
    if (Window && IsWindow(Window)) DestroyWindow(Window);
}

LRESULT WindowBase::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

void WindowBase::OnSettingChange(WPARAM wParam, LPARAM) {
    if (wParam == platform::SPI_SETSIPINFO) FitToDesktop();
}

void WindowBase::OnActivate(WPARAM wParam, LPARAM) {
    if (LOWORD(wParam) != WA_INACTIVE) FitToDesktop();
}

void WindowBase::FitToDesktop() {
    if (!FitDesktop || !IsWindow(Window)) return;
    FitWindowToDesktop(Window, platform::SHFindMenuBar(Window));
}

void FitWindowToDesktop(HWND window, HWND softKeyBar) {
    platform::SIPINFO sip = {};
    sip.cbSize = sizeof sip;
    if (!platform::SHSipInfo(platform::SPI_GETSIPINFO, 0, &sip, 0)) return;
    int reserve = 0;
    if (!(sip.fdwFlags & platform::SIPF_ON)) {
        RECT bar;
        reserve = softKeyBar && GetWindowRect(softKeyBar, &bar) ? bar.bottom - bar.top : GetTaskbarHeight();
    }
    const RECT& desk = sip.rcVisibleDesktop;
    MoveWindow(window, desk.left, desk.top, desk.right - desk.left, desk.bottom - desk.top - reserve, TRUE);
}

void WindowBase::RegisterWindowClass(const wchar_t* name, HBRUSH background) {
    if (Window) return;
    WNDCLASSW windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = StaticWindowProc;
    windowClass.hInstance = ModuleInstance();
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    RegisterClassW(&windowClass);
    ClassName = name;
}

HWND WindowBase::Create(const wchar_t* title, DWORD style, int y, int width, int height, HWND parent) {
    if (ClassName.IsEmpty())
        RegisterWindowClass(DefaultClassName, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    return platform::CreateWindowExW(0, ClassName, title, style, 0, y, width, height, parent, nullptr,
                                     ModuleInstance(), this);
}

LRESULT CALLBACK WindowBase::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* object = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!object) {
        if (message != WM_CREATE) return DefWindowProcW(window, message, wParam, lParam);
        object = static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        object->Window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
        return object->WindowProc(window, WM_CREATE, wParam, lParam);
    }
    switch (message) {
    case WM_DESTROY: {
        const LRESULT result = object->WindowProc(window, WM_DESTROY, wParam, lParam);
        object->Window = nullptr;
        return result;
    }
    case WM_ACTIVATE:
        object->OnActivate(wParam, lParam);
        break;
    case WM_SETTINGCHANGE:
        object->OnSettingChange(wParam, lParam);
        break;
    }
    return object->WindowProc(window, message, wParam, lParam);
}
