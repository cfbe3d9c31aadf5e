// The device shell: one status bar per session, running until it is closed.
#include "platform/PhoneShell.h"
#include "platform/deviceshell/StatusBarWindow.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
    if (FindWindowW(platform::TaskBarClass, nullptr)) return 0;
    StatusBarWindow bar;
    if (!bar.CreateBar()) return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
