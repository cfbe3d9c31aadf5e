#include "ui/WindowBase.h"

#include "platform/PhoneShell.h"
#include "platform/Windowing.h"
#include "ui/ScreenMetrics.h"

WindowBase::~WindowBase() {
    Destroy();
    // A window that would not go (another thread's) must not reach the freed object.
    if (Window) SetWindowLongPtrW(Window, GWLP_USERDATA, 0);
}

void WindowBase::Destroy() {
    if (Window && IsWindow(Window)) DestroyWindow(Window);
}

HWND WindowBase::SoftKeyBar() const {
    return platform::SHFindMenuBar(Window);
}

LRESULT WindowBase::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result;
    if (Dispatch(message, wParam, lParam, result)) return result;
    return DefWindowProcW(window, message, wParam, lParam);
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
        if (message != WM_NCCREATE) return DefWindowProcW(window, message, wParam, lParam);
        object = static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        object->Window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    }
    switch (message) {
    case WM_DESTROY: {
        const LRESULT result = object->WindowProc(window, WM_DESTROY, wParam, lParam);
        object->Window = nullptr;
        return result;
    }
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        object->Window = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_ACTIVATE:
        object->OnActivate(wParam, lParam);
        break;
    case WM_SETTINGCHANGE:
        object->OnSettingChange(wParam, lParam);
        break;
    }
    return object->WindowProc(window, message, wParam, lParam);
}
