#include "messaging/PlaceCall.h"

#include "foundation/ErrorLog.h"
#include "foundation/Settings.h"
#include "foundation/DataFiles.h"
#include "platform/InputPanel.h"
#include "platform/PhoneCall.h"
#include "platform/ProcessLauncher.h"

#include <cstring>
#include <cwchar>
#include <new>

namespace {

constexpr wchar_t KeyboardHookKey[] = L"Software\\HTC\\Phone\\KeyboardHook";
constexpr wchar_t SendKeyStamp[] = L"SendKeyStamp";
constexpr DWORD DialerPatienceMs = 2000;
constexpr DWORD DialerPollMs = 100;

// Loaded on the first successful use and kept for the life of the process.
HMODULE phoneLibrary = nullptr;

platform::PhoneMakeCallFunction FindPhoneMakeCall() {
    if (!phoneLibrary) phoneLibrary = LoadLibraryW(platform::PhoneLibraryName);
    if (!phoneLibrary) return nullptr;
    return reinterpret_cast<platform::PhoneMakeCallFunction>(
        reinterpret_cast<void*>(GetProcAddress(phoneLibrary, platform::PhoneMakeCallName)));
}

LONG SendServiceCode(const wchar_t* number) {
    HWND policy = FindWindowW(platform::CallPolicyClass, nullptr);
    if (!policy) return -1;
    DWORD size = 0;
    std::unique_ptr<BYTE[]> block = BuildServiceCodeBlock(number, size);
    if (!block) {
        LogLine(ErrorLogPath(), L"Memory allocation failed", L"PlaceCall", L"SendServiceCode",
                __LINE__);
        return -1;
    }
    COPYDATASTRUCT data = {platform::ServiceCodeDataId, size, block.get()};
    SendMessageW(policy, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    return 0;
}

// Starts the dialer when its window is missing and waits for the window; the call goes on either way.
void EnsureDialer() {
    if (FindWindowW(platform::DialerClass, nullptr)) return;
    PROCESS_INFORMATION info = {};
    if (!platform::CreateProcessW(platform::DialerProgram, nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, nullptr, &info))
        return;
    if (info.hThread) CloseHandle(info.hThread);
    if (info.hProcess) CloseHandle(info.hProcess);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start <= DialerPatienceMs) {
        Sleep(DialerPollMs);
        if (FindWindowW(L"MSCProg", nullptr)) break;
    }
}

} // namespace

std::unique_ptr<BYTE[]> BuildServiceCodeBlock(const wchar_t* number, DWORD& size) {
    size = 0;
    const size_t length = std::wcslen(number);
    if (length > 0x7FFFFFF0) return nullptr;
    const DWORD bytes = static_cast<DWORD>((2 * length + 25) / 4 * 4);
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[bytes]());
    if (!block) return nullptr;
    const DWORD header[2] = {1, 20};
    std::memcpy(block.get(), header, sizeof header);
    std::memcpy(block.get() + 20, number, 2 * length);
    size = bytes;
    return block;
}

void MoveKeyStampBack() {
    if (!settings::Read(settings::D2Hack)) return;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, KeyboardHookKey, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    DWORD stamp = 0;
    DWORD bytes = sizeof stamp;
    if (RegQueryValueExW(key, SendKeyStamp, nullptr, nullptr, reinterpret_cast<BYTE*>(&stamp), &bytes) ==
            ERROR_SUCCESS &&
        bytes == sizeof stamp) {
        stamp -= 2000;
        RegSetValueExW(key, SendKeyStamp, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&stamp), sizeof stamp);
        RegFlushKey(key);
    }
    RegCloseKey(key);
}

LONG PlaceCall(const wchar_t* number, const wchar_t* name) {
    if (!number || !*number) return 0;
    if (number[std::wcslen(number) - 1] == L'#') return SendServiceCode(number);

    platform::PhoneMakeCallFunction phoneMakeCall = FindPhoneMakeCall();
    if (!phoneMakeCall) return -1;
    MoveKeyStampBack();
    platform::SHSipPreference(nullptr, platform::SIP_FORCEDOWN);

    platform::CallInfo info = {};
    info.Size = sizeof info;
    info.DestAddress = number;
    info.CalledParty = name && *name ? name : nullptr;
    EnsureDialer();
    return phoneMakeCall(&info);
}

void OpenContactViewer(const wchar_t* commandLine) {
    const WString program = ReadString(settings::SettingsKey, settings::ProgramPath);
    if (program.IsEmpty()) return;
    WString arguments = commandLine ? commandLine : L"";
    PROCESS_INFORMATION info = {};
    wchar_t* writable = arguments.GetBuffer(arguments.GetLength());
    if (!platform::CreateProcessW(program, writable, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr,
                                  &info))
        return;
    if (info.hThread) CloseHandle(info.hThread);
    if (info.hProcess) CloseHandle(info.hProcess);
}
