#include "ui/DialogBase.h"

#include "platform/PhoneShell.h"
#include "ui/ScreenMetrics.h"
#include "ui/WindowBase.h"

DialogBase::~DialogBase() {
    Dialog = nullptr;
}

const DLGTEMPLATE* DialogBase::Template() const {
    HRSRC found = FindResourceW(ModuleInstance(), MAKEINTRESOURCEW(TemplateId), MAKEINTRESOURCEW(5));
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

int DialogBase::OnMessage(HWND, UINT, WPARAM, LPARAM, INT_PTR&) {
    return 0;
}

void DialogBase::OnSettingChange(WPARAM wParam, LPARAM) {
    if (wParam == platform::SPI_SETSIPINFO) FitToDesktop();
}

void DialogBase::OnActivate(WPARAM wParam, LPARAM) {
    if (LOWORD(wParam) != WA_INACTIVE) FitToDesktop();
}

void DialogBase::FitToDesktop() {
    if (!FitDesktop || !IsWindow(Dialog)) return;
    FitWindowToDesktop(Dialog, MenuBar);
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
    INT_PTR result = 0;
    if (!object) {
        if (message != WM_INITDIALOG) return 0;
        object = reinterpret_cast<DialogBase*>(lParam);
        object->Dialog = dialog;
        SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
        if (!object->OnMessage(dialog, message, wParam, lParam, result))
            return object->DialogProc(dialog, message, wParam, lParam);
        return result;
    }
    switch (message) {
    case WM_DESTROY: {
        if (object->MenuBar) {
            DestroyWindow(object->MenuBar);
            object->MenuBar = nullptr;
        }
        const INT_PTR destroyed = object->DialogProc(dialog, message, wParam, lParam);
        object->Dialog = nullptr;
        // The object may go before the last messages of its dialog do; they are not its business.
        SetWindowLongPtrW(dialog, GWLP_USERDATA, 0);
        return destroyed;
    }
    case WM_ACTIVATE:
        object->OnActivate(wParam, lParam);
        break;
    case WM_SETTINGCHANGE:
        object->OnSettingChange(wParam, lParam);
        break;
    }
    if (!object->OnMessage(dialog, message, wParam, lParam, result))
        return object->DialogProc(dialog, message, wParam, lParam);
    return result;
}
