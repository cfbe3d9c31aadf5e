#include "platform/PhoneShell.h"

#include "platform/SoftKeyBar.h"
#include "platform/Windowing.h"

namespace platform {

BOOL SHSipInfo(UINT action, UINT, void* info, UINT) {
    if (action != SPI_GETSIPINFO || !info) return FALSE;
    auto* sip = static_cast<SIPINFO*>(info);
    if (sip->cbSize != sizeof(SIPINFO)) return FALSE;
    sip->fdwFlags = 0;
    sip->rcVisibleDesktop = {0, 0, platform::GetSystemMetrics(SM_CXSCREEN),
                             platform::GetSystemMetrics(SM_CYSCREEN)};
    RECT bar;
    if (HWND taskbar = FindWindowW(TaskBarClass, nullptr);
        taskbar && IsWindowVisible(taskbar) && GetWindowRect(taskbar, &bar))
        sip->rcVisibleDesktop.top = bar.bottom;
    sip->rcSipRect = {0, sip->rcVisibleDesktop.bottom, sip->rcVisibleDesktop.right,
                      sip->rcVisibleDesktop.bottom};
    return TRUE;
}

BOOL SHCreateMenuBar(SHMENUBARINFO* info) {
    if (!info || !info->cbSize || !IsWindow(info->hwndParent)) return FALSE;
    info->hwndMB = nullptr;
    HMENU menu = nullptr;
    if (!(info->dwFlags & SHCMBF_EMPTYBAR)) {
        if (!(info->dwFlags & SHCMBF_HMENU)) return FALSE;
        menu = LoadMenuW(info->hInstRes, MAKEINTRESOURCEW(info->nToolBarId));
        if (!menu) return FALSE;
    }
    info->hwndMB = SoftKeyBar::CreateFor(info->hwndParent, menu, info->dwFlags & SHCMBF_HIDDEN);
    if (menu) DestroyMenu(menu);
    return info->hwndMB != nullptr;
}

HWND SHFindMenuBar(HWND window) {
    if (!window) return nullptr;
    if (HWND child = FindWindowExW(window, nullptr, SoftKeyBarClass, nullptr)) return child;
    struct Search {
        HWND owner;
        HWND found;
    } search = {window, nullptr};
    EnumThreadWindows(
        GetWindowThreadProcessId(window, nullptr),
        [](HWND candidate, LPARAM data) -> BOOL {
            auto* search = reinterpret_cast<Search*>(data);
            wchar_t name[16] = {};
            if (GetWindow(candidate, GW_OWNER) != search->owner || !GetClassNameW(candidate, name, 16) ||
                lstrcmpW(name, SoftKeyBarClass))
                return TRUE;
            search->found = candidate;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL SHFullScreen(HWND, DWORD state) {
    HWND taskbar = FindWindowW(TaskBarClass, nullptr);
    if (!taskbar) return FALSE;
    if (state & SHFS_HIDETASKBAR) ShowWindow(taskbar, SW_HIDE);
    if (state & SHFS_SHOWTASKBAR) ShowWindow(taskbar, SW_SHOWNOACTIVATE);
    if (state & SHFS_HIDESIPBUTTON) PostMessageW(taskbar, TaskBarSipButtonMessage, 0, 0);
    if (state & SHFS_SHOWSIPBUTTON) PostMessageW(taskbar, TaskBarSipButtonMessage, 1, 0);
    return TRUE;
}

BOOL SHInitDialog(SHINITDLGINFO* info) {
    if (!info || !(info->dwMask & SHIDIM_FLAGS) || !IsWindow(info->hDlg)) return FALSE;
    HWND dialog = info->hDlg;
    const LONG style = GetWindowLongW(dialog, GWL_STYLE);
    SetWindowLongW(dialog, GWL_STYLE, style & ~(WS_CAPTION | WS_THICKFRAME | WS_SYSMENU));
    UINT placement = SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE;
    SIPINFO sip = {};
    sip.cbSize = sizeof sip;
    if (info->dwFlags & (SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN) && SHSipInfo(SPI_GETSIPINFO, 0, &sip, 0))
        placement &= ~(SWP_NOMOVE | SWP_NOSIZE);
    const RECT& desk = sip.rcVisibleDesktop;
    SetWindowPos(dialog, nullptr, desk.left, desk.top, desk.right - desk.left, desk.bottom - desk.top,
                 placement);
    if (info->dwFlags & SHIDIF_DONEBUTTON) SHDoneButton(dialog, SHDB_SHOW);
    return TRUE;
}

BOOL SHDoneButton(HWND window, DWORD state) {
    if (!IsWindow(window)) return FALSE;
    if (state & SHDB_HIDE) RemovePropW(window, DoneButtonProperty);
    if (state & (SHDB_SHOW | SHDB_SHOWCANCEL))
        SetPropW(window, DoneButtonProperty, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(state)));
    if (HWND taskbar = FindWindowW(TaskBarClass, nullptr)) InvalidateRect(taskbar, nullptr, FALSE);
    return TRUE;
}

DWORD SHRecognizeGesture(SHRGINFO*) {
    return 0;
}

} // namespace platform
