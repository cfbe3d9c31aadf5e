#include "picker/ContactPickerDialog.h"

#include "foundation/ErrorLog.h"
#include "phonenumbers/PhoneFormat.h"
#include "platform/PhoneShell.h"
#include "platform/Windowing.h"
#include "resources/ResourceIds.h"
#include "ui/ScreenMetrics.h"
#include "ui/TextDrawing.h"

#include <algorithm>

namespace {

constexpr UINT LabelFormat = DT_SINGLELINE | DT_NOPREFIX;             // 0x820
constexpr UINT NumberFormat = DT_SINGLELINE | DT_NOPREFIX | DT_RIGHT; // 0x822

// Highlighting tries every pattern on every row drawn: a service that sends more than a keypad's
// readings of a query could ever need makes no list slow.
constexpr int MaxPatterns = 64;

int Dpi(int dpi) {
    return dpi ? dpi : 96;
}

} // namespace

ContactPickerDialog::ContactPickerDialog() {
    TemplateId = IDD_FULLSCREEN;
}

ContactPickerDialog::~ContactPickerDialog() {
    // The list and the keypad go before the fields they draw from.
    list.owner = nullptr;
    keypad.listener = nullptr;
    list.Destroy();
    keypad.Destroy();
}

bool ContactPickerDialog::OnInit() {
    platform::SetForegroundWindow(Dialog);
    platform::SHINITDLGINFO shell = {platform::SHIDIM_FLAGS, Dialog,
                                     platform::SHIDIF_DONEBUTTON | platform::SHIDIF_SIZEDLGFULLSCREEN};
    platform::SHInitDialog(&shell);
    CreateSoftKeys(IDR_SOFTKEYS_OK_CANCEL);
    // Full screen above the soft keys, and kept so when the input panel changes.
    FitDesktop = 1;
    FitToDesktop();
    if (!rowFont) rowFont.Reset(CreatePointFont(L"Tahoma", 10, 700));
    rowTextHeight_ = TextHeight(rowFont.Get());
    CopyOwnerCaption();

    list.owner = this;
    if (!list.Window) {
        list.selection = 0;
        list.scrollPos = 0;
        list.Create(Dialog, scrollImage);
    }
    list.fillHeight = 1;
    list.hideOnDeactivate = 0;
    BITMAP row = {};
    const int height =
        listImages[RowImage] && GetObjectW(listImages[RowImage], sizeof row, &row) && row.bmHeight > 0
            ? row.bmHeight
            : 2 * rowTextHeight_;
    if (height != list.itemHeight) {
        list.itemHeight = height;
        list.Relayout(true);
        list.Repaint();
    }

    keypad.listener = this;
    if (!keypad.Window) keypad.Create(Dialog);

    Layout();
    Search();
    list.Place();
    ShowWindow(list.Window, SW_SHOW);
    SetFocus(list.Window);
    contactId = 0;
    return true;
}

void ContactPickerDialog::Layout() {
    if (!keypad.Window || !Dialog) return;
    RECT client;
    GetClientRect(Dialog, &client);
    const int height = client.bottom - client.top, width = client.right - client.left;
    int keypadHeight = 0;
    if (chosenIndex < 0) {
        keypadHeight = std::max(height / 3, 6 * rowTextHeight_);
        keypadHeight -= keypadHeight % 3;
    }
    list.bounds = {width, height - keypadHeight, 0, 0};
    list.Place();
    RECT placed = {};
    if (list.Window) GetWindowRect(list.Window, &placed);
    SetWindowPos(keypad.Window, nullptr, 0, placed.bottom - placed.top + client.top, width, keypadHeight,
                 SWP_NOZORDER);
}

