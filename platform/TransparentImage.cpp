#include "platform/TransparentImage.h"

namespace platform {

BOOL TransparentImage(HDC dc, int x, int y, int width, int height, HANDLE source, int sourceX, int sourceY,
                      int sourceWidth, int sourceHeight, COLORREF key) {
    if (!source) return FALSE;
    if (GetObjectType(source) != OBJ_BITMAP)
        return TransparentBlt(dc, x, y, width, height, static_cast<HDC>(source), sourceX, sourceY,
                              sourceWidth, sourceHeight, key);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, source);
    const BOOL done =
        TransparentBlt(dc, x, y, width, height, memory, sourceX, sourceY, sourceWidth, sourceHeight, key);
    SelectObject(memory, old);
    DeleteDC(memory);
    return done;
}

} // namespace platform
