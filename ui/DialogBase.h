#pragma once
// Base of every dialog of the program: runs a dialog template of the executable modally or modelessly,
// binds the dialog to its object through the dialog's user data from WM_INITDIALOG until WM_NCDESTROY
// (or until the object goes), and sends every message first to OnMessage, whose base calls the typed
// handlers of MessageHandlers, then, when nothing took it, to DialogProc.
#include "ui/MessageHandlers.h"

#include <windows.h>

class DialogBase : public MessageHandlers {
public:
    DialogBase() = default;
    // Forgets the dialog: a dialog that still exists is not destroyed, but no message of it reaches the
    // object any more.
    ~DialogBase() override;

    // Runs the template modally; the value given to EndDialog, or the platform's failure value (-1 or 0)
    // when the template is missing.
    virtual INT_PTR DoModal(HWND parent);
    // Creates the dialog from the template, shown and painted at once when show is non-zero.
    virtual HWND CreateModeless(HWND parent, int show);
    // The dialog's own handling after OnMessage declined a message; the base handles nothing.
    virtual INT_PTR DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    // Handles a message first; returns non-zero, with the dialog result in result, when it did. The base
    // calls OnInit for WM_INITDIALOG and the typed handlers for the rest.
    virtual int OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    // Gives the dialog the caption of its topmost ancestor (its own when it has none).
    void CopyOwnerCaption();

    HWND Dialog = nullptr;  // null while there is no dialog
    HWND MenuBar = nullptr; // the dialog's soft-key bar, destroyed with the dialog
    DWORD TemplateId = 0;   // dialog template of the executable, set by the derived constructor

protected:
    // WM_INITDIALOG: true when the dialog handled it. The dialog manager then sets the focus to the first
    // control unless OnInit has put it somewhere in the dialog. The base declines, so that DialogProc
    // sees the message.
    virtual bool OnInit();
    // Gives the dialog the soft keys of the executable's menu menuId as its MenuBar (null when the bar
    // cannot be made: the platform's done button still confirms then).
    void CreateSoftKeys(UINT menuId);
    HWND Handle() const override { return Dialog; }
    HWND SoftKeyBar() const override { return MenuBar; }

private:
    const DLGTEMPLATE* Template() const;
    void Unbind(HWND dialog);
    static INT_PTR CALLBACK StaticDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};
