#include "platform/Windowing.h"

#include "platform/PhoneShell.h"

#include <cstdint>

namespace platform {

HWND CreateWindowExW(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param) {
    // The phone clips every window to its children and siblings.
    HWND window = ::CreateWindowExW(exStyle, className, title, style | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, x,
                                    y, width, height, parent, menu, instance, param);
    const DWORD frameless = WS_POPUP | WS_CHILD | WS_CAPTION;
    if (window && !parent && !(style & frameless)) {
        const LONG actual = GetWindowLongW(window, GWL_STYLE);
        SetWindowLongW(window, GWL_STYLE, actual & ~(WS_CAPTION | WS_THICKFRAME | WS_SYSMENU));
        SetWindowPos(window, nullptr, x, y, width, height,
                     SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }
    return window;
}

int GetSystemMetrics(int index) {
    if (index == SM_CXSCREEN || index == SM_CYSCREEN) {
        if (HWND bar = FindWindowW(TaskBarClass, nullptr)) {
            const auto size = reinterpret_cast<INT_PTR>(
                GetPropW(bar, index == SM_CXSCREEN ? ScreenWidthProperty : ScreenHeightProperty));
            if (size > 0) return static_cast<int>(size);
        }
    }
    return ::GetSystemMetrics(index);
}

BOOL SetForegroundWindow(HWND window) {
    const auto value = reinterpret_cast<std::uintptr_t>(window);
    if (value & 1) {
        window = reinterpret_cast<HWND>(value & ~std::uintptr_t{1});
        if (!IsWindowVisible(window)) ShowWindowAsync(window, SW_SHOW);
    }
    return ::SetForegroundWindow(window);
}

} // namespace platform
