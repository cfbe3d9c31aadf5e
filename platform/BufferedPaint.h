#pragma once
// WM_PAINT through an off-screen bitmap the size of the client area, copied to the screen at once so
// that nothing flickers.
#include <windows.h>

#include <functional>

namespace platform {

// Paints window: paint draws into memory (screen is the window's own context, for compatible
// contexts) over client, then the result is copied to the window.
void PaintBuffered(HWND window, const std::function<void(HDC memory, HDC screen, const RECT& client)>& paint);

} // namespace platform
