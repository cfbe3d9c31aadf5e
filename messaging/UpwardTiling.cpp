#include "messaging/UpwardTiling.h"

#include "foundation/ScopedHandles.h"
#include "ui/ScreenMetrics.h"

namespace {

constexpr int InsetAt96Dpi = 4;

} // namespace

int UpwardTilingInset(int dpiY) {
    return ScalePx(InsetAt96Dpi, dpiY);
}

void DrawUpwardTiled(HDC dc, HDC source, HBITMAP image, const RECT& rect, int inset) {
    BITMAP size = {};
    if (!dc || !source || !image || !GetObjectW(image, sizeof size, &size)) return;
    if (size.bmWidth <= 0 || size.bmHeight <= 0 || rect.right <= rect.left || rect.bottom <= rect.top) return;
    ScopedSelect selected(source, image);
    ForEachUpwardTile(size.bmWidth, size.bmHeight, rect, inset, [&](const TileCopy& tile) {
        BitBlt(dc, tile.Target.left, tile.Target.top, tile.Target.right - tile.Target.left,
               tile.Target.bottom - tile.Target.top, source, tile.SourceX, tile.SourceY, SRCCOPY);
    });
}
