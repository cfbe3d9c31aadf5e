#include "platform/TransparentImage.h"

namespace platform {

BOOL TransparentImage(HDC dc, int x, int y, int width, int height, HBITMAP image, int sourceX, int sourceY,
                      int sourceWidth, int sourceHeight, COLORREF key) {
    if (!image) return FALSE;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, image);
    const BOOL done =
        TransparentBlt(dc, x, y, width, height, source, sourceX, sourceY, sourceWidth, sourceHeight, key);
    SelectObject(source, old);
    DeleteDC(source);
    return done;
}

} // namespace platform
