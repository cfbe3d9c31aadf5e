#include "platform/ModalHost.h"

#include <utility>

namespace platform {

namespace {
MessageBoxScript& Script() {
    static MessageBoxScript script;
    return script;
}
PopupMenuScript& MenuScript() {
    static PopupMenuScript script;
    return script;
}
DialogScript& DialogScriptOf() {
    static DialogScript script;
    return script;
}
} // namespace

int MessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    if (Script()) return Script()({owner, text ? text : L"", caption ? caption : L"", type});
    return ::MessageBoxW(owner, text, caption, type);
}

void SetMessageBoxScript(MessageBoxScript script) {
    Script() = std::move(script);
}

std::vector<PopupMenuItem> ReadMenuItems(HMENU menu) {
    std::vector<PopupMenuItem> items;
    const int count = menu ? GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = 256;
        if (!GetMenuItemInfoW(menu, i, TRUE, &info)) continue;
        PopupMenuItem item;
        item.id = info.hSubMenu ? 0 : info.wID;
        item.state = info.fState;
        item.type = info.fType;
        item.text = text;
        if (info.hSubMenu) item.submenu = ReadMenuItems(info.hSubMenu);
        items.push_back(std::move(item));
    }
    return items;
}

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, TPMPARAMS* params) {
    if (!MenuScript()) return ::TrackPopupMenuEx(menu, flags, x, y, owner, params);
    const UINT chosen = MenuScript()({owner, flags, x, y, ReadMenuItems(menu)});
    if (flags & TPM_RETURNCMD) return static_cast<BOOL>(chosen);
    if (chosen) PostMessageW(owner, WM_COMMAND, chosen, 0);
    return TRUE;
}

void SetPopupMenuScript(PopupMenuScript script) {
    MenuScript() = std::move(script);
}

void DialogOpened(HWND dialog, DWORD templateId) {
    if (DialogScriptOf()) DialogScriptOf()(dialog, templateId);
}

void SetDialogScript(DialogScript script) {
    DialogScriptOf() = std::move(script);
}

} // namespace platform
