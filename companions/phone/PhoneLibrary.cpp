// The phone library of a desktop: a call is handed to the dialer window, which shows and logs it.
#include "platform/PhoneCall.h"

#include <cwchar>
#include <string>

namespace {

constexpr DWORD DialerStartMs = 10000;
constexpr LONG DialerUnreachable = static_cast<LONG>(0x80004005); // E_FAIL
constexpr LONG BadRecord = static_cast<LONG>(0x80070057);         // E_INVALIDARG

HMODULE ownModule = nullptr;

// The dialer's window; starts the dialer from beside this library when there is none. A second
// dialer started meanwhile by someone else ends by itself.
HWND FindOrStartDialer() {
    if (HWND dialer = FindWindowW(platform::DialerClass, nullptr)) return dialer;
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(ownModule, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return nullptr;
    std::wstring program(path, length);
    program = program.substr(0, program.find_last_of(L'\\') + 1) + platform::DialerProgram;
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return nullptr;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < DialerStartMs) {
        if (HWND dialer = FindWindowW(platform::DialerClass, nullptr)) return dialer;
        Sleep(50);
    }
    return nullptr;
}

// A text that fits the phone's buffer of limit characters and a terminator.
bool Fits(const wchar_t* text, size_t limit) {
    return wcsnlen(text, limit + 1) <= limit;
}

} // namespace

extern "C" __declspec(dllexport) LONG PhoneMakeCall(platform::CallInfo* info) {
    if (!info || info->Size != sizeof(platform::CallInfo) || !info->DestAddress || !*info->DestAddress ||
        !Fits(info->DestAddress, platform::MaxNumberLength) ||
        (info->CalledParty && !Fits(info->CalledParty, platform::MaxCalledPartyLength)))
        return BadRecord;
    HWND dialer = FindOrStartDialer();
    if (!dialer) return DialerUnreachable;
    std::wstring data = info->DestAddress;
    data += L'\0';
    if (info->CalledParty) data += info->CalledParty;
    data += L'\0';
    COPYDATASTRUCT copy = {platform::DialerCallDataId, static_cast<DWORD>(data.size() * sizeof(wchar_t)),
                           data.data()};
    DWORD_PTR taken = 0;
    if (!SendMessageTimeoutW(dialer, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG, 10000,
                             &taken) ||
        !taken)
        return DialerUnreachable;
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) ownModule = instance;
    return TRUE;
}
