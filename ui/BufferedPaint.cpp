#include "ui/BufferedPaint.h"

HBITMAP CreatePaintBuffer(HDC dc, int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

HDC PaintBuffer::Prepare(HDC dc, int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    if (memory_ && width <= width_ && height <= height_) return memory_.Get();
    Release();
    memory_.Reset(CreateCompatibleDC(dc));
    bitmap_.Reset(CreatePaintBuffer(dc, width, height));
    if (!memory_ || !bitmap_) {
        Release();
        return nullptr;
    }
    original_ = SelectObject(memory_.Get(), bitmap_.Get());
    width_ = width;
    height_ = height;
    return memory_.Get();
}

void PaintBuffer::CopyTo(HDC dc, const RECT& rect) const {
    if (!memory_) return;
    BitBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, memory_.Get(), rect.left,
           rect.top, SRCCOPY);
}

HDC PaintBuffer::SourceContext(HDC dc) {
    if (!source_) source_.Reset(CreateCompatibleDC(dc));
    return source_.Get();
}

void PaintBuffer::Release() {
    if (memory_ && original_) SelectObject(memory_.Get(), original_);
    original_ = nullptr;
    bitmap_.Reset();
    memory_.Reset();
    source_.Reset();
    width_ = height_ = 0;
}
