// A stand-alone host for the contact picker, for the screen test and the screenshots: it sets up the
// screen, the skin's list images and the number templates as the program does, runs the picker over
// an owner window and tells what happens, one UTF-8 line each, on its output or appended to the file
// named by its argument:
//   open keypad X Y W H list X Y W H row H      the picker is shown (screen coordinates)
//   digits D rows N first NAME                  the keypad's digits changed
//   numbers N                                   the chosen contact's numbers are listed
//   result R contact ID number NUMBER label LABEL kind KIND
#include "foundation/DataFiles.h"
#include "phonenumbers/PhoneTemplates.h"
#include "picker/ContactPickerDialog.h"
#include "resources/ResourceIds.h"
#include "ui/ResourceLibrary.h"
#include "ui/ScreenMetrics.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

namespace {

FILE* output = stdout;

void Print(const wchar_t* format, ...) {
    wchar_t line[1024];
    va_list args;
    va_start(args, format);
    _vsnwprintf(line, 1023, format, args);
    va_end(args);
    line[1023] = 0;
    char bytes[4096];
    const int length = WideCharToMultiByte(CP_UTF8, 0, line, -1, bytes, sizeof bytes, nullptr, nullptr);
    if (length > 0) std::fwrite(bytes, 1, length - 1, output);
    std::fputc('\n', output);
    std::fflush(output);
}

RECT ScreenRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

class HostedPicker : public ContactPickerDialog {
public:
    void OnDigitsChanged(const WString& digits) override {
        ContactPickerDialog::OnDigitsChanged(digits);
        Print(L"digits %s rows %d first %s", static_cast<const wchar_t*>(digits), resultIds.GetSize(),
              static_cast<const wchar_t*>(FirstName()));
    }

protected:
    bool OnInit() override {
        const bool handled = ContactPickerDialog::OnInit();
        const RECT pad = ScreenRect(keypad.Window), rows = ScreenRect(list.Window);
        Print(L"open keypad %ld %ld %ld %ld list %ld %ld %ld %ld row %d", pad.left, pad.top,
              pad.right - pad.left, pad.bottom - pad.top, rows.left, rows.top, rows.right - rows.left,
              rows.bottom - rows.top, list.itemHeight);
        return handled;
    }
    bool OnCommand(int id, int code, HWND from) override {
        const bool handled = ContactPickerDialog::OnCommand(id, code, from);
        if (chosenIndex >= 0 && id == IDOK) Print(L"numbers %d", phoneEntries.GetSize());
        return handled;
    }
    void OnItemTapped(HWND window, int index, int previous, POINT point) override {
        const int level = chosenIndex;
        ContactPickerDialog::OnItemTapped(window, index, previous, point);
        if (level < 0 && chosenIndex >= 0) Print(L"numbers %d", phoneEntries.GetSize());
    }

private:
    WString FirstName() {
        ServiceRecord record;
        if (resultIds.GetSize() && GetContactRecord(*recordService, static_cast<DWORD>(resultIds[0]), record))
            return record.Name;
        return WString();
    }
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1) {
        if (FILE* file = _wfopen(argv[1], L"ab")) output = file;
    }
    InitCommonControls();
    ScreenDC = GetDC(nullptr);
    ReadScreenMetrics(ScreenDC);
    const std::wstring skin = ExecutableFolder() + L"DialvaneSkin\\";
    SkinLibrary.LoadResourceLibrary(L"DialvaneRes.dll", L"DialvaneResVga.dll", skin.c_str());
    PhoneTemplateSet templates;
    LoadTemplates(templates);

    // The main window the picker is run over, as far as the picker sees it: its title.
    HWND owner = CreateWindowExW(0, L"STATIC", L"Orvanix Dialvane", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 ModuleInstance(), nullptr);
    HostedPicker picker;
    picker.templates = &templates;
    picker.listImages[HostedPicker::RowImage] =
        SkinLibrary.LoadBitmap(IDB_LIST_UNSELECT_BGR, L"list_unselect_bgr");
    picker.listImages[HostedPicker::SelectedRowImage] =
        SkinLibrary.LoadBitmap(IDB_LIST_SELECT_BGR, L"list_select_bgr");
    picker.listImages[HostedPicker::EmptyImage] = SkinLibrary.LoadBitmap(IDB_LIST_VOID_BGR, L"list_void_bgr");
    picker.scrollImage = SkinLibrary.LoadBitmap(IDB_SCROLL, L"scroll");
    picker.keypad.feedbackOn = 1;
    picker.keypad.feedbackDuration = 50;
    const INT_PTR result = picker.DoModal(owner);
    Print(L"result %d contact %lu number %s label %s kind %d", static_cast<int>(result), picker.contactId,
          static_cast<const wchar_t*>(picker.phoneNumber), static_cast<const wchar_t*>(picker.phoneLabel),
          picker.phoneKind);
    for (HBITMAP image : picker.listImages) DeleteObject(image);
    DeleteObject(picker.scrollImage);
    DestroyWindow(owner);
    ReleaseDC(nullptr, ScreenDC);
    return result == 1 ? 0 : 1;
}
