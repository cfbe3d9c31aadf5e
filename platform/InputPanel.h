#pragma once
// Desktop stand-in for the phone shell's input panel preference.
#include <windows.h>

namespace platform {

constexpr int SIP_UP = 0;
constexpr int SIP_FORCEDOWN = 2;

// Asks the shell to raise or lower the input panel for window (null: whatever has the focus). The
// desktop has no input panel, so it is down already: nothing to do.
BOOL SHSipPreference(HWND window, int request);

} // namespace platform
