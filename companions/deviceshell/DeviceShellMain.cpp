// The device shell: one status bar per session, running until it is closed.
//   DeviceShell [screen=WIDTHxHEIGHT]   the phone's screen: that size at the display's top-left corner
//                                       (default: the whole display)
//   DeviceShell rotate                  turns the running shell's screen, as its Ctrl+Alt+R does
#include "platform/PhoneShell.h"
#include "companions/deviceshell/StatusBarWindow.h"

#include <cwchar>

namespace {

// The size given as "screen=WIDTHxHEIGHT" on the command line; 0 x 0 when there is none.
SIZE ScreenArgument(const wchar_t* commandLine) {
    const wchar_t* given = commandLine ? std::wcsstr(commandLine, L"screen=") : nullptr;
    int width = 0, height = 0;
    if (!given || std::swscanf(given, L"screen=%dx%d", &width, &height) != 2 || width <= 0 || height <= 0)
        return {0, 0};
    return {width, height};
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t* commandLine, int) {
    if (HWND running = FindWindowW(platform::TaskBarClass, nullptr)) {
        if (commandLine && std::wcsstr(commandLine, L"rotate"))
            PostMessageW(running, WM_HOTKEY, StatusBarWindow::RotateHotKey, 0);
        return 0;
    }
    StatusBarWindow bar;
    const SIZE screen = ScreenArgument(commandLine);
    if (!bar.CreateBar(screen.cx, screen.cy)) return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
