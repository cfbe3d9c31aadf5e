#pragma once
// The rename dialog: a full-screen dialog (template 112) with an edit box for a button's name above a
// list of suggested names, and the soft keys "OK" and "Отмена". Picking a suggestion copies it into
// the edit box; OK returns the edit box's text.
#include "foundation/Array.h"
#include "foundation/WString.h"
#include "ui/DialogBase.h"

class NameEditDialog : public DialogBase {
public:
    NameEditDialog();

    // DoModal's results: confirmed (read Name) or cancelled.
    static constexpr INT_PTR Confirmed = IDOK;
    static constexpr INT_PTR Cancelled = IDCANCEL;
    // The longest name the edit box gives back.
    static constexpr int LongestName = 259;

    // The names offered for a button of a contact with these names: the first name, the first and last
    // names both ways round, with the company, the last name, the company.
    static Array<WString> SuggestionsFor(const WString& first, const WString& last, const WString& company);

    Array<WString> Suggestions; // in: shown in this order
    WString Name;               // in: shown and selected at start; out: the edit box's text after OK

protected:
    bool OnInit() override;
    bool OnCommand(int id, int code, HWND from) override;
    void OnSize(int width, int height) override;
};
