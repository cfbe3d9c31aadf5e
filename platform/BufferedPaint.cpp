#include "platform/BufferedPaint.h"

namespace platform {

void PaintBuffered(HWND window,
                   const std::function<void(HDC memory, HDC screen, const RECT& client)>& paint) {
    PAINTSTRUCT paintInfo;
    HDC dc = BeginPaint(window, &paintInfo);
    RECT client;
    GetClientRect(window, &client);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP buffer = CreateCompatibleBitmap(dc, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, buffer);
    paint(memory, dc, client);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(buffer);
    DeleteDC(memory);
    EndPaint(window, &paintInfo);
}

} // namespace platform
