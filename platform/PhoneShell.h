#pragma once
// Desktop stand-ins for the phone shell's operations: the input panel and the soft-key bar.
#include <windows.h>

namespace platform {

constexpr UINT SPI_GETSIPINFO = 225;
constexpr UINT SPI_SETSIPINFO = 224;
constexpr DWORD SIPF_ON = 1;

struct SIPINFO {
    DWORD cbSize;
    DWORD fdwFlags;
    RECT rcVisibleDesktop;
    RECT rcSipRect;
    DWORD dwImDataSize;
    void* pvImData;
};

// Window class of a soft-key bar; the bar is a child of the window it serves.
constexpr wchar_t SoftKeyBarClass[] = L"menu_worker";

// Input panel state. The desktop has no input panel: it is always down, and the visible desktop is
// the screen below the status bar ("HHTaskBar") when one is running, else the whole screen.
BOOL SHSipInfo(UINT action, UINT param, void* info, UINT winIni);

// The soft-key bar of a window, or null.
HWND SHFindMenuBar(HWND window);

} // namespace platform