void ContactPickerDialog::Search() {
    chosenIndex = -1;
    resultIds.RemoveAll();
    patterns.RemoveAll();
    SearchResult result;
    if (SearchContacts(*searchService, query, query.GetLength(), result)) {
        resultIds = result.ids;
        const int kept = std::min(result.texts.GetSize(), MaxPatterns);
        for (int i = 0; i < kept; ++i) patterns.Add(SplitKeypadPattern(result.texts[i]));
        if (kept < result.texts.GetSize() && !patternsLogged_) {
            patternsLogged_ = true;
            ProblemReport report(L"search service", L"ContactPickerDialog::Search");
            WString what;
            what.Format(L"%d match patterns for \"%s\": only the first %d highlight", result.texts.GetSize(),
                        static_cast<const wchar_t*>(query), MaxPatterns);
            report.Add(what);
        }
    } else if (!searchFailureLogged_) {
        searchFailureLogged_ = true;
        ProblemReport report(L"search service", L"ContactPickerDialog::Search");
        WString what;
        what.Format(L"no answer to the keypad search \"%s\": the list stays empty",
                    static_cast<const wchar_t*>(query));
        report.Add(what);
    }
    list.SetItemCount(resultIds.GetSize());
}

void ContactPickerDialog::OnDigitsChanged(const WString& digits) {
    if (chosenIndex >= 0 || digits == query) return;
    query = digits;
    Search();
}

bool ContactPickerDialog::RecordOf(int index, ServiceRecord& record) {
    if (index < 0 || index >= resultIds.GetSize()) return false;
    const DWORD id = static_cast<DWORD>(resultIds[index]);
    if (GetContactRecord(*recordService, id, record)) return true;
    if (!recordFailureLogged_) {
        recordFailureLogged_ = true;
        ProblemReport report(L"search service", L"ContactPickerDialog");
        WString what;
        what.Format(L"no record of contact %u: its row stays blank", static_cast<unsigned>(id));
        report.Add(what);
    }
    return false;
}

void ContactPickerDialog::EndWith(const PhoneEntry* entry) {
    phoneNumber = entry ? entry->Number : WString();
    phoneLabel = entry ? entry->Label : WString();
    phoneKind = entry ? entry->Kind : 0;
    EndDialog(Dialog, 1);
}

void ContactPickerDialog::Choose() {
    if (list.itemCount <= 0) return;
    const int selected = list.selection;
    if (chosenIndex >= 0) {
        if (chosenIndex >= resultIds.GetSize() || selected < 0 || selected >= phoneEntries.GetSize()) return;
        contactId = static_cast<DWORD>(resultIds[chosenIndex]);
        EndWith(&phoneEntries[selected]);
        return;
    }
    chosenIndex = selected;
    if (selected < 0 || selected >= resultIds.GetSize()) return;
    ServiceRecord record;
    phoneEntries.RemoveAll();
    if (RecordOf(selected, record)) phoneEntries = record.Phones;
    if (phoneEntries.GetSize() >= 2) {
        list.SetItemCount(phoneEntries.GetSize());
        Layout();
        return;
    }
    contactId = static_cast<DWORD>(resultIds[selected]);
    EndWith(phoneEntries.GetSize() == 1 ? &phoneEntries[0] : nullptr);
}

void ContactPickerDialog::Cancel() {
    if (chosenIndex < 0) {
        EndDialog(Dialog, IDCANCEL);
        return;
    }
    chosenIndex = -1;
    list.SetItemCount(resultIds.GetSize());
    Layout();
}

void ContactPickerDialog::OnItemTapped(HWND, int, int, POINT) {
    Choose();
}

void ContactPickerDialog::OnActionKeyUp(HWND) {
    Choose();
}

bool ContactPickerDialog::OnCommand(int id, int, HWND) {
    if (id == IDOK) {
        Choose();
        return true;
    }
    if (id == IDCANCEL) {
        Cancel();
        return true;
    }
    return false;
}

bool ContactPickerDialog::OnKeyDown(UINT key, LPARAM flags) {
    // The phone's Back key, and Escape on a desktop keyboard, step back as the soft key does.
    if (key == VK_ESCAPE) {
        Cancel();
        return true;
    }
    if (keypad.Window) SendMessageW(keypad.Window, WM_KEYDOWN, key, flags);
    return true;
}

void ContactPickerDialog::OnSize(int, int) {
    Layout();
}

