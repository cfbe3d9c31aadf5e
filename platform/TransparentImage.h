#pragma once
// Copies an image leaving out the pixels of one key colour, as the phone's core library does.
#include <windows.h>

namespace platform {

// Draws the width × height part of source at (sourceX, sourceY) onto dc at (x, y), skipping the pixels
// of colour key. Source is a bitmap, or a device context with the image selected (cheaper when many
// images are drawn). A null source draws nothing.
BOOL TransparentImage(HDC dc, int x, int y, int width, int height, HANDLE source, int sourceX, int sourceY,
                      int sourceWidth, int sourceHeight, COLORREF key);

} // namespace platform
