#pragma once
// Copies an image leaving out the pixels of one key colour, as the phone's core library does.
#include <windows.h>

namespace platform {

// Draws the width × height part of image at (sourceX, sourceY) onto dc at (x, y), skipping the pixels
// of colour key. A null image draws nothing.
BOOL TransparentImage(HDC dc, int x, int y, int width, int height, HBITMAP image, int sourceX, int sourceY,
                      int sourceWidth, int sourceHeight, COLORREF key);

} // namespace platform
