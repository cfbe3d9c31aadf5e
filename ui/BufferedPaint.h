#pragma once
// WM_PAINT through an off-screen bitmap the size of the client area, copied to the screen at once so
// that nothing flickers.
#include <windows.h>

#include <functional>

namespace platform {

// Paints window: paint draws into memory over client (what lies outside clip, the part that needs
// painting, may be left out), then the result is copied to the window.
void PaintBuffered(HWND window,
                   const std::function<void(HDC memory, const RECT& client, const RECT& clip)>& paint);

// A client-sized 32-bit DIB section to paint into: keyed image copies between DIB sections are many
// times faster than onto a device-dependent bitmap.
HBITMAP CreatePaintBuffer(HDC dc, int width, int height);

} // namespace platform
