#include "ui/DialogBase.h"

#include "platform/ModalHost.h"
#include "platform/PhoneShell.h"
#include "ui/ScreenMetrics.h"

namespace {

// Messages whose value a dialog procedure returns itself; the rest give it through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
    return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) || message == WM_COMPAREITEM ||
           message == WM_VKEYTOITEM || message == WM_CHARTOITEM || message == WM_QUERYDRAGICON;
}

} // namespace

DialogBase::~DialogBase() {
    if (Dialog) Unbind(Dialog);
}

void DialogBase::Unbind(HWND dialog) {
    if (GetWindowLongPtrW(dialog, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this))
        SetWindowLongPtrW(dialog, GWLP_USERDATA, 0);
    Dialog = nullptr;
}

const DLGTEMPLATE* DialogBase::Template() const {
    HRSRC found = FindResourceW(ModuleInstance(), MAKEINTRESOURCEW(TemplateId), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(ModuleInstance(), found) : nullptr;
    return loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
}

INT_PTR DialogBase::DoModal(HWND parent) {
    const DLGTEMPLATE* dialogTemplate = Template();
    if (!dialogTemplate) return -1;
    return DialogBoxIndirectParamW(ModuleInstance(), dialogTemplate, parent, StaticDialogProc,
                                   reinterpret_cast<LPARAM>(this));
}

HWND DialogBase::CreateModeless(HWND parent, int show) {
    const DLGTEMPLATE* dialogTemplate = Template();
    if (!dialogTemplate) return nullptr;
    HWND dialog = CreateDialogIndirectParamW(ModuleInstance(), dialogTemplate, parent, StaticDialogProc,
                                             reinterpret_cast<LPARAM>(this));
    if (dialog && show) {
        ShowWindow(dialog, SW_SHOW);
        InvalidateRect(dialog, nullptr, TRUE);
        UpdateWindow(dialog);
    }
    return dialog;
}

INT_PTR DialogBase::DialogProc(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

bool DialogBase::OnInit() {
    return false;
}

int DialogBase::OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    if (message == WM_INITDIALOG) {
        if (!OnInit()) return 0;
        HWND focus = GetFocus();
        result = !(focus && (focus == dialog || IsChild(dialog, focus)));
        return 1;
    }
    LRESULT value = 0;
    if (!Dispatch(message, wParam, lParam, value)) return 0;
    if (ReturnsDirectly(message)) {
        result = value;
    } else {
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, value);
        result = TRUE;
    }
    return 1;
}

void DialogBase::CopyOwnerCaption() {
    if (!Dialog) return;
    HWND top = Dialog;
    while (HWND parent = GetParent(top)) top = parent;
    wchar_t caption[257] = {};
    GetWindowTextW(top, caption, 257);
    SetWindowTextW(Dialog, caption);
}

INT_PTR CALLBACK DialogBase::StaticDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* object = reinterpret_cast<DialogBase*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    if (!object) {
        if (message != WM_INITDIALOG) return 0;
        object = reinterpret_cast<DialogBase*>(lParam);
        object->Dialog = dialog;
        SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
    }
    switch (message) {
    case WM_DESTROY: {
        if (object->MenuBar) {
            DestroyWindow(object->MenuBar);
            object->MenuBar = nullptr;
        }
        LRESULT ignored;
        object->Dispatch(WM_DESTROY, wParam, lParam, ignored);
        const INT_PTR result = object->DialogProc(dialog, message, wParam, lParam);
        object->Dialog = nullptr;
        return result;
    }
    case WM_NCDESTROY:
        object->Unbind(dialog);
        return 0;
    case WM_ACTIVATE:
        object->OnActivate(wParam, lParam);
        break;
    case WM_SETTINGCHANGE:
        object->OnSettingChange(wParam, lParam);
        break;
    }
    INT_PTR result = 0;
    if (!object->OnMessage(dialog, message, wParam, lParam, result))
        result = object->DialogProc(dialog, message, wParam, lParam);
    if (message == WM_INITDIALOG) platform::DialogOpened(dialog, object->TemplateId);
    return result;
}

void DialogBase::CreateSoftKeys(UINT menuId) {
    platform::SHMENUBARINFO bar = {};
    bar.cbSize = sizeof bar;
    bar.hwndParent = Dialog;
    bar.dwFlags = platform::SHCMBF_HMENU;
    bar.nToolBarId = menuId;
    bar.hInstRes = ModuleInstance();
    MenuBar = platform::SHCreateMenuBar(&bar) ? bar.hwndMB : nullptr;
}
