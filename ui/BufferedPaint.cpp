#include "ui/BufferedPaint.h"

namespace platform {

HBITMAP CreatePaintBuffer(HDC dc, int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

void PaintBuffered(HWND window,
                   const std::function<void(HDC memory, const RECT& client, const RECT& clip)>& paint) {
    PAINTSTRUCT paintInfo;
    HDC dc = BeginPaint(window, &paintInfo);
    RECT client;
    GetClientRect(window, &client);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP buffer = CreatePaintBuffer(dc, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, buffer);
    paint(memory, client, paintInfo.rcPaint);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(buffer);
    DeleteDC(memory);
    EndPaint(window, &paintInfo);
}

} // namespace platform
