#include "mainscreen/NameEditDialog.h"

#include "platform/InputPanel.h"
#include "platform/PhoneShell.h"
#include "resources/ResourceIds.h"
#include "ui/ScreenMetrics.h"

namespace {

void AddFormatted(Array<WString>& list, const wchar_t* format, const wchar_t* a, const wchar_t* b) {
    WString text;
    text.Format(format, a, b);
    list.Add(text);
}

} // namespace

Array<WString> NameEditDialog::SuggestionsFor(const WString& first, const WString& last,
                                              const WString& company) {
    Array<WString> names;
    if (!first.IsEmpty()) {
        names.Add(first);
        if (!last.IsEmpty()) {
            AddFormatted(names, L"%s %s", first, last);
            AddFormatted(names, L"%s, %s", last, first);
            if (!company.IsEmpty()) AddFormatted(names, L"%s (%s)", first, company);
        }
    }
    if (!last.IsEmpty()) {
        names.Add(last);
        if (!company.IsEmpty()) AddFormatted(names, L"%s (%s)", last, company);
    }
    if (!company.IsEmpty()) names.Add(company);
    return names;
}

NameEditDialog::NameEditDialog() {
    TemplateId = IDD_RENAME;
    // The dialog leaves the soft keys room below it.
    FitDesktop = 1;
}

bool NameEditDialog::OnInit() {
    SetForegroundWindow(Dialog);
    platform::SHINITDLGINFO init = {platform::SHIDIM_FLAGS, Dialog,
                                    platform::SHIDIF_DONEBUTTON | platform::SHIDIF_SIZEDLGFULLSCREEN};
    platform::SHInitDialog(&init);
    platform::SHDoneButton(Dialog, platform::SHDB_SHOW);
    platform::SHSipPreference(Dialog, platform::SIP_UP);
    CreateSoftKeys(IDR_SOFTKEYS_OK_CANCEL);
    FitToDesktop();
    CopyOwnerCaption();

    SetDlgItemTextW(Dialog, IDC_RENAME_EDIT, Name);
    SendDlgItemMessageW(Dialog, IDC_RENAME_EDIT, EM_SETSEL, 0, -1);
    for (int i = 0; i < Suggestions.GetSize(); ++i)
        SendDlgItemMessageW(Dialog, IDC_RENAME_LIST, LB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(static_cast<const wchar_t*>(Suggestions[i])));
    // The first suggestion that begins with the name is selected; the edit box keeps the name. Every
    // suggestion begins with an empty name, which not every list box finds by itself.
    LRESULT match = SendDlgItemMessageW(Dialog, IDC_RENAME_LIST, LB_FINDSTRING, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(static_cast<const wchar_t*>(Name)));
    if (Name.IsEmpty() && Suggestions.GetSize() > 0) match = 0;
    if (match != LB_ERR) SendDlgItemMessageW(Dialog, IDC_RENAME_LIST, LB_SETCURSEL, match, 0);
    return true;
}

void NameEditDialog::OnSize(int width, int) {
    // The edit box and the list keep the template's left margin on both sides of the screen's width.
    for (int id : {IDC_RENAME_EDIT, IDC_RENAME_LIST}) {
        HWND control = GetDlgItem(Dialog, id);
        RECT place;
        if (!control || !GetWindowRect(control, &place)) continue;
        MapWindowPoints(nullptr, Dialog, reinterpret_cast<POINT*>(&place), 2);
        SetWindowPos(control, nullptr, 0, 0, width - 2 * place.left, place.bottom - place.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

bool NameEditDialog::OnCommand(int id, int code, HWND) {
    if (id == IDOK || id == IDCANCEL) {
        platform::SHSipPreference(Dialog, platform::SIP_FORCEDOWN);
        if (id == IDOK) {
            wchar_t text[LongestName + 1] = {};
            GetDlgItemTextW(Dialog, IDC_RENAME_EDIT, text, LongestName + 1);
            Name = text;
        }
        EndDialog(Dialog, id == IDOK ? Confirmed : Cancelled);
        return true;
    }
    if (id == IDC_RENAME_LIST && code == LBN_SELCHANGE) {
        const LRESULT selected = SendDlgItemMessageW(Dialog, IDC_RENAME_LIST, LB_GETCURSEL, 0, 0);
        if (selected == LB_ERR) return true;
        const LRESULT length = SendDlgItemMessageW(Dialog, IDC_RENAME_LIST, LB_GETTEXTLEN, selected, 0);
        WString text;
        wchar_t* buffer = length >= 0 ? text.GetBuffer(static_cast<int>(length)) : nullptr;
        if (!buffer) return true;
        SendDlgItemMessageW(Dialog, IDC_RENAME_LIST, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(buffer));
        text.ReleaseBuffer();
        SetDlgItemTextW(Dialog, IDC_RENAME_EDIT, text);
    }
    return true;
}
