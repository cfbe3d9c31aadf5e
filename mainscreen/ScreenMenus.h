#pragma once
// The main screen's two popup menus: the context menu of a held button and the main menu of the panel's
// Menu button, built from the button and the view switches. The menus are run with TPM_RETURNCMD, so
// the identifiers below come back to MainWindow, which acts on them.
#include "model/SpeedDialButton.h"

#include <windows.h>

// Identifiers of the context menu.
namespace cell_menu {
inline constexpr UINT Title = 0; // the button's name, greyed
inline constexpr UINT Rename = 1;
inline constexpr UINT Clear = 2;
inline constexpr UINT SendSms = 4;
inline constexpr UINT ChooseNumberFirst = 201; // + k: make entry k of Phones the button's number
inline constexpr UINT ChooseNumberLast = 299;
inline constexpr UINT CallFirst = 300; // + k: call entry k of Phones
} // namespace cell_menu

// Identifiers of the dial-number submenu, in both menus.
namespace dial_number_menu {
inline constexpr UINT First = 100; // + n: dial number n, 1 … 99
inline constexpr UINT Delete = 200;
} // namespace dial_number_menu

// Identifiers of the main menu.
namespace main_menu {
inline constexpr UINT Rename = 10;
inline constexpr UINT MoveFirst = 21; // + direction - 1: up, down, left, right
inline constexpr UINT MoveLast = 24;
inline constexpr UINT Delete = 30;
inline constexpr UINT SortByName = 40;
inline constexpr UINT ClearAll = 50;
inline constexpr UINT AddPage = 60;
inline constexpr UINT DeletePage = 70;
inline constexpr UINT BigButtons = 80;
inline constexpr UINT ShowNumbers = 81;
inline constexpr UINT ShowPhoneType = 82;
inline constexpr UINT Exit = 83;
inline constexpr UINT ViewContact = 84;
inline constexpr UINT SendSms = 90;
} // namespace main_menu

// The view switches the main menu shows with their check marks.
struct ViewSwitches {
    int BigButtons = 0;
    int ShowNumbers = 0;
    int ShowPhoneType = 0;
};

// The context menu of button; the caller destroys it.
HMENU BuildCellMenu(const SpeedDialButton& button);
// The main menu, with the focused button's items when focused is not null; the caller destroys it.
HMENU BuildMainMenu(const SpeedDialButton* focused, const ViewSwitches& view);
