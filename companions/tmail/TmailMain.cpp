// The desktop messaging program:
//   tmail.exe -service                       runs the text-message transport: one resident instance per
//                                            session that sends the messages queued in the store's
//                                            Outbox (see SmsTransport.h);
//   tmail.exe [-service "SMS"]               shows the folders of the store "SMS";
//   tmail.exe -service "SMS" -To "name<number>"   opens the composer addressed to that recipient.
#include "companions/tmail/ComposeWindow.h"
#include "companions/tmail/MessageFolderWindow.h"
#include "platform/MessageStoreFolders.h"
#include "platform/ModalHost.h"
#include "platform/SmsTransport.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

// The Outbox is looked at this often even without a wake-up, for messages queued by other means.
constexpr DWORD IdleScanMs = 60000;

int RunTransportService() {
    HANDLE instance = CreateMutexW(nullptr, FALSE, platform::TransportServiceMutexName);
    if (!instance || GetLastError() == ERROR_ALREADY_EXISTS) return 0;
    // The event exists before the first look at the Outbox, so no wake-up in between is missed.
    HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, platform::TransportWakeEventName);
    if (!wake) return 1;
    platform::RunTransportQueue(true);
    for (;;) {
        WaitForSingleObject(wake, IdleScanMs);
        platform::RunTransportQueue(false);
    }
}

int RunWindows() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        HWND active = GetActiveWindow();
        // Ctrl+Enter sends and Ctrl+Tab turns to the other folder, wherever the focus is; Tab, Enter and
        // Escape move between and press the controls, as in a dialog.
        if (active && message.message == WM_KEYDOWN && GetKeyState(VK_CONTROL) < 0 &&
            (message.wParam == VK_RETURN || message.wParam == VK_TAB)) {
            SendMessageW(active, WM_COMMAND,
                         message.wParam == VK_RETURN ? IDOK : MessageFolderWindow::OtherFolder, 0);
            continue;
        }
        if (active && IsDialogMessageW(active, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

bool Is(const std::wstring& argument, const wchar_t* option) {
    return _wcsicmp(argument.c_str(), option) == 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
    int count = 0;
    wchar_t** parts = CommandLineToArgvW(GetCommandLineW(), &count);
    const std::vector<std::wstring> arguments(parts ? parts + 1 : nullptr, parts ? parts + count : nullptr);
    LocalFree(parts);

    if (arguments.size() == 1 && Is(arguments[0], platform::TransportServiceArgument))
        return RunTransportService();
    if (arguments.size() >= 2 && Is(arguments[0], platform::TransportServiceArgument) &&
        !Is(arguments[1], platform::SmsStoreName)) {
        const std::wstring text = L"Служба «" + arguments[1] + L"» не поддерживается: есть только SMS.";
        platform::MessageBoxW(nullptr, text.c_str(), L"Сообщения", MB_OK | MB_ICONERROR);
        return 1;
    }
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    platform::EnsureSmsStore(platform::MessageStoreRoot());
    for (size_t i = 2; i + 1 < arguments.size(); ++i)
        if (Is(arguments[i], L"-To")) {
            ComposeWindow composer;
            if (!composer.Open(ParseRecipient(arguments[i + 1]), true)) return 1;
            return RunWindows();
        }
    MessageFolderWindow folders;
    if (!folders.Open(platform::SmsStoreName, true)) return 1;
    return RunWindows();
}
