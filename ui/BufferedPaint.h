#pragma once
// Painting through an off-screen bitmap that is copied to the screen at once, so that nothing flickers.
// The bitmap is a 32-bit DIB section (keyed image copies between DIB sections are many times faster
// than onto a device-dependent bitmap) kept from paint to paint and made again only when the window
// grows.
#include "foundation/ScopedHandles.h"

#include <windows.h>

class PaintBuffer {
public:
    PaintBuffer() = default;
    PaintBuffer(const PaintBuffer&) = delete;
    PaintBuffer& operator=(const PaintBuffer&) = delete;
    ~PaintBuffer() { Release(); }

    // The paint of a WM_PAINT: draw(memory, client) draws the whole client area of window into the buffer,
    // and the part rcPaint of it goes to dc.
    template <class Draw> void Paint(HWND window, HDC dc, const RECT& rcPaint, Draw draw) {
        RECT client;
        GetClientRect(window, &client);
        HDC memory = Prepare(dc, client.right, client.bottom);
        if (!memory) return;
        draw(memory, client);
        CopyTo(dc, rcPaint);
    }
    // A memory device context of at least width × height pixels, like dc; null when it cannot be made.
    HDC Prepare(HDC dc, int width, int height);
    // Copies rect of the buffer to the same place of dc.
    void CopyTo(HDC dc, const RECT& rect) const;
    // A second memory context for source images, made once.
    HDC SourceContext(HDC dc);
    // Lets go of the bitmap and the contexts.
    void Release();

private:
    ScopedMemoryDC memory_;
    ScopedMemoryDC source_;
    ScopedBitmap bitmap_;
    HGDIOBJ original_ = nullptr; // the memory context's own bitmap, selected back before ours goes
    int width_ = 0, height_ = 0;
};

// A width × height 32-bit DIB section to paint into.
HBITMAP CreatePaintBuffer(HDC dc, int width, int height);
