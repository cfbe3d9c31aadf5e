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

// One line of the error log about a call: "Call to <number> (<name>): <what>". A number too long to
// show whole is shown by its start and its length.
void ReportCallProblem(const wchar_t* number, const wchar_t* name, const wchar_t* what) {
    constexpr int Shown = 40;
    const int length = static_cast<int>(std::wcslen(number));
    WString line;
    if (length <= Shown)
        line.Format(L"Call to %s", number);
    else
        line.Format(L"Call to %.*s... (%d characters)", Shown, number, length);
    if (name && *name) {
        line += L" (";
        line += name;
        line += L")";
    }
    line += L": ";
    line += what;
    ProblemReport(L"Calls", L"PlaceCall").Add(line);
}

// Starts the dialer when its window is missing and waits up to about two seconds for it; the call goes
// on either way.
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
        if (FindWindowW(platform::DialerClass, nullptr)) return;
    }
}

// A service code goes to the call-policy window only; without one nothing else is tried.
LONG SendServiceCode(const wchar_t* number) {
    HWND policy = FindWindowW(platform::CallPolicyClass, nullptr);
    if (!policy) {
        ReportCallProblem(
            number, nullptr,
            L"service code not sent, there is no call-policy window (the dialer is not running)");
        return -1;
    }
    DWORD size = 0;
    std::unique_ptr<BYTE[]> block = BuildServiceCodeBlock(number, size);
    if (!block) {
        LogLine(ErrorLogPath(), L"Memory allocation failed", L"PlaceCall", L"SendServiceCode", __LINE__);
        return -1;
    }
    COPYDATASTRUCT data = {platform::ServiceCodeDataId, size, block.get()};
    SendMessageW(policy, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    return 0;
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
    if (!phoneMakeCall) {
        ReportCallProblem(number, name, L"not placed, phone.dll or its PhoneMakeCall is missing");
        return -1;
    }
    MoveKeyStampBack();
    platform::SHSipPreference(nullptr, platform::SIP_FORCEDOWN);

    // A longer name is cut to the phone's buffer: it only labels the call.
    wchar_t party[platform::MaxCalledPartyLength + 1] = {};
    if (name) {
        wcsncpy(party, name, platform::MaxCalledPartyLength);
        const size_t kept = std::wcslen(party);
        if (kept == platform::MaxCalledPartyLength && IS_HIGH_SURROGATE(party[kept - 1])) party[kept - 1] = 0;
    }
    platform::CallInfo info = {};
    info.Size = sizeof info;
    info.DestAddress = number;
    info.CalledParty = *party ? party : nullptr;
    EnsureDialer();
    const LONG result = phoneMakeCall(&info);
    if (result != 0) {
        WString what;
        what.Format(L"the phone library answered 0x%08lX", static_cast<unsigned long>(result));
        ReportCallProblem(number, party, what);
    }
    return result;
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
