#pragma once
// What the messaging program's windows share: their place on the screen, their font, and handing
// messages on to the transport.
#include "foundation/ScopedHandles.h"

#include <windows.h>

// The work area of the screen below the status bar, or the part of it a phone-sized window (360 × 520
// at 96 dpi) takes.
RECT MessagingWindowRect();

// Tahoma of the given size in points, at the screen's resolution.
HFONT MessagingFont(int points, int weight);

// The height of a line of text in font on window's screen: the unit the windows lay out in.
int MessagingLineHeight(HWND window, HFONT font);

// Gives every child of window the font.
void SetChildFonts(HWND window, HFONT font);

// After a message was queued: without a gateway command the queue is sent here and now; with one, the
// transport service is started unless it runs.
void HandToTransport();
