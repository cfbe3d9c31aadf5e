#pragma once
// Window operations whose desktop behaviour differs from the phone's.
#include <windows.h>

namespace platform {

// As the platform's: a top-level window created without WS_CAPTION has no frame or caption. The
// desktop gives every overlapped window a caption, so it is taken off again here. Every window clips
// its children and siblings, as on the phone.
HWND CreateWindowExW(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);

// As the platform's, but SM_CXSCREEN and SM_CYSCREEN give the phone's screen: the size the status bar
// publishes (platform/PhoneShell.h) while a device shell runs, else the display's.
int GetSystemMetrics(int index);

// As the platform's: a handle with its lowest bit set also asks to restore (show) the window.
BOOL SetForegroundWindow(HWND window);

} // namespace platform
