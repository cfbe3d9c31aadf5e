#pragma once
// Modal loops (message boxes first) go through here, so that an unattended test run can watch them
// and answer them instead of blocking on a real box.
#include <windows.h>

#include <functional>
#include <string>

namespace platform {

struct ModalRecord {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};

// Answers a modal instead of showing it; returns the button id the user would have pressed.
using MessageBoxScript = std::function<int(const ModalRecord&)>;

// Shows the real box unless a script is installed.
int MessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

// Installs a script for the calling process; an empty function restores the real boxes.
void SetMessageBoxScript(MessageBoxScript script);

} // namespace platform
