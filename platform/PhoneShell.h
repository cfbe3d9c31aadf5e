#pragma once
// Desktop stand-ins for the phone shell's operations: the input panel, the soft-key bar, full-screen
// dialogs, the done button and tap-and-hold (SHSipPreference and RegistryGetDWORD live beside it).
#include "platform/InputPanel.h"
#include "platform/ShellRegistry.h"

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

// Window class of a soft-key bar.
constexpr wchar_t SoftKeyBarClass[] = L"menu_worker";
// Window class of the status bar along the top of the screen (the device shell's on a desktop).
constexpr wchar_t TaskBarClass[] = L"HHTaskBar";
// Window properties of the status bar holding the width and height of the phone's screen it heads: the
// device shell may show that screen inside a larger desktop (at its top-left corner) and turns it
// there when the desktop cannot change its own shape. platform::GetSystemMetrics reads them.
constexpr wchar_t ScreenWidthProperty[] = L"DialvaneScreenWidth";
constexpr wchar_t ScreenHeightProperty[] = L"DialvaneScreenHeight";
// Message the status bar takes to show (wParam 1) or hide (0) the input panel button.
constexpr UINT TaskBarSipButtonMessage = WM_APP + 1;
// Window property holding a dialog's done button state (SHDB_SHOW or SHDB_SHOWCANCEL; absent when
// hidden). The status bar offers the button for the foreground window.
constexpr wchar_t DoneButtonProperty[] = L"DialvaneDoneButton";

// Input panel state. The desktop keyboard is the input panel: the panel is always down, and the
// visible desktop is the screen below the status bar when one is running, else the whole screen.
BOOL SHSipInfo(UINT action, UINT param, void* info, UINT winIni);

// SHCreateMenuBar flags.
constexpr DWORD SHCMBF_EMPTYBAR = 0x1;
constexpr DWORD SHCMBF_HIDDEN = 0x2;
constexpr DWORD SHCMBF_HIDESIPBUTTON = 0x4;
constexpr DWORD SHCMBF_COLORBK = 0x8;
constexpr DWORD SHCMBF_HMENU = 0x10;

struct SHMENUBARINFO {
    DWORD cbSize;
    HWND hwndParent;
    DWORD dwFlags;
    UINT nToolBarId;
    HINSTANCE hInstRes;
    int nBmpId;
    int cBmpImages;
    HWND hwndMB;
    COLORREF clrBk;
};

// Soft-key bar message: takes a key over (wParam the virtual key; lParam the flags to change in the
// low word, their new values in the high word). Returns TRUE.
constexpr UINT SHCMBM_OVERRIDEKEY = WM_USER + 403;
constexpr WORD SHMBOF_NODEFAULT = 0x1;
constexpr WORD SHMBOF_NOTIFY = 0x2;

// Creates the soft-key bar of info->hwndParent from the menu resource nToolBarId of hInstRes (with
// SHCMBF_HMENU): its first two items become the left and right soft keys, sending their command ids
// to the parent as WM_COMMAND. The bar sits along the bottom edge of its parent, outside it when the
// parent leaves room (as a fitted window does), and follows it. F1 and F2 press the soft keys of the
// active window's bar; a key taken over with SHMBOF_NOTIFY arrives at the parent as WM_HOTKEY with the
// key in the high word of lParam (on key-down, not on repeats). The bar window goes to info->hwndMB.
BOOL SHCreateMenuBar(SHMENUBARINFO* info);

// The soft-key bar of a window (a child or an owned bar of the class above), or null.
HWND SHFindMenuBar(HWND window);

// SHFullScreen flags.
constexpr DWORD SHFS_SHOWTASKBAR = 0x1;
constexpr DWORD SHFS_HIDETASKBAR = 0x2;
constexpr DWORD SHFS_SHOWSIPBUTTON = 0x4;
constexpr DWORD SHFS_HIDESIPBUTTON = 0x8;
constexpr DWORD SHFS_SHOWSTARTICON = 0x10;
constexpr DWORD SHFS_HIDESTARTICON = 0x20;
// Shows or hides the status bar and its input panel button. FALSE when there is no status bar.
BOOL SHFullScreen(HWND window, DWORD state);

constexpr DWORD SHIDIM_FLAGS = 0x1;
constexpr DWORD SHIDIF_DONEBUTTON = 0x1;
constexpr DWORD SHIDIF_SIZEDLG = 0x2;
constexpr DWORD SHIDIF_SIZEDLGFULLSCREEN = 0x4;
constexpr DWORD SHIDIF_SIPDOWN = 0x8;

struct SHINITDLGINFO {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
};

// Dresses a dialog as the phone does: no frame or caption of its own (the status bar shows the
// title), sized to the visible desktop with SHIDIF_SIZEDLG or SHIDIF_SIZEDLGFULLSCREEN, and with the
// done button when asked.
BOOL SHInitDialog(SHINITDLGINFO* info);

constexpr DWORD SHDB_SHOW = 0x1;
constexpr DWORD SHDB_HIDE = 0x2;
constexpr DWORD SHDB_SHOWCANCEL = 0x4;
// Shows or hides a window's done button in the status bar: tapping it sends IDOK (IDCANCEL for the
// cancel form) to the window.
BOOL SHDoneButton(HWND window, DWORD state);

constexpr DWORD SHRG_RETURNCMD = 0x1;
constexpr DWORD SHRG_NOTIFYPARENT = 0x2;
constexpr DWORD SHRG_LONGDELAY = 0x8;
constexpr DWORD SHRG_NOANIMATION = 0x10;
constexpr DWORD GN_CONTEXTMENU = 1000;

struct SHRGINFO {
    DWORD cbSize;
    HWND hwndClient;
    POINT ptDown;
    DWORD dwFlags;
};

// Tap-and-hold feedback. The desktop has none and no gesture is ever recognised: returns 0 at once,
// so the callers' own hold timers decide.
DWORD SHRecognizeGesture(SHRGINFO* info);

} // namespace platform
