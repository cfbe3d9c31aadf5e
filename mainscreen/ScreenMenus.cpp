#include "mainscreen/ScreenMenus.h"

#include "model/SpeedDialModel.h"
#include "resources/ResourceIds.h"

#include <algorithm>

namespace {

WString Text(UINT id) {
    WString text;
    text.LoadString(id);
    return text;
}

void AddItem(HMENU menu, UINT id, const wchar_t* text, UINT flags = 0) {
    AppendMenuW(menu, MF_STRING | flags, id, text);
}

void AddSubmenu(HMENU menu, HMENU submenu, const wchar_t* title) {
    AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu), title);
}

// The dial-number submenu of a button with dial number btn (-1 for none), under its title.
void AddDialNumberMenu(HMENU menu, int btn) {
    HMENU numbers = CreatePopupMenu();
    if (btn != -1) {
        AddItem(numbers, dial_number_menu::Delete, Text(IDS_DELETE));
        AppendMenuW(numbers, MF_SEPARATOR, 0, nullptr);
    }
    for (int n = 1; n <= 99; ++n) {
        wchar_t number[8];
        wsprintfW(number, L"%d", n);
        AddItem(numbers, dial_number_menu::First + n, number, n == btn ? MF_CHECKED : 0);
    }
    WString title = Text(IDS_DIALER_BUTTON);
    if (btn != -1) {
        WString numbered;
        numbered.Format(L"%s (%d)", static_cast<const wchar_t*>(title), btn);
        title = numbered;
    }
    AddSubmenu(menu, numbers, title);
}

} // namespace

HMENU BuildCellMenu(const SpeedDialButton& button) {
    HMENU menu = CreatePopupMenu();
    AddItem(menu, cell_menu::Title, SpeedDialModel::DisplayNameOf(button));
    EnableMenuItem(menu, 0, MF_BYPOSITION | MF_GRAYED);
    if (!button.Phone.IsEmpty()) AddItem(menu, cell_menu::SendSms, Text(IDS_SEND_SMS));
    const WString call = Text(IDS_CALL);
    for (int k = 0; k < button.Phones.GetSize(); ++k) {
        WString text;
        text.Format(L"%s %s", static_cast<const wchar_t*>(call),
                    static_cast<const wchar_t*>(button.Phones[k].Label));
        AddItem(menu, cell_menu::CallFirst + k, text);
    }
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AddItem(menu, cell_menu::Rename, Text(IDS_RENAME));
    AddDialNumberMenu(menu, button.Btn);
    AddItem(menu, cell_menu::Clear, Text(IDS_CLEAR));
    if (button.Phones.GetSize() > 1) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        HMENU numbers = CreatePopupMenu();
        // The identifiers leave room for 99 numbers; a contact with more offers its first 99.
        const int offered = std::min<int>(button.Phones.GetSize(),
                                          cell_menu::ChooseNumberLast - cell_menu::ChooseNumberFirst + 1);
        for (int k = 0; k < offered; ++k) {
            const PhoneEntry& entry = button.Phones[k];
            WString text;
            text.Format(L"%s (%s)", static_cast<const wchar_t*>(entry.Number),
                        static_cast<const wchar_t*>(entry.Label));
            const bool current = entry.Number == button.Phone && entry.Label == button.Type &&
                                 static_cast<DWORD>(entry.Kind) == button.Link;
            AddItem(numbers, cell_menu::ChooseNumberFirst + k, text, current ? MF_CHECKED : 0);
        }
        WString title;
        title.Format(L"%s %s", static_cast<const wchar_t*>(Text(IDS_PHONE)),
                     static_cast<const wchar_t*>(button.Type));
        AddSubmenu(menu, numbers, title);
    }
    return menu;
}

HMENU BuildMainMenu(const SpeedDialButton* focused, const ViewSwitches& view) {
    HMENU menu = CreatePopupMenu();
    if (focused) {
        if (!focused->Phone.IsEmpty()) AddItem(menu, main_menu::SendSms, Text(IDS_SEND_SMS));
        AddItem(menu, main_menu::ViewContact, Text(IDS_VIEW_CONTACT));
        AddItem(menu, main_menu::Rename, Text(IDS_RENAME));
        AddDialNumberMenu(menu, focused->Btn);
        HMENU move = CreatePopupMenu();
        const UINT directions[4] = {IDS_MOVE_UP, IDS_MOVE_DOWN, IDS_MOVE_LEFT, IDS_MOVE_RIGHT};
        for (int d = 0; d < 4; ++d) AddItem(move, main_menu::MoveFirst + d, Text(directions[d]));
        AddSubmenu(menu, move, Text(IDS_MOVE));
        AddItem(menu, main_menu::Delete, Text(IDS_DELETE));
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    }
    AddItem(menu, main_menu::AddPage, Text(IDS_ADD_PAGE));
    AddItem(menu, main_menu::DeletePage, Text(IDS_DELETE_PAGE));
    AddItem(menu, main_menu::ClearAll, Text(IDS_DELETE_ALL_PAGES));
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    HMENU viewMenu = CreatePopupMenu();
    AddItem(viewMenu, main_menu::BigButtons, Text(IDS_BIG_BUTTONS), view.BigButtons == 1 ? MF_CHECKED : 0);
    AddItem(viewMenu, main_menu::ShowNumbers, Text(IDS_SHOW_DIAL_NUMBER), view.ShowNumbers ? MF_CHECKED : 0);
    AddItem(viewMenu, main_menu::ShowPhoneType, Text(IDS_SHOW_PHONE_TYPE),
            view.ShowPhoneType ? MF_CHECKED : 0);
    AddSubmenu(menu, viewMenu, Text(IDS_VIEW));
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AddItem(menu, main_menu::SortByName, Text(IDS_SORT_BY_NAME));
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AddItem(menu, main_menu::Exit, Text(IDS_EXIT));
    return menu;
}
