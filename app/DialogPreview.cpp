#include "app/DialogPreview.h"

#include "mainscreen/NameEditDialog.h"

#include <cwchar>

namespace {

// The stored position of the button in the lowest cell, or -1.
int FirstBoundButton(const SpeedDialModel& model) {
    int first = -1;
    for (int i = 0; i < model.Buttons.GetSize(); ++i)
        if (model.Buttons[i].Index >= 0 && (first < 0 || model.Buttons[i].Index < model.Buttons[first].Index))
            first = i;
    return first;
}

void AddFormatted(Array<WString>& list, const wchar_t* format, const wchar_t* a, const wchar_t* b) {
    WString text;
    text.Format(format, a, b);
    list.Add(text);
}

// Renames the stored button at index as the rename command will: suggestions from its contact's
// names, and on OK a changed name saved at once.
void Rename(MainWindow& main, int index) {
    const SpeedDialButton button = main.Model.Buttons[index];
    NameEditDialog dialog;
    const WString &first = button.First, &last = button.Last, &company = button.Company;
    if (!first.IsEmpty()) {
        dialog.Suggestions.Add(first);
        if (!last.IsEmpty()) {
            AddFormatted(dialog.Suggestions, L"%s %s", first, last);
            AddFormatted(dialog.Suggestions, L"%s, %s", last, first);
            if (!company.IsEmpty()) AddFormatted(dialog.Suggestions, L"%s (%s)", first, company);
        }
    }
    if (!last.IsEmpty()) {
        dialog.Suggestions.Add(last);
        if (!company.IsEmpty()) AddFormatted(dialog.Suggestions, L"%s (%s)", last, company);
    }
    if (!company.IsEmpty()) dialog.Suggestions.Add(company);
    if (dialog.DoModal(main.Window) != NameEditDialog::Confirmed ||
        dialog.Name == SpeedDialModel::DisplayNameOf(button))
        return;
    main.Model.Buttons.ElementAt(index).Display = dialog.Name;
    main.Model.Save(index);
    InvalidateRect(main.Window, nullptr, FALSE);
}

} // namespace

void RunDialogPreview(MainWindow& main, const wchar_t* commandLine) {
    if (!commandLine || std::wcscmp(commandLine, L"/rename") != 0) return;
    const int index = FirstBoundButton(main.Model);
    if (index >= 0) Rename(main, index);
}
