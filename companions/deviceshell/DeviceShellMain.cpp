// The device shell: one status bar per session, running until it is closed. "DeviceShell rotate"
// turns the running shell's screen, as its Ctrl+Alt+R does.
#include "platform/PhoneShell.h"
#include "companions/deviceshell/StatusBarWindow.h"

#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t* commandLine, int) {
    if (HWND running = FindWindowW(platform::TaskBarClass, nullptr)) {
        if (commandLine && wcsstr(commandLine, L"rotate"))
            PostMessageW(running, WM_HOTKEY, StatusBarWindow::RotateHotKey, 0);
        return 0;
    }
    StatusBarWindow bar;
    if (!bar.CreateBar()) return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
