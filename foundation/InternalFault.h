#pragma once
// Internal faults (an array index out of range, a missing string resource) are programming errors:
// they are shown in a box captioned "Addrivo Tracer" and the program goes on.
#include <windows.h>

// Shows text in the fault box.
void ShowInternalFault(const wchar_t* text);

// What shows the box: the system's message box until the program hands over the one every box of it
// goes through (the platform layer's, which tests can script).
using MessageBoxFunction = int (*)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
void SetInternalFaultBox(MessageBoxFunction show);
