#pragma once
// How the stock-text dialog covers a rectangle with a skin image: in horizontal strips from the
// rectangle's bottom upward, each strip tiled from left to right and cut at the right edge. The lowest
// strip has the image's full height (or what the rectangle has left) and shows the image's bottom rows;
// every strip above it uses the image without its bottom inset rows, again showing the bottom rows
// of that shortened image. An image no taller than the inset gives the lowest strip only; an image
// without width or height gives nothing.
#include <windows.h>

#include <algorithm>

struct TileCopy {
    RECT Target;     // where the piece goes
    int SourceX = 0; // its top left corner in the image
    int SourceY = 0;
};

// The inset of the upper strips at the screen's vertical resolution: 4 pixels at 96 dpi.
int UpwardTilingInset(int dpiY);

// Calls visit(const TileCopy&) for every piece that covers rect with an imageWidth × imageHeight image,
// the lowest strip first, each strip from left to right.
template <class Visit>
void ForEachUpwardTile(int imageWidth, int imageHeight, const RECT& rect, int inset, Visit&& visit) {
    if (imageWidth <= 0 || imageHeight <= 0 || rect.right <= rect.left) return;
    const int top = rect.top;
    const int right = rect.right;
    int bottom = rect.bottom;
    for (int height = imageHeight; bottom > top && height > 0; height = imageHeight - inset) {
        const int strip = std::min(height, bottom - top);
        for (int x = rect.left; x < right; x += imageWidth)
            visit(TileCopy{{x, bottom - strip, std::min(x + imageWidth, right), bottom}, 0, height - strip});
        bottom -= strip;
    }
}

// Copies image into rect of dc by the rule above, selecting it into source for the copies.
void DrawUpwardTiled(HDC dc, HDC source, HBITMAP image, const RECT& rect, int inset);
