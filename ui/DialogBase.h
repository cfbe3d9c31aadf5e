#pragma once
// Base of every dialog of the program: runs a dialog template of the executable modally or modelessly,
// binds the dialog to its object through the dialog's user data and sends every message to the
// object's virtual procedures.
#include <windows.h>

class DialogBase {
public:
    DialogBase() = default;
    DialogBase(const DialogBase&) = delete;
    DialogBase& operator=(const DialogBase&) = delete;
    // Forgets the dialog; a dialog that still exists is not destroyed.
    virtual ~DialogBase();

    // Runs the template modally; the value given to EndDialog, or the platform's failure value (-1 or 0)
    // when the template is missing.
    virtual INT_PTR DoModal(HWND parent);
    // Creates the dialog from the template, shown and painted at once when show is non-zero.
    virtual HWND CreateModeless(HWND parent, int show);
    // The dialog's own handling after OnMessage declined a message; the base handles nothing.
    virtual INT_PTR DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    // Handles a message first; returns non-zero, with the dialog result in result, when it did.
    virtual int OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
    virtual void OnSettingChange(WPARAM wParam, LPARAM lParam);
    virtual void OnActivate(WPARAM wParam, LPARAM lParam);
    // Fits the dialog to the part of the screen that the input panel and its soft-key bar leave free.
    virtual void FitToDesktop();

    // Gives the dialog the caption of its topmost ancestor (its own when it has none).
    void CopyOwnerCaption();

    HWND Dialog = nullptr;  // null while there is no dialog
    HWND MenuBar = nullptr; // the dialog's soft-key bar, destroyed with the dialog
    int FitDesktop = 0;     // set by derived classes that keep themselves fitted
    DWORD TemplateId = 0;   // dialog template of the executable, set by the derived constructor

private:
    const DLGTEMPLATE* Template() const;
    static INT_PTR CALLBACK StaticDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};
