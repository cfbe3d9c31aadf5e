// The desktop messaging program. "tmail.exe -service" runs the text-message transport: one resident
// instance per session that sends the messages queued in the store's Outbox (see SmsTransport.h).
#include "platform/SmsTransport.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>

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

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    const bool service =
        arguments && count == 2 && _wcsicmp(arguments[1], platform::TransportServiceArgument) == 0;
    LocalFree(arguments);
    return service ? RunTransportService() : 0;
}
