#include "app/DialogPreview.h"

#include "messaging/SmsTextDialog.h"

#include <cwchar>

namespace {

// The lowest cell that holds a button, or -1.
int FirstBoundCell(const SpeedDialModel& model) {
    int first = -1;
    for (int i = 0; i < model.Buttons.GetSize(); ++i) {
        const int cell = model.Buttons[i].Index;
        if (cell >= 0 && (first < 0 || cell < first)) first = cell;
    }
    return first;
}

} // namespace

void RunDialogPreview(MainWindow& main, const wchar_t* commandLine) {
    const bool rename = commandLine && std::wcscmp(commandLine, L"/rename") == 0;
    const bool sms = commandLine && std::wcscmp(commandLine, L"/sms") == 0;
    const int cell = rename || sms ? FirstBoundCell(main.Model) : -1;
    if (cell < 0) return;
    if (rename) {
        if (main.Rename(cell)) InvalidateRect(main.Window, nullptr, FALSE);
        return;
    }
    SpeedDialButton button;
    if (!main.Model.GetByPosition(cell, button)) return;
    SmsTextDialog::Run(main.Window, button.Phone, SpeedDialModel::DisplayNameOf(button), main.ListImages,
                       main.ScrollImage);
}
