// The desktop dialer: one instance per session, resident, showing its in-call screen with each call.
#include "companions/cprog/CallPolicyWindow.h"
#include "companions/cprog/InCallWindow.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
    HANDLE instance = CreateMutexW(nullptr, FALSE, L"Local\\OrvanixDesktopDialer");
    if (!instance || GetLastError() == ERROR_ALREADY_EXISTS) return 0;
    InCallWindow screen;
    CallPolicyWindow policy(screen);
    if (!screen.Create() || !policy.Create()) return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(screen.Window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    CloseHandle(instance);
    return 0;
}
