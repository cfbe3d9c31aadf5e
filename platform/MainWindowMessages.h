#pragma once
// The program's main window as other programs and modules see it: the class they find it by, its
// title, and the private messages it accepts from outside.
#include <windows.h>

inline constexpr wchar_t MainWindowClassName[] = L"Orvanix_Dialvane_Wnd_Class";
inline constexpr wchar_t MainWindowTitle[] = L"Orvanix Dialvane";

// Reload the number display templates (posted by whoever edits them).
inline constexpr UINT ReloadTemplatesMessage = 1425;
// The contact store changed: posted by the store with lParam ContactsChanged; other lParams mean nothing.
inline constexpr UINT ContactsChangedMessage = 2024;
inline constexpr LPARAM ContactsChanged = 2;
// Forget the cached vibration lengths (posted by whoever changes the settings).
inline constexpr UINT ForgetVibrationMessage = 2025;
// WM_SETTINGCHANGE's wParam when the shell has rotated the screen.
inline constexpr WPARAM RotationSetting = 0x3002;
