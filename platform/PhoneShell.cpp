#include "platform/PhoneShell.h"

namespace platform {

BOOL SHSipInfo(UINT action, UINT, void* info, UINT) {
    if (action != SPI_GETSIPINFO || !info) return FALSE;
    auto* sip = static_cast<SIPINFO*>(info);
    if (sip->cbSize != sizeof(SIPINFO)) return FALSE;
    sip->fdwFlags = 0;
    sip->rcVisibleDesktop = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT bar;
    if (HWND taskbar = FindWindowW(L"HHTaskBar", nullptr); taskbar && GetWindowRect(taskbar, &bar))
        sip->rcVisibleDesktop.top = bar.bottom;
    sip->rcSipRect = {0, sip->rcVisibleDesktop.bottom, sip->rcVisibleDesktop.right,
                      sip->rcVisibleDesktop.bottom};
    return TRUE;
}

HWND SHFindMenuBar(HWND window) {
    return FindWindowExW(window, nullptr, SoftKeyBarClass, nullptr);
}

} // namespace platform
