#pragma once
// Modal loops (message boxes, popup menus and dialogs) go through here, so that an unattended test run
// can watch them and answer them instead of blocking on a real box, menu or dialog.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace platform {

struct ModalRecord {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};

// Answers a modal instead of showing it; returns the button id the user would have pressed.
using MessageBoxScript = std::function<int(const ModalRecord&)>;

// Shows the real box unless a script is installed.
int MessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

// Installs a script for the calling process; an empty function restores the real boxes.
void SetMessageBoxScript(MessageBoxScript script);

// One item of a popup menu as the user would see it.
struct PopupMenuItem {
    UINT id = 0;    // the command; 0 for a separator or a submenu
    UINT state = 0; // MFS_CHECKED, MFS_GRAYED, MFS_DEFAULT …
    UINT type = 0;  // MFT_SEPARATOR, MFT_RADIOCHECK …
    std::wstring text;
    std::vector<PopupMenuItem> submenu;
};

struct PopupMenuRecord {
    HWND owner;
    UINT flags; // TPM_ flags
    int x, y;   // screen coordinates
    std::vector<PopupMenuItem> items;
};

// Answers a menu instead of showing it: returns the chosen command, 0 for a dismissed menu.
using PopupMenuScript = std::function<UINT(const PopupMenuRecord&)>;

// As the platform's TrackPopupMenuEx: with TPM_RETURNCMD the chosen command (0 when dismissed), else
// non-zero, the choice going to owner as WM_COMMAND. With a script installed the script chooses.
BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, TPMPARAMS* params);

// Installs a script for the calling process; an empty function restores the real menus.
void SetPopupMenuScript(PopupMenuScript script);

// A dialog of the program has just been initialised: the script may answer it, for instance by posting
// it the keys and commands a user would give. Given the dialog and its template id.
using DialogScript = std::function<void(HWND dialog, DWORD templateId)>;

// Called by every dialog once it is initialised; hands it to the script when one is installed.
void DialogOpened(HWND dialog, DWORD templateId);

// Installs a script for the calling process; an empty function leaves dialogs to the user.
void SetDialogScript(DialogScript script);

// The items of menu, with their submenus.
std::vector<PopupMenuItem> ReadMenuItems(HMENU menu);

} // namespace platform