void ContactPickerDialog::Tile(HDC dc, HBITMAP image, const RECT& rect, COLORREF colour) {
    BITMAP info = {};
    if (!image || !GetObjectW(image, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0) {
        SetBkColor(dc, colour);
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
        return;
    }
    if (!imageDC_) imageDC_.Reset(CreateCompatibleDC(dc));
    HGDIOBJ old = SelectObject(imageDC_.Get(), image);
    for (int y = rect.top; y < rect.bottom; y += info.bmHeight) {
        for (int x = rect.left; x < rect.right; x += info.bmWidth) {
            BitBlt(dc, x, y, std::min<int>(info.bmWidth, rect.right - x),
                   std::min<int>(info.bmHeight, rect.bottom - y), imageDC_.Get(), 0, 0, SRCCOPY);
        }
    }
    SelectObject(imageDC_.Get(), old);
}

void ContactPickerDialog::DrawItem(HWND, HDC dc, int index, const RECT& rect, int selected) {
    if (index < 0) {
        Tile(dc, listImages[EmptyImage], rect, emptyColour);
        return;
    }
    const COLORREF background = selected ? selectedRowColour : index % 2 ? oddRowColour : evenRowColour;
    Tile(dc, listImages[selected ? SelectedRowImage : RowImage], rect, background);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, selected ? selectedTextColour : textColour);
    ScopedSelect font(dc, rowFont.Get());
    if (chosenIndex < 0)
        DrawContact(dc, index, rect);
    else
        DrawNumber(dc, index, rect);
}

void ContactPickerDialog::DrawContact(HDC dc, int index, const RECT& rect) {
    ServiceRecord record;
    if (!RecordOf(index, record)) return;
    if (record.Name.IsEmpty()) {
        if (!nameLogged_) {
            nameLogged_ = true;
            ProblemReport report(L"search service", L"ContactPickerDialog::DrawItem");
            WString what;
            what.Format(L"contact %u has no name: its row stays blank",
                        static_cast<unsigned>(resultIds[index]));
            report.Add(what);
        }
        return;
    }
    const int inset = ((Dpi(ScreenMetrics.DpiX) + 12) * 4) / 96;
    const RECT text = {rect.left + inset, rect.top + (rect.bottom - rect.top - rowTextHeight_) / 2,
                       rect.right - inset, rect.bottom};
    WString name = record.Name;
    FitTextWithEllipsis(name, text.right - text.left, dc);
    const wchar_t* characters = name;
    const int length = name.GetLength();
    ExtTextOutW(dc, text.left, text.top, ETO_CLIPPED, &text, characters, length, nullptr);
    if (patterns.GetSize() == 0) return;
    const Array<KeypadMatch> matches = FindKeypadMatches(name, patterns);
    if (matches.GetSize() == 0) return;
    SetBkMode(dc, OPAQUE);
    const COLORREF oldBackground = SetBkColor(dc, highlightColour);
    const COLORREF oldText = SetTextColor(dc, textColour);
    for (int i = 0; i < matches.GetSize(); ++i) {
        const int first = matches[i].first;
        int last = matches[i].last;
        // A highlight never splits a letter from its accents.
        while (last + 1 < length && JoinsPrevious(characters[last + 1])) ++last;
        SIZE before = {};
        GetTextExtentPoint32W(dc, characters, first, &before);
        ExtTextOutW(dc, text.left + before.cx, text.top, ETO_CLIPPED, &text, characters + first,
                    last - first + 1, nullptr);
    }
    SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, oldBackground);
    SetTextColor(dc, oldText);
}

void ContactPickerDialog::DrawNumber(HDC dc, int index, const RECT& rect) {
    if (index >= phoneEntries.GetSize()) return;
    const PhoneEntry& entry = phoneEntries[index];
    WString number = entry.Number;
    if (templates) FormatPhoneNumber(templates, number);
    const int margin = ((Dpi(ScreenMetrics.DpiX) + 6) * 8) / 96;
    const int rise = ((Dpi(ScreenMetrics.DpiY) + 16) * 3) / 96;
    RECT label = {rect.left + margin, rect.top + rise, rect.right - margin, rect.bottom};
    WString labelText = entry.Label;
    FitTextWithEllipsis(labelText, label.right - label.left, dc);
    DrawTextW(dc, labelText, labelText.GetLength(), &label, LabelFormat);
    RECT digits = {rect.left + margin, rect.top + (rect.bottom - rect.top) / 2 - rise, rect.right - margin,
                   rect.bottom};
    FitTextWithEllipsis(number, digits.right - digits.left, dc);
    DrawTextW(dc, number, number.GetLength(), &digits, NumberFormat);
}
